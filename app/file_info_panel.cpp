// Puts the portable information text of a file into the main window's panel.
#include "app/shell.h"

int ShowFileInfo(const char *path, HWND panel)
{
    char text[kInfoTextCapacity];
    int result = FormatFileInfo(path, text);
    SetWindowTextA(panel, text);
    return result;
}
