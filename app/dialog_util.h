// Helpers every dialog of the Windows program shares.
#ifndef QUILLON_APP_DIALOG_UTIL_H
#define QUILLON_APP_DIALOG_UTIL_H

#include <windows.h>

// Moves window so that it is centred over reference (or the screen when
// reference is null), then pulled back onto the screen once.
void CentreWindow(HWND window, HWND reference);

// The system Close command of a dialog that only ends on it: low four bits
// cleared, then compared with SC_CLOSE.
// Returns: TRUE when it ended the dialog with 0, FALSE for other commands
// (default handling).
INT_PTR EndOnSystemClose(HWND dialog, WPARAM command);

// The WM_COMMAND and WM_SYSCOMMAND messages of a dialog that ends on its
// OK button (id okButton, which Enter presses), Escape and its close box.
// Returns: TRUE when it ended the dialog with 0, FALSE for other commands
// (default handling).
INT_PTR EndOnOkOrCancel(HWND dialog, UINT message, WPARAM wParam, int okButton);

// Copies source into destination (capacity bytes).
// Returns: 0, or -1 when it didn't fit (destination is then "").
int CopyText(char *destination, const char *source, int capacity);

// Appends source to destination (capacity bytes in all).
// Returns: 0, or -1 when it didn't fit (destination is then unchanged).
int AppendText(char *destination, const char *source, int capacity);

// Returns: the length of path's folder, its last backslash included; 0
// when it has none.
size_t FolderLength(const char *path);

// Program text (Windows-1252) is made native (ToNativeText) before it is
// shown: with the UTF-8 code page, its accents would show broken otherwise.
// Sets window's text to program text.
void SetProgramText(HWND window, const char *ansi);

// Shows format, program text, with nativeArg (native text) in place of its
// %s, in the message dialog over owner; returns when it has closed.
void ShowProgramMessage(HWND owner, const char *format, const char *nativeArg);

// Copies the program's own full path into path (kPathCapacity bytes).
// Returns: the length of its folder, last backslash included, or -1 when
// the path doesn't fit (path is then "").
int GetProgramPath(char *path);

#endif
