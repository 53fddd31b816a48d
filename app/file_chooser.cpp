// The Open dialog that fills the main window's file list.
#include <cstddef>
#include <cstring>

#include "app/dialog_util.h"
#include "app/shell.h"

#include <commdlg.h>

// The request keeps the pre-Windows 2000 size (OPENFILENAME_SIZE_VERSION_400A,
// ending with lpTemplateName): no places bar, the layout the hook trims.
const size_t kRequestSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
#if !defined(_WIN64)
static_assert(kRequestSize == 76, "the 32-bit Open dialog request is 76 bytes");
#endif

// Height of the strip cut off the bottom of the Open dialog, in pixels.
static const int kTrimmedHeight = 23;

static UINT_PTR CALLBACK ChooserHook(HWND hookWindow, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_NOTIFY)
        return 0;
    const OFNOTIFYA *notify = reinterpret_cast<const OFNOTIFYA *>(lParam);
    if (notify->hdr.code == UINT(CDN_INITDONE)) {
        HWND dialog = GetParent(hookWindow);
        RECT rect;
        GetWindowRect(dialog, &rect);
        SetWindowPos(dialog, nullptr, 0, 0, rect.right - rect.left,
                     rect.bottom - rect.top - kTrimmedHeight, SWP_NOMOVE);
        CentreWindow(dialog, MainWindowHandle);
    }
    return 1;
}

bool ChooseFiles(HWND owner, char *buffer, const char *title, const char *filters)
{
    OPENFILENAMEA request;
    memset(&request, 0, sizeof request);
    request.lStructSize = DWORD(kRequestSize);
    request.hwndOwner = owner;
    request.lpstrFilter = filters;
    request.nFilterIndex = 1;
    request.lpstrFile = buffer;
    request.nMaxFile = kChooserCapacity;
    request.lpstrTitle = title;
    // No OFN_NOCHANGEDIR: the dialog moves the current directory when the
    // user browses; the main window then makes the chosen files' folder
    // current itself, since a typed full path doesn't move it.
    request.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK;
    request.lpfnHook = ChooserHook;
    return GetOpenFileNameA(&request) != 0;
}
