// The OK-only message dialog (dialog 1001) through which the conversion
// driver and the main window report, and the messages of a batch kept for
// its end.
#include <cstdio>
#include <cstring>

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

void StartMessageLog(MessageLog *log, bool keep)
{
    log->keep = keep;
    StartFileList(&log->lines);
    log->input = nullptr;
}

void FreeMessageLog(MessageLog *log)
{
    FreeFileList(&log->lines);
}

void LogMessage(MessageLog *log, const char *text)
{
    if (log->keep) {
        // A driver's message (kMessageCapacity bytes at most) after a path.
        char line[kPathCapacity + 4300];
        const char *kept = text;
        if (log->input != nullptr && strstr(text, log->input) == nullptr) {
            snprintf(line, sizeof line, "%s : %s", log->input, text);
            kept = line;
        }
        if (AddToFileList(&log->lines, kept) == kDone)
            return;
    }
    ShowMessage(MainWindowHandle, text, AppTitle);
}

static void ShowLogged(void *log, const char *text)
{
    LogMessage(static_cast<MessageLog *>(log), text);
}

Reporter MessageLogReporter(MessageLog *log)
{
    Reporter reporter = {ShowLogged, nullptr, log};
    return reporter;
}

void ShowMessageLog(const MessageLog *log, HWND owner, const char *heading)
{
    if (log->lines.count == 1)
        ShowMessage(owner, log->lines.text, AppTitle);
    else if (log->lines.count > 1)
        ShowSummary(owner, heading, &log->lines);
}
