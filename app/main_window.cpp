// The main window (dialog 128): the file list, the information panel, the
// two radio choices that make the conversion mode, and the batch of
// conversions.
#include <cstdio>
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

// The headings of the summary window: the numbers of files and messages.
static const char kBatchHeading[] = "Conversion de %d fichiers : %d messages.";
static const char kHandedHeading[] = "Fichiers remis \xE0 Quillon : %d messages.";

// Posted to itself at initialisation when the program has arguments: they
// are taken once the window shows, so their messages have it as owner.
static const UINT kTakeCommandLine = WM_APP;

// The window's state, kept in DWLP_USER for the dialog's lifetime.
struct MainWindowState {
    // The folder of several files listed that share one, with one
    // backslash appended; "" for one file or for files of several folders
    // (the entries then hold full paths).
    char selectionDirectory[kPathCapacity];
    // Where the files go of inputs whose folder can't take them, ending in
    // a backslash: chosen in the folder dialog and kept for the rest of the
    // run; "" until then.
    char outputFolder[kPathCapacity];
    bool busy;                   // a batch of several files runs: the window is disabled
    const char *commandLine;     // the program's arguments, borrowed
    SignatureTable *signatures;  // the run's, borrowed
};

// One press of "Conversion": its messages, and whether the user declined
// the folder dialog in it (the other files of read-only folders are then
// left without asking again).
struct ConversionRun {
    HWND window;
    MessageLog log;
    bool declined;
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

// Copies the folder of path into folder (kPathCapacity bytes), without its
// closing backslash but at a drive's root ("C:\\").
// Returns: its length; 0 when path has no folder.
static size_t FolderOf(const char *path, char *folder)
{
    size_t length = FolderLength(path);
    if (length >= size_t(kPathCapacity))
        length = 0;
    if (length > 1 && path[length - 2] != ':')
        --length;
    memcpy(folder, path, length);
    folder[length] = '\0';
    return length;
}

// Makes the folder of path current: the driver creates fork files there by
// bare name. A path without a folder leaves the current directory alone.
static void MoveToFolderOf(const char *path)
{
    char folder[kPathCapacity];
    if (FolderOf(path, folder) != 0)
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

// The end of every new list: the first entry selected and shown, its
// folder made current (the Open dialog moves there only when the user
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

// Replaces the list with paths (full paths of files), as the Open dialog
// chose them: bare names after selectionDirectory when several files share
// one folder, full paths otherwise. When paths is empty, the list stays as
// it was.
static void TakeFiles(HWND window, const FileList *paths)
{
    const char *first = NextInList(paths, nullptr);
    if (first == nullptr)
        return;
    size_t folder = paths->count > 1 ? FolderLength(first) : 0;
    for (const char *path = first; path != nullptr && folder != 0; path = NextInList(paths, path)) {
        if (FolderLength(path) != folder || strncmp(path, first, folder) != 0)
            folder = 0;
    }
    MainWindowState *state = StateOf(window);
    memcpy(state->selectionDirectory, first, folder);
    state->selectionDirectory[folder] = '\0';
    // Drawn once, when all are in: a list of thousands fills at once.
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const char *path = first; path != nullptr; path = NextInList(paths, path))
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path + folder));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    ShowNewChoice(window);
}

// Shows the messages of log, about files handed over, over window.
static void ShowHandedMessages(HWND window, const MessageLog *log)
{
    char format[128];
    char heading[sizeof format + 16];
    ToNativeText(kHandedHeading, format, sizeof format);
    snprintf(heading, sizeof heading, format, log->lines.count);
    ShowMessageLog(log, window, heading);
}

// Takes the files of drop, or of the command line when drop is null; then
// shows what was left out and what the folders' walks met, once.
static INT_PTR OnHandedFiles(HWND window, HDROP drop)
{
    MessageLog log;
    StartMessageLog(&log, true);
    HandedFiles files;
    StartHandedFiles(&files, &log);
    if (drop != nullptr)
        ReadDroppedFiles(drop, &files);
    else
        ReadCommandLine(StateOf(window)->commandLine, &files);
    TakeFiles(window, &files.paths);
    ReportLeftOut(&files);
    ShowHandedMessages(window, &log);
    FreeHandedFiles(&files);
    FreeMessageLog(&log);
    return TRUE;
}

// Adds to paths the full paths of a confirmed choice of the Open dialog:
// "path\0\0", or "folder\0name\0name\0...\0" (the folder then gets one
// backslash appended, whatever its last character). A path that would not
// fit kPathCapacity is left out: the dialog gives none.
static void ListChoice(const char *choice, FileList *paths)
{
    const char *next = choice + strlen(choice) + 1;
    if (*next == '\0') {
        AddToFileList(paths, choice);
        return;
    }
    for (; *next != '\0'; next += strlen(next) + 1) {
        char path[kPathCapacity];
        if (CopyText(path, choice, kPathCapacity) == 0 && AppendText(path, "\\", kPathCapacity) == 0
            && AppendText(path, next, kPathCapacity) == 0)
            AddToFileList(paths, path);
    }
}

static void OnBrowse(HWND window)
{
    SendMessageA(GetDlgItem(window, IDC_FILE_LIST), LB_RESETCONTENT, 0, 0);
    char title[sizeof kChooserTitle * 3];   // the filters are plain ASCII
    ToNativeText(kChooserTitle, title, sizeof title);
    char *choice = ChooseFiles(window, title, kChooserFilters);
    if (choice == nullptr) {
        EnableWindow(GetDlgItem(window, IDC_CONVERT), FALSE);
        return;
    }
    FileList paths;
    StartFileList(&paths);
    ListChoice(choice, &paths);
    free(choice);
    TakeFiles(window, &paths);
    FreeFileList(&paths);
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

static void ShowRunMessage(void *run, const char *text)
{
    LogMessage(&static_cast<ConversionRun *>(run)->log, text);
}

// The driver's question for a file whose folder can't take its files: the
// folder chosen earlier in the run, else the folder dialog's answer, asked
// once a batch.
static int ChooseRunFolder(void *context, char *folder)
{
    ConversionRun *run = static_cast<ConversionRun *>(context);
    MainWindowState *state = StateOf(run->window);
    if (state->outputFolder[0] == '\0' && !run->declined) {
        char readOnly[kPathCapacity];
        char chosen[kPathCapacity];
        FolderOf(run->log.input, readOnly);
        // Enabled, the window gets the activation back when the dialog ends.
        EnableWindow(run->window, TRUE);
        run->declined = !ChooseOutputFolder(run->window, readOnly, chosen);
        EnableWindow(run->window, !state->busy);
        if (!run->declined)
            memcpy(state->outputFolder, chosen, sizeof chosen);
    }
    if (run->declined)
        return kNotFound;
    memcpy(folder, state->outputFolder, kPathCapacity);
    return kDone;
}

// Lets the window repaint and answer between the files of a batch (it is
// disabled meanwhile: nothing the user does reaches it).
static void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(int(message.wParam));  // for the dialog's own loop
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Converts every selected entry, in list order, as one batch. A batch of
// one file shows its messages as they come; a batch of several keeps them
// for the end, and meanwhile the window is disabled but repaints.
static void OnConvert(HWND window)
{
    MainWindowState *state = StateOf(window);
    HWND list = GetDlgItem(window, IDC_FILE_LIST);
    LRESULT count = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    int *selected = count > 0 ? static_cast<int *>(malloc(size_t(count) * sizeof(int))) : nullptr;
    if (selected == nullptr)
        return;
    count = SendMessageA(list, LB_GETSELITEMS, WPARAM(count), reinterpret_cast<LPARAM>(selected));
    int mode = ReadConversionMode(window);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ConversionRun run;
    run.window = window;
    run.declined = false;
    StartMessageLog(&run.log, count > 1);
    Reporter reporter = {ShowRunMessage, ChooseRunFolder, &run};
    Batch batch;
    StartBatch(&batch, state->signatures, &reporter);
    HWND focus = GetFocus();
    state->busy = count > 1;
    if (state->busy)
        EnableWindow(window, FALSE);
    for (int i = 0; i < count; ++i) {
        char path[kPathCapacity];
        if (GetEntryPath(window, selected[i], path) != 0)
            continue;
        // Entries may come from several folders: each file's forks go
        // beside it.
        MoveToFolderOf(path);
        run.log.input = path;
        int result = ConvertFile(path, mode, &batch);
        run.log.input = nullptr;
        if (result == kConvertStop)
            break;
        if (state->busy)
            PumpMessages();
    }
    EndBatch(&batch);
    if (state->busy) {
        state->busy = false;
        EnableWindow(window, TRUE);
        SetFocus(focus);  // which the disabled window lost
    }
    SetCursor(previous);
    char format[128];
    char heading[sizeof format + 32];
    ToNativeText(kBatchHeading, format, sizeof format);
    snprintf(heading, sizeof heading, format, int(count), run.log.lines.count);
    ShowMessageLog(&run.log, window, heading);
    FreeMessageLog(&run.log);
    free(selected);
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
    // While a batch runs the window takes no command and no drop: nothing
    // may change the list or start a batch under it.
    MainWindowState *state = message == WM_INITDIALOG ? nullptr : StateOf(window);
    if (state != nullptr && state->busy) {
        if (message == WM_DROPFILES)
            DragFinish(reinterpret_cast<HDROP>(wParam));
        if (message == WM_SETCURSOR)
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        if (message == WM_COMMAND || message == WM_DROPFILES || message == WM_SETCURSOR) {
            SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
    }
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
    static MainWindowState state;  // about 2 KB: kept off the stack
    state.commandLine = commandLine;
    state.signatures = signatures;
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                    MainWindowProc, reinterpret_cast<LPARAM>(&state));
}
