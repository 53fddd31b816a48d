// Entry point of Quillon.exe: keeps the instance, settles the signatures
// file and runs the main window until the user closes it.
#include "app/shell.h"

#include <commctrl.h>

HINSTANCE AppInstance;
WindowHandle MainWindowHandle;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppInstance = instance;
    InitCommonControls();
    LoadSignaturesPath();
    RunMainWindow();
    return 0;
}
