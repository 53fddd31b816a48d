// Helpers every dialog of the Windows program shares: placement over the
// main window, the system Close command, bounded strings, the program's path,
// program text shown.
#include "app/dialog_util.h"

#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "extract/platform.h"

// Room for a program text made native: 255 characters of up to three bytes.
static const int kShownTextCapacity = 768;

void CentreWindow(HWND window, HWND reference)
{
    HDC dc = GetDC(window);
    int screenWidth = GetDeviceCaps(dc, HORZRES);
    int screenHeight = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(window, dc);

    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;

    int referenceLeft = 0;
    int referenceTop = 0;
    int referenceWidth = screenWidth;
    int referenceHeight = screenHeight;
    if (reference != nullptr) {
        RECT outer;
        GetWindowRect(reference, &outer);
        referenceLeft = outer.left;
        referenceTop = outer.top;
        referenceWidth = outer.right - outer.left;
        referenceHeight = outer.bottom - outer.top;
    }

    // Integer division truncates toward zero; the clamp is applied once, so
    // a window wider than the screen ends at a negative position.
    int x = referenceLeft + (referenceWidth - width) / 2;
    if (x < 0)
        x = 0;
    else if (x + width > screenWidth)
        x = screenWidth - width;
    int y = referenceTop + (referenceHeight - height) / 2;
    if (y < 0)
        y = 0;
    else if (y + height > screenHeight)
        y = screenHeight - height;

    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR EndOnSystemClose(HWND dialog, WPARAM command)
{
    if ((command & 0xFFF0) != SC_CLOSE)
        return FALSE;
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR EndOnOkOrCancel(HWND dialog, UINT message, WPARAM wParam, int okButton)
{
    if (message == WM_SYSCOMMAND)
        return EndOnSystemClose(dialog, wParam);
    int id = LOWORD(wParam);
    if (id != okButton && id != IDCANCEL)
        return FALSE;
    EndDialog(dialog, 0);
    return TRUE;
}

int CopyText(char *destination, const char *source, int capacity)
{
    size_t length = strlen(source);
    if (length >= size_t(capacity)) {
        destination[0] = '\0';
        return -1;
    }
    memcpy(destination, source, length + 1);
    return 0;
}

int AppendText(char *destination, const char *source, int capacity)
{
    size_t used = strlen(destination);
    size_t length = strlen(source);
    if (used + length >= size_t(capacity))
        return -1;
    memcpy(destination + used, source, length + 1);
    return 0;
}

size_t FolderLength(const char *path)
{
    const char *last = strrchr(path, '\\');
    return last == nullptr ? 0 : size_t(last - path) + 1;
}

int GetProgramPath(char *path)
{
    // GetModuleFileNameA does not terminate a path that fills the buffer.
    DWORD length = GetModuleFileNameA(nullptr, path, kPathCapacity);
    if (length == 0 || length >= DWORD(kPathCapacity)) {
        path[0] = '\0';
        return -1;
    }
    return int(FolderLength(path));
}

void SetProgramText(HWND window, const char *ansi)
{
    char text[kShownTextCapacity];
    ToNativeText(ansi, text, sizeof text);
    SetWindowTextA(window, text);
}

void ShowProgramMessage(HWND owner, const char *format, const char *nativeArg)
{
    char nativeFormat[kShownTextCapacity];
    ToNativeText(format, nativeFormat, sizeof nativeFormat);
    char text[kShownTextCapacity + kPathCapacity * 2];
    snprintf(text, sizeof text, nativeFormat, nativeArg);
    ShowMessage(owner, text, AppTitle);
}
