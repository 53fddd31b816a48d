// Entry point of Quillon.exe: keeps the instance, settles the signatures
// file and runs the main window until the user closes it; files named on
// the command line go to the window's list.
#include "app/shell.h"

#include <commctrl.h>

HINSTANCE AppInstance;
HWND MainWindowHandle;
char SignaturesFilePath[kPathCapacity];

// commandLine holds the arguments after the program's own path.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    AppInstance = instance;
    InitCommonControls();
    LoadSignaturesPath();
    // The run's table: read from the file at the first fork extraction.
    static SignatureTable signatures;
    OpenSignatureTable(&signatures, SignaturesFilePath);
    RunMainWindow(commandLine, &signatures);
    CloseHelp();
    return 0;
}
