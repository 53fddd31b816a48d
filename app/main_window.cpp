// The main window (dialog 128): the file list, the information panel, the
// two radio choices that make the conversion mode, and the batch of
// conversions.
#include <cstdlib>
#include <cstring>

#include "extract/file_info.h"

#include "app/app_res.h"
#include "app/main_window_res.h"
#include "app/dialog_util.h"
#include "app/shell.h"

static const char kChooserTitle[] = "S\xE9lection des fichiers BinHex/MacBinary";
static const char kChooserFilters[] =
    "Fichiers BinHex [*.hqx]\0*.hqx\0"
    "Fichiers MacBinary[*.bin]\0*.bin\0"
    "Tous fichiers[*.*]\0*.*\0";
static const char kAboutItem[] = "A propos de Quillon";
static const char kHelpItem[] = "Aide \xE0 l'utilisation";

// At most this many selected entries are converted by one "Conversion".
static const int kBatchLimit = 32;

// Posted to itself at initialisation when the program has arguments: they
// are taken once the window shows, so their messages have it as owner.
static const UINT kTakeCommandLine = WM_APP;

// The window's state, kept in DWLP_USER for the dialog's lifetime.
struct MainWindowState {
    // The folder of a several-file choice with one backslash appended (or
    // of handed-over files that share one); "" after a one-file choice or
    // for files of several folders (the entries then hold full paths).
    char selectionDirectory[kPathCapacity];
    char chooserResult[kChooserBufferSize];
    const char *commandLine;  // the program's arguments, borrowed
    SignatureTable *signatures;  // the run's, borrowed
};

static MainWindowState *StateOf(HWND window)
{
    return reinterpret_cast<MainWindowState *>(GetWindowLongPtrA(window, DWLP_USER));
}

// Forms the entry path of list entry index into path (kPathCapacity bytes).
// Returns: 0, or -1 when the entry is absent or the path doesn't fit.
static int GetEntryPath(HWND window, int index, char *path)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || length >= kPathCapacity)
        return -1;
    char entry[kPathCapacity];
    SendMessageA(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(entry));
    if (CopyText(path, StateOf(window)->selectionDirectory, kPathCapacity) < 0
        || AppendText(path, entry, kPathCapacity) < 0)
        return -1;
    return 0;
}

// Fills the information panel with the details of the file at path, or
// with the message for a file that is not BinHex.
static void ShowFileInfo(const char *path, HWND panel)
{
    char text[kInfoTextCapacity];
    FormatFileInfo(path, text);
    SetWindowTextA(panel, text);
}

static void ShowEntryInfo(HWND window, int index)
{
    char path[kPathCapacity];
    if (GetEntryPath(window, index, path) == 0)
        ShowFileInfo(path, GetDlgItem(window, IDC_INFO_PANEL));
}

// Makes the folder of path current: the driver creates fork files there by
// bare name. A path without a folder leaves the current directory alone.
static void MoveToFolderOf(const char *path)
{
    char folder[kPathCapacity];
    size_t length = FolderLength(path);
    if (length == 0 || length >= size_t(kPathCapacity))
        return;
    memcpy(folder, path, length);
    folder[length] = '\0';
    SetCurrentDirectoryA(folder);
}

static INT_PTR OnMainInit(HWND window, MainWindowState *state)
{
    MainWindowHandle = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    CentreWindow(window, nullptr);
    HMENU systemMenu = GetSystemMenu(window, FALSE);
    char item[64];
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ToNativeText(kAboutItem, item, sizeof item);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, item);
    ToNativeText(kHelpItem, item, sizeof item);
    AppendMenuA(systemMenu, MF_STRING, IDM_HELP, item);
    HICON icon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_APP));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    EnableWindow(GetDlgItem(window, IDC_CONVERT), FALSE);
    CheckRadioButton(window, IDC_EXTRACT, IDC_MACBINARY, IDC_EXTRACT);
    CheckRadioButton(window, IDC_DATA_ONLY, IDC_BOTH_FORKS, IDC_DATA_ONLY);
    DragAcceptFiles(window, TRUE);
    if (state->commandLine[strspn(state->commandLine, " \t")] != '\0')
        PostMessageA(window, kTakeCommandLine, 0, 0);
    return TRUE;
}

// Adds the entries of a confirmed choice to the (emptied) list. Entries
// whose entry path would not fit kPathCapacity are left out.
static void FillFileList(HWND window, MainWindowState *state)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    const char *first = state->chooserResult;
    const char *next = first + strlen(first) + 1;
    if (*next == '\0') {
        state->selectionDirectory[0] = '\0';
        if (strlen(first) < size_t(kPathCapacity))
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(first));
        return;
    }
    if (CopyText(state->selectionDirectory, first, kPathCapacity) < 0
        || AppendText(state->selectionDirectory, "\\", kPathCapacity) < 0)
        state->selectionDirectory[0] = '\0';
    size_t directoryLength = strlen(state->selectionDirectory);
    for (; *next != '\0'; next += strlen(next) + 1) {
        if (directoryLength != 0 && directoryLength + strlen(next) < size_t(kPathCapacity))
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(next));
    }
}

// The end of every confirmed choice: the first entry selected and shown,
// its folder made current (the Open dialog moves there only when the user
// browses into it, not for a typed full path).
static void ShowNewChoice(HWND window)
{
    EnableWindow(GetDlgItem(window, IDC_CONVERT), TRUE);
    SendMessageA(GetDlgItem(window, IDC_FILE_LIST), LB_SETSEL, TRUE, 0);
    ShowEntryInfo(window, 0);
    char path[kPathCapacity];
    if (GetEntryPath(window, 0, path) == 0)
        MoveToFolderOf(path);
}

// Replaces the list with the files of a command line or a drop, like a new
// choice in the Open dialog: bare names after SelectionDirectory when
// several files share one folder, full paths otherwise. When none was
// taken, the list stays as it was. Then names what was left out.
static void TakeHandedFiles(HWND window, const HandedFiles *files)
{
    MainWindowState *state = StateOf(window);
    if (files->count > 0) {
        size_t folder = files->count > 1 ? FolderLength(files->paths[0]) : 0;
        for (int i = 1; i < files->count; ++i) {
            if (FolderLength(files->paths[i]) != folder
                || strncmp(files->paths[i], files->paths[0], folder) != 0)
                folder = 0;
        }
        memcpy(state->selectionDirectory, files->paths[0], folder);
        state->selectionDirectory[folder] = '\0';
        HWND list = GetDlgItem(window, IDC_FILE_LIST);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < files->count; ++i)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(files->paths[i] + folder));
        ShowNewChoice(window);
    }
    ReportLeftOut(files);
}

// Takes the files of drop, or of the command line when drop is null.
static INT_PTR OnHandedFiles(HWND window, HDROP drop)
{
    HandedFiles files;  // about 34 KB, for this one message
    if (drop != nullptr)
        ReadDroppedFiles(drop, &files);
    else
        ReadCommandLine(StateOf(window)->commandLine, &files);
    TakeHandedFiles(window, &files);
    return TRUE;
}

static void OnBrowse(HWND window)
{
    MainWindowState *state = StateOf(window);
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    HWND convert = GetDlgItem(window, IDC_CONVERT);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    // The chooser may fill kChooserCapacity bytes; the rest of the buffer
    // stays zero, so the list of names always ends.
    memset(state->chooserResult, 0, sizeof state->chooserResult);
    char title[sizeof kChooserTitle * 3];   // the filters are plain ASCII
    ToNativeText(kChooserTitle, title, sizeof title);
    if (!ChooseFiles(window, state->chooserResult, title, kChooserFilters)) {
        EnableWindow(convert, FALSE);
        return;
    }
    FillFileList(window, state);
    ShowNewChoice(window);
}

static void OnSelectionChange(HWND window)
{
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    if (SendMessageA(list, LB_GETSELCOUNT, 0, 0) != 1)
        return;
    int index = 0;
    SendMessageA(list, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index));
    ShowEntryInfo(window, index);
}

// The top-level choice (extract or MacBinary) and the extraction sub-option
// are independent; a click on a sub-option also chooses extraction.
static void OnModeClick(HWND window, int id)
{
    if (id == IDC_MACBINARY) {
        CheckRadioButton(window, IDC_EXTRACT, IDC_MACBINARY, IDC_MACBINARY);
        return;
    }
    CheckRadioButton(window, IDC_EXTRACT, IDC_MACBINARY, IDC_EXTRACT);
    if (id != IDC_EXTRACT)
        CheckRadioButton(window, IDC_DATA_ONLY, IDC_BOTH_FORKS, id);
}

static int ReadConversionMode(HWND window)
{
    if (IsDlgButtonChecked(window, IDC_EXTRACT) != BST_CHECKED)
        return kModeMacBinary;
    if (IsDlgButtonChecked(window, IDC_RESOURCE_ONLY) == BST_CHECKED)
        return kModeResource;
    if (IsDlgButtonChecked(window, IDC_BOTH_FORKS) == BST_CHECKED)
        return kModeBoth;
    return kModeData;
}

static void OnConvert(HWND window)
{
    MainWindowState *state = StateOf(window);
    int mode = ReadConversionMode(window);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    int selected[kBatchLimit];
    LRESULT count = SendMessageA(GetDlgItem(window, IDC_FILE_LIST), LB_GETSELITEMS,
                                 kBatchLimit, reinterpret_cast<LPARAM>(selected));
    Batch batch;
    StartBatch(&batch, state->signatures, &MessageDialogReporter);
    for (int i = 0; i < count; ++i) {
        char path[kPathCapacity];
        if (GetEntryPath(window, selected[i], path) == 0) {
            // Entries may come from several folders (a command line, a
            // drop): each file's forks go beside it.
            MoveToFolderOf(path);
            if (ConvertFile(path, mode, &batch) == kConvertStop)
                break;
        }
    }
    EndBatch(&batch);
    SetCursor(previous);
}

static INT_PTR OnMainCommand(HWND window, WPARAM wParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
    case IDC_BROWSE:
        OnBrowse(window);
        return TRUE;
    case IDC_CONVERT:
        OnConvert(window);
        return TRUE;
    case IDC_QUIT:
        EndDialog(window, 0);
        return TRUE;
    case IDC_FILE_LIST:
        if (code == LBN_SELCHANGE)
            OnSelectionChange(window);
        return TRUE;
    case IDC_EXTRACT:
    case IDC_MACBINARY:
    case IDC_DATA_ONLY:
    case IDC_RESOURCE_ONLY:
    case IDC_BOTH_FORKS:
        if (code == BN_CLICKED)
            OnModeClick(window, id);
        return TRUE;
    }
    return FALSE;  // IDCANCEL (Escape) included: it doesn't close the window
}

static INT_PTR OnMainSysCommand(HWND window, WPARAM wParam)
{
    switch (wParam & 0xFFF0) {
    case IDM_ABOUT:
        ShowAboutBox(window);
        return TRUE;
    case IDM_HELP:
        ShowHelp(window, nullptr);
        return TRUE;
    case SC_CLOSE:
        EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

static INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnMainInit(window, reinterpret_cast<MainWindowState *>(lParam));
    case WM_COMMAND:
        return OnMainCommand(window, wParam);
    case WM_SYSCOMMAND:
        return OnMainSysCommand(window, wParam);
    case WM_DROPFILES:
        return OnHandedFiles(window, reinterpret_cast<HDROP>(wParam));
    case kTakeCommandLine:
        // The dialog manager shows the window only once its queue is
        // empty: show it now, so a message opens over a visible window.
        ShowWindow(window, SW_SHOWNORMAL);
        return OnHandedFiles(window, nullptr);
    case WM_DESTROY:
        EndDialog(window, 0);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

void RunMainWindow(const char *commandLine, SignatureTable *signatures)
{
    static MainWindowState state;  // about 4 KB: kept off the stack
    state.commandLine = commandLine;
    state.signatures = signatures;
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                    MainWindowProc, reinterpret_cast<LPARAM>(&state));
}
