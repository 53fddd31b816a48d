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

// The driver's messages, each in a message dialog over the main window.
extern const Reporter MessageDialogReporter;

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
// given title and filter list. buffer (kChooserBufferSize bytes, first byte
// zero) receives either "path\0\0" or "folder\0name\0name\0...\0".
// Returns: true when the user confirmed a choice that fits the buffer.
const int kChooserCapacity = 1024;       // what the Open dialog may fill
const int kChooserBufferSize = 2048;     // what the caller provides
bool ChooseFiles(HWND owner, char *buffer, const char *title, const char *filters);

// ------------------------------------------------------ handed-over files

// Files given on the command line or dropped on the main window, checked
// before the list takes them. The list takes at most kHandedLimit; the
// rest are ignored, as a batch converts no more.
const int kHandedLimit = 32;
const int kLeftOutCapacity = 1024;
struct HandedFiles {
    int count;                                // rows of paths in use
    char paths[kHandedLimit][kPathCapacity];  // full paths of existing files
    int leftOutCount;                         // folders and missing files
    char leftOut[kLeftOutCapacity];           // "path (why), ..." as given
};

// Fills files from the program's arguments: separated by blanks, double
// quotes around a path with blanks. A path over 255 characters is refused
// with its own message at once.
void ReadCommandLine(const char *commandLine, HandedFiles *files);

// The same for the files of a WM_DROPFILES; releases drop.
void ReadDroppedFiles(HDROP drop, HandedFiles *files);

// Shows the one message naming the folders and missing files left out of
// files, if any; returns when the user has closed it.
void ReportLeftOut(const HandedFiles *files);

#endif
