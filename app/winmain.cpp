// Entry point of Quillon.exe: keeps the instance, settles the signatures
// file and runs the main window until the user closes it; files named on
// the command line go to the window's list.
#include "app/shell.h"

#include <commctrl.h>

HINSTANCE AppInstance;
HWND MainWindowHandle;

// commandLine holds the arguments after the program's own path.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    AppInstance = instance;
    InitCommonControls();
    LoadSignaturesPath();
    RunMainWindow(commandLine);
    CloseHelp();
    return 0;
}
