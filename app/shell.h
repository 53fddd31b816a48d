// Application shell: the program-wide handles and the dialogs of the Windows
// front end. Everything here runs on the one user-interface thread.
#ifndef QUILLON_APP_SHELL_H
#define QUILLON_APP_SHELL_H

#include <windows.h>

#include <shellapi.h>

#include "extract/convert.h"
#include "extract/platform.h"
#include "extract/signatures.h"

// The program's module instance, kept at entry; dialog templates and icon
// 100 are loaded from it.
extern HINSTANCE AppInstance;

// The main window, from the first step of its initialisation on; null
// before. Owner of the message dialogs, reference for centring the others.
extern HWND MainWindowHandle;

// The signatures file's full path, settled at start-up (LoadSignaturesPath);
// empty when the run has none.
extern char SignaturesFilePath[kPathCapacity];

// ------------------------------------------------------- message dialog

// The caption of every message dialog.
extern const char AppTitle[];

// Shows text in the OK-only message dialog (dialog 1001) owned by owner,
// with caption as its title; text and caption stay borrowed until it
// returns. Returns: 0 once the dialog has closed.
int ShowMessage(HWND owner, const char *text, const char *caption);

// ---------------------------------------------------- messages of a batch

// The messages of one piece of work (a press of "Conversion", the files of
// a command line or a drop). With one file they are shown as they come;
// with several they are kept and shown together at the end
// (ShowMessageLog), so that a batch asks for one click whatever the number
// of its problems.
struct MessageLog {
    bool keep;          // several files: keep the messages for the end
    FileList lines;     // the messages kept, native text
    const char *input;  // the file being converted (borrowed), or null
};

void StartMessageLog(MessageLog *log, bool keep);
void FreeMessageLog(MessageLog *log);

// Shows text (native) at once in the message dialog, or keeps it as a
// line; a kept message that doesn't name log->input is preceded by it:
// "input : text". A line that can't be kept (no memory) is shown at once.
void LogMessage(MessageLog *log, const char *text);

// A reporter whose messages go to log; it has no folder to offer.
Reporter MessageLogReporter(MessageLog *log);

// Shows the kept messages over owner: none, nothing; one, the message
// dialog; several, the summary window under heading (native text).
void ShowMessageLog(const MessageLog *log, HWND owner, const char *heading);

// Runs the summary window (dialog 1002) over owner: heading above, then
// lines (native text, a message each) in a box where they can be selected
// and copied. Returns when it has closed.
void ShowSummary(HWND owner, const char *heading, const FileList *lines);

// ----------------------------------------------------------------- help

// Opens the help file, the program's own path with its extension replaced
// by "chm", in the HTML Help viewer, owned by owner: at page (a name of
// help/, borrowed), or at its contents page when page is null. A help file
// that is missing or that the viewer can't show gets a message naming it.
void ShowHelp(HWND owner, const char *page);

// Closes the help windows still open; called once as the program ends.
void CloseHelp();

// ------------------------------------------------------------- settings

// Opens HKEY_LOCAL_MACHINE\Software\Marrowby\Quillon\<subkey> for reading
// and writing, creating it when absent. disposition receives
// REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
// Returns: the key (the caller closes it), or null when it can't be opened.
HKEY OpenSettingsKey(const char *subkey, DWORD *disposition);

// Settles SignaturesFilePath from the registry at start-up, offering the
// signatures-file chooser on a first start (or when the stored path is an
// empty string) and storing the chosen file's full path.
void LoadSignaturesPath();

// ------------------------------------------------------------- dialogs

// Runs the main window (dialog 128) modally until the user closes it.
// commandLine (the program's arguments, borrowed for the run) may name
// files that the list takes as soon as the window shows; signatures is the
// run's table, handed to every conversion.
void RunMainWindow(const char *commandLine, SignatureTable *signatures);

// Runs the About box (dialog 129) over owner.
void ShowAboutBox(HWND owner);

// Lets the user pick a "*.sig" file (dialog 130) of the current directory,
// or, when it holds none, of the program's own folder: Explorer starts the
// program in a document's folder ("Open with", a file association). path
// (kPathCapacity bytes) receives the chosen entry's full path, or "" when
// nothing was chosen or the path doesn't fit. Returns: the dialog's end
// value (the chosen entry's index, 1 when the only candidate was taken
// without asking, 0 when nothing was chosen).
int ChooseSignaturesFile(char *path, HWND owner);

// Runs the platform's Open dialog (Explorer style, several files) with the
// given title and filter list; the block that receives the choice grows
// while the dialog is open, so that a choice of any length is taken whole.
// Returns: the choice, "path\0\0" or "folder\0name\0name\0...\0", in a
// block the caller frees (free); null when the user chose nothing.
char *ChooseFiles(HWND owner, const char *title, const char *filters);

// Asks, with the Windows folder dialog over owner, where to write the files
// of inputs whose folder can't take them; readOnly (native text) names the
// first such folder. A folder that is read-only as well is refused with a
// message and the question asked again. folder (kPathCapacity bytes)
// receives the chosen folder's path, ending in a backslash.
// Returns: true, or false when the user pressed "Annuler".
bool ChooseOutputFolder(HWND owner, const char *readOnly, char *folder);

// ------------------------------------------------------ handed-over files

// Files given on the command line or dropped on the main window, checked
// before the list takes them: a file is taken by its full path, a folder
// stands for the files its walk finds (AddFolderFiles), a missing file is
// left out. Problems go to the log given to StartHandedFiles.
const int kLeftOutCapacity = 1024;
struct HandedFiles {
    FileList paths;                  // full paths of the files to list
    int leftOutCount;                // missing files
    char leftOut[kLeftOutCapacity];  // "path (why), ..." as given
    bool full;                       // no memory for more paths
    Reporter reporter;               // to the log
};

void StartHandedFiles(HandedFiles *files, MessageLog *log);
void FreeHandedFiles(HandedFiles *files);

// Takes the program's arguments: separated by blanks, double quotes around
// a path with blanks. A path over 255 characters is refused with its own
// message.
void ReadCommandLine(const char *commandLine, HandedFiles *files);

// The same for the files of a WM_DROPFILES; releases drop.
void ReadDroppedFiles(HDROP drop, HandedFiles *files);

// Adds to the log the one message naming the missing files left out, and
// the one saying that memory ran short, if need be.
void ReportLeftOut(HandedFiles *files);

#endif
