// The signatures-file chooser (dialog 130), run once at start-up: it lists
// the "*.sig" entries of the current directory, or of the program's folder
// when the current one holds none, and only shows itself when there are two
// or more to choose from.
#include <cstring>

#include "app/app_res.h"
#include "app/dialog_util.h"
#include "app/shell.h"
#include "app/signature_chooser_res.h"

static const char kChooserCaption[] = "S\xE9lection d'un fichier de signatures";

// The dialog's state, kept in DWLP_USER.
struct SignatureChooser {
    char *path;                    // the caller's, kPathCapacity bytes; "" until a choice is made
    char folder[kPathCapacity];    // of the entries listed, with a closing backslash
};

static SignatureChooser *ChooserOf(HWND dialog)
{
    return reinterpret_cast<SignatureChooser *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Makes folder (kPathCapacity bytes) the current directory followed by one
// backslash, whatever its last character (at a drive's root the stored path
// then holds two, which Windows reads as one), or with program set the
// program's own folder with its closing backslash.
// Returns: 0, or -1 when it doesn't fit.
static int GetFolder(char *folder, bool program)
{
    if (program) {
        int length = GetProgramPath(folder);
        if (length >= 0)
            folder[length] = '\0';
        return length < 0 ? -1 : 0;
    }
    DWORD length = GetCurrentDirectoryA(kPathCapacity, folder);
    if (length == 0 || length >= DWORD(kPathCapacity))
        return -1;
    return AppendText(folder, "\\", kPathCapacity);
}

// Lists the "*.sig" entries of folder (directories so named included) and
// remembers the first one's name in only. The search is made in UTF-16, whose
// names of any length and script the ANSI one cuts at 259 bytes.
// Returns: the number of entries listed.
static int ListCandidates(HWND list, const char *folder, char *only)
{
    char pattern[kPathCapacity];
    wchar_t widePattern[kPathCapacity];
    if (CopyText(pattern, folder, kPathCapacity) < 0 || AppendText(pattern, "*.sig", kPathCapacity) < 0
        || MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, kPathCapacity) == 0)
        return 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        char name[kPathCapacity];
        if (WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, kPathCapacity, nullptr, nullptr) == 0)
            continue;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (count == 0)
            CopyText(only, name, kPathCapacity);
        ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// Makes the chooser's path its folder and name; "" when that doesn't fit
// or passes kPathCharacters characters.
static void TakeEntry(SignatureChooser *chooser, const char *name)
{
    if (CopyText(chooser->path, chooser->folder, kPathCapacity) < 0
        || AppendText(chooser->path, name, kPathCapacity) < 0
        || CountCharacters(chooser->path) > size_t(kPathCharacters))
        chooser->path[0] = '\0';
}

static INT_PTR OnChooserInit(HWND dialog, SignatureChooser *chooser)
{
    HICON icon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_APP));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetProgramText(dialog, kChooserCaption);
    HWND list = GetDlgItem(dialog, IDC_SIG_LIST);
    char only[kPathCapacity] = "";
    int count = 0;
    if (GetFolder(chooser->folder, false) == 0)
        count = ListCandidates(list, chooser->folder, only);
    if (count == 0 && GetFolder(chooser->folder, true) == 0)
        count = ListCandidates(list, chooser->folder, only);
    if (count < 2) {
        if (count == 1)
            TakeEntry(chooser, only);
        EndDialog(dialog, count);
        return TRUE;
    }
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
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || length >= kPathCapacity) {
        MessageBeep(0xFFFFFFFF);  // a name too long for the path buffer
        return;
    }
    char name[kPathCapacity];
    SendMessageA(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(name));
    TakeEntry(ChooserOf(dialog), name);
    EndDialog(dialog, index);
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
        ShowHelp(dialog, HELP_PAGE_SIGNATURE_CHOOSER);
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
        ShowHelp(dialog, HELP_PAGE_SIGNATURE_CHOOSER);
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

int ChooseSignaturesFile(char *path, HWND owner)
{
    SignatureChooser chooser;
    chooser.path = path;
    path[0] = '\0';
    INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_SIGNATURE_CHOOSER),
                                     owner, SignatureChooserProc,
                                     reinterpret_cast<LPARAM>(&chooser));
    return result < 0 ? 0 : int(result);
}
