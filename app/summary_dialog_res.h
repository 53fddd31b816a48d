// Control numbers of the summary window (dialog 1002).
#ifndef QUILLON_APP_SUMMARY_DIALOG_RES_H
#define QUILLON_APP_SUMMARY_DIALOG_RES_H

#define IDC_SUMMARY_HEADING  1003
#define IDC_SUMMARY_TEXT     1004
#define IDC_SUMMARY_OK       101

#endif
