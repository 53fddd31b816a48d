// Resource numbers shared by every dialog: the program icon and the
// dialog templates. Included by the resource script and the C++ sources.
#ifndef QUILLON_APP_APP_RES_H
#define QUILLON_APP_APP_RES_H

#define IDI_APP              100

#define IDD_MAIN_WINDOW      128
#define IDD_ABOUT_BOX        129
#define IDD_SIGNATURE_CHOOSER 130
#define IDD_MESSAGE_DIALOG   1001
#define IDD_SUMMARY          1002

#endif
