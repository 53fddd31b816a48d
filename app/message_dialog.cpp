// The OK-only message dialog (dialog 1001) through which the conversion
// driver and the main window report.
#include "app/app_res.h"
#include "app/dialog_util.h"
#include "app/message_dialog_res.h"
#include "app/shell.h"

// The captions of the message dialogs. The program's version is 1.1 (the
// version block); this text keeps "2.0", and the About box "Version 1.0.",
// as they have always read.
const char AppTitle[] = "Quillon 2.0 - (c) 2025-2026 Marrowby";

// The text and caption of the open message dialog: ShowMessage's arguments,
// borrowed for the dialog's lifetime (only one is open at a time).
static const char *MessageText = "";
static const char *MessageCaption = "";

static INT_PTR OnMessageCommand(HWND dialog, WPARAM wParam)
{
    int id = LOWORD(wParam);
    // Only OK (or Enter, through the default button) closes it; the cancel
    // command of the Escape key is ignored on purpose.
    if (id == IDOK || id == IDC_MESSAGE_OK)
        EndDialog(dialog, 0);
    return TRUE;
}

static INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CentreWindow(dialog, MainWindowHandle);
        SetDlgItemTextA(dialog, IDC_MESSAGE_TEXT, MessageText);
        SetWindowTextA(dialog, MessageCaption);
        return FALSE;  // the dialog manager leaves the focus alone
    case WM_COMMAND:
        return OnMessageCommand(dialog, wParam);
    case WM_SYSCOMMAND:
        return EndOnSystemClose(dialog, wParam);
    }
    return FALSE;
}

int ShowMessage(HWND owner, const char *text, const char *caption)
{
    MessageText = text;
    MessageCaption = caption;
    INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MESSAGE_DIALOG),
                                     owner, MessageDialogProc, 0);
    return int(result);
}

static void ShowDriverMessage(void *, const char *text)
{
    ShowMessage(MainWindowHandle, text, AppTitle);
}

const Reporter MessageDialogReporter = {ShowDriverMessage, nullptr, nullptr};
