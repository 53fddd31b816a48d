// The summary window (dialog 1002): the messages of a batch of several
// files, one a line, shown together at its end in a box where they can be
// selected and copied.
#include <cstdlib>
#include <cstring>

#include "app/app_res.h"
#include "app/dialog_util.h"
#include "app/shell.h"
#include "app/summary_dialog_res.h"

// What the window shows: ShowSummary's heading (borrowed) and its lines
// joined by line ends (owned by ShowSummary).
struct Summary {
    const char *heading;
    char *text;
};

static INT_PTR CALLBACK SummaryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const Summary *summary = reinterpret_cast<const Summary *>(lParam);
        CentreWindow(dialog, MainWindowHandle);
        SetDlgItemTextA(dialog, IDC_SUMMARY_HEADING, summary->heading);
        HWND box = GetDlgItem(dialog, IDC_SUMMARY_TEXT);
        // An edit control takes 32 KB unless told otherwise: here, any length.
        SendMessageA(box, EM_LIMITTEXT, 0, 0);
        SetWindowTextA(box, summary->text);
        return TRUE;  // the focus on the box, first in the tab order, its text selected
    }
    case WM_COMMAND:
    case WM_SYSCOMMAND:
        return EndOnOkOrCancel(dialog, message, wParam, IDC_SUMMARY_OK);
    }
    return FALSE;
}

void ShowSummary(HWND owner, const char *heading, const FileList *lines)
{
    // Each line with its line end ("\r\n" where the list has one zero byte).
    Summary summary = {heading, static_cast<char *>(malloc(lines->used + size_t(lines->count) + 1))};
    if (summary.text == nullptr) {
        ShowMessage(owner, lines->text, AppTitle);  // the first at least
        return;
    }
    char *end = summary.text;
    for (const char *line = NextInList(lines, nullptr); line != nullptr; line = NextInList(lines, line)) {
        size_t length = strlen(line);
        memcpy(end, line, length);
        memcpy(end + length, "\r\n", 2);
        end += length + 2;
    }
    *end = '\0';
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_SUMMARY), owner, SummaryProc,
                    reinterpret_cast<LPARAM>(&summary));
    free(summary.text);
}
