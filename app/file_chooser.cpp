// The Open dialog that fills the main window's file list.
#include <cstddef>
#include <cstdlib>
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

// The block for the choice starts at this size and grows as names are
// chosen. Two zero bytes always follow what the dialog may fill: a list
// that some version cuts short still ends.
static const DWORD kFirstCapacity = 1024;
static const size_t kEndBytes = 2;

// The request of the open dialog (there is one at a time), and the
// dialog's own window procedure, which OpenDialogProc comes before.
static OPENFILENAMEA *OpenRequest;
static WNDPROC DialogProc;

// Makes the request's block big enough for what the dialog would return
// now: its folder and every name of its file-name box. The dialog tells
// their lengths in characters (UTF-16 units in some versions), each at
// most three bytes of native text. Without memory the block stays as it
// is, and the dialog keeps the names that fit.
static void MakeRoom(HWND dialog)
{
    LRESULT folder = SendMessageA(dialog, CDM_GETFOLDERPATH, 0, 0);
    LRESULT names = SendMessageA(dialog, CDM_GETSPEC, 0, 0);
    size_t needed = 3 * (size_t(folder > 0 ? folder : 0) + size_t(names > 0 ? names : 0)) + 2;
    if (needed <= OpenRequest->nMaxFile)
        return;
    char *block = static_cast<char *>(realloc(OpenRequest->lpstrFile, needed + kEndBytes));
    if (block == nullptr)
        return;
    memset(block + OpenRequest->nMaxFile, 0, needed + kEndBytes - OpenRequest->nMaxFile);
    OpenRequest->lpstrFile = block;
    OpenRequest->nMaxFile = DWORD(needed);
}

// Sees the OK command (the button, Enter) before the dialog reads the
// names typed or selected.
static LRESULT CALLBACK OpenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        MakeRoom(dialog);
    return CallWindowProcA(DialogProc, dialog, message, wParam, lParam);
}

static UINT_PTR CALLBACK ChooserHook(HWND hookWindow, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_NOTIFY)
        return 0;
    const OFNOTIFYA *notify = reinterpret_cast<const OFNOTIFYA *>(lParam);
    HWND dialog = GetParent(hookWindow);
    if (notify->hdr.code == UINT(CDN_INITDONE)) {
        RECT rect;
        GetWindowRect(dialog, &rect);
        SetWindowPos(dialog, nullptr, 0, 0, rect.right - rect.left,
                     rect.bottom - rect.top - kTrimmedHeight, SWP_NOMOVE);
        CentreWindow(dialog, MainWindowHandle);
        DialogProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OpenDialogProc)));
    } else if (notify->hdr.code == UINT(CDN_SELCHANGE)) {
        // A double click or Enter in the list of files opens the selection
        // without an OK command.
        MakeRoom(dialog);
    }
    return 1;
}

char *ChooseFiles(HWND owner, const char *title, const char *filters)
{
    OPENFILENAMEA request;
    memset(&request, 0, sizeof request);
    request.lStructSize = DWORD(kRequestSize);
    request.hwndOwner = owner;
    request.lpstrFilter = filters;
    request.nFilterIndex = 1;
    request.lpstrFile = static_cast<char *>(calloc(kFirstCapacity + kEndBytes, 1));
    request.nMaxFile = kFirstCapacity;
    request.lpstrTitle = title;
    // No OFN_NOCHANGEDIR: the dialog moves the current directory when the
    // user browses; the main window then makes the chosen files' folder
    // current itself, since a typed full path doesn't move it.
    request.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK;
    request.lpfnHook = ChooserHook;
    OpenRequest = &request;
    BOOL chosen = FALSE;
    while (request.lpstrFile != nullptr && !(chosen = GetOpenFileNameA(&request)) &&
           CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        // A dialog that did not take the larger block says, once closed, in
        // the block's first two bytes, how much it needed: it opens again,
        // in the folder it was in, with room for that choice.
        DWORD needed = *reinterpret_cast<const WORD *>(request.lpstrFile);
        DWORD capacity = needed > 4 * request.nMaxFile ? needed : 4 * request.nMaxFile;
        free(request.lpstrFile);
        request.lpstrFile = static_cast<char *>(calloc(capacity + kEndBytes, 1));
        request.nMaxFile = capacity;
    }
    OpenRequest = nullptr;
    if (!chosen) {
        free(request.lpstrFile);
        return nullptr;
    }
    return request.lpstrFile;
}
