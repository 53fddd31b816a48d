// The OK-only message dialog (dialog 1001) through which the conversion
// driver reports, and the placement of every dialog over the main window.
#include "app/app_res.h"
#include "app/message_dialog_res.h"
#include "app/shell.h"

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

// The text and caption of the open message dialog: ShowMessage's arguments,
// borrowed for the dialog's lifetime (only one is open at a time).
static const char *MessageText = "";
static const char *MessageCaption = "";

static INT_PTR OnMessageCommand(HWND dialog, WPARAM wParam)
{
    int id = LOWORD(wParam);
    // Only OK (or Enter, through the default button) closes it; the cancel
    // command of the Escape key is ignored on purpose.
    if (id == IDOK || id == IDC_MESSAGE_OK)
        EndDialog(dialog, 0);
    return TRUE;
}

static INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CentreWindow(dialog, MainWindow());
        SetDlgItemTextA(dialog, IDC_MESSAGE_TEXT, MessageText);
        SetWindowTextA(dialog, MessageCaption);
        return FALSE;  // the dialog manager leaves the focus alone
    case WM_COMMAND:
        return OnMessageCommand(dialog, wParam);
    case WM_SYSCOMMAND:
        return EndOnSystemClose(dialog, wParam);
    }
    return FALSE;
}

INT_PTR EndOnSystemClose(HWND dialog, WPARAM command)
{
    if ((command & 0xFFF0) != SC_CLOSE)
        return FALSE;
    EndDialog(dialog, 0);
    return TRUE;
}

int ShowMessage(WindowHandle owner, const char *text, const char *caption)
{
    MessageText = text;
    MessageCaption = caption;
    INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MESSAGE_DIALOG),
                                     static_cast<HWND>(owner), MessageDialogProc, 0);
    return int(result);
}
