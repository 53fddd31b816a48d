// The About box (dialog 129), opened from the main window's system menu.
#include "app/about_box_res.h"
#include "app/app_res.h"
#include "app/dialog_util.h"
#include "app/shell.h"

static INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CentreWindow(dialog, MainWindowHandle);
        return TRUE;
    case WM_COMMAND:
    case WM_SYSCOMMAND:
        return EndOnOkOrCancel(dialog, message, wParam, IDC_ABOUT_OK);
    }
    return FALSE;
}

void ShowAboutBox(HWND owner)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ABOUT_BOX), owner, AboutBoxProc, 0);
}
