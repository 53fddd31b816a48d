// Control numbers of the message dialog (dialog 1001).
#ifndef QUILLON_APP_MESSAGE_DIALOG_RES_H
#define QUILLON_APP_MESSAGE_DIALOG_RES_H

#define IDC_MESSAGE_OK       101
#define IDC_MESSAGE_TEXT     19128

#endif
