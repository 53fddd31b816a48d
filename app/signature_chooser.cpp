// The signatures-file chooser (dialog 130), run once at start-up: it lists
// the "*.sig" entries of the current directory and only shows itself when
// there are two or more to choose from.
#include <cstring>

#include "app/app_res.h"
#include "app/dialog_util.h"
#include "app/shell.h"
#include "app/signature_chooser_res.h"

static const char kChooserCaption[] = "Sélection d'un fichier de signatures";

// The dialog's state: the caller's name buffer, kept in DWLP_USER.
struct SignatureChooser {
    char *name;  // kPathCapacity bytes; "" until a choice is made
};

static SignatureChooser *ChooserOf(HWND dialog)
{
    return reinterpret_cast<SignatureChooser *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Lists the "*.sig" entries (directories so named included) and remembers
// the first one's name in only.
// Returns: the number of entries listed.
static int ListCandidates(HWND list, char *only)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.sig", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
        if (count == 0)
            CopyText(only, found.cFileName, kPathCapacity);
        ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

static INT_PTR OnChooserInit(HWND dialog, SignatureChooser *chooser)
{
    HICON icon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_APP));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetWindowTextA(dialog, kChooserCaption);
    HWND list = GetDlgItem(dialog, IDC_SIG_LIST);
    char only[kPathCapacity] = "";
    int count = ListCandidates(list, only);
    if (count == 0) {
        chooser->name[0] = '\0';
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (count == 1) {
        CopyText(chooser->name, only, kPathCapacity);
        EndDialog(dialog, 1);
        return TRUE;
    }
    chooser->name[0] = '\0';
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(chooser));
    SetFocus(list);
    return FALSE;  // the focus is set
}

// "OK" or a double click: takes the selected entry, or beeps when none is.
static void OnChooserConfirm(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_SIG_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    SignatureChooser *chooser = ChooserOf(dialog);
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || length >= kPathCapacity) {
        MessageBeep(0xFFFFFFFF);  // a name too long for the path buffer
        return;
    }
    SendMessageA(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(chooser->name));
    EndDialog(dialog, index);
}

static void RequestChooserHelp(HWND dialog, UINT command)
{
    char helpFile[kPathCapacity];
    GetHelpFilePath(helpFile);
    WinHelpA(dialog, helpFile, command, HELP_TOPIC_SIGNATURE_CHOOSER);
}

static INT_PTR OnChooserCommand(HWND dialog, WPARAM wParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == IDC_SIG_OK || (id == IDC_SIG_LIST && code == LBN_DBLCLK)) {
        OnChooserConfirm(dialog);
        return TRUE;
    }
    if (id == IDC_SIG_CANCEL || id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (id == IDC_SIG_HELP && code == BN_CLICKED) {
        RequestChooserHelp(dialog, HELP_CONTEXT);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK SignatureChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnChooserInit(dialog, reinterpret_cast<SignatureChooser *>(lParam));
    case WM_COMMAND:
        return OnChooserCommand(dialog, wParam);
    case WM_HELP:  // F1, or the caption's "?" and a click
        RequestChooserHelp(dialog, HELP_CONTEXTPOPUP);
        return TRUE;
    case WM_VKEYTOITEM:
        // The list hands its keys here first; -1 lets it act on them.
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, -1);
        return -1;
    case WM_SYSCOMMAND:
        return EndOnSystemClose(dialog, wParam);
    }
    return FALSE;
}

int ChooseSignaturesFile(char *name, HWND owner)
{
    SignatureChooser chooser = {name};
    name[0] = '\0';
    INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_SIGNATURE_CHOOSER),
                                     owner, SignatureChooserProc,
                                     reinterpret_cast<LPARAM>(&chooser));
    return result < 0 ? 0 : int(result);
}
