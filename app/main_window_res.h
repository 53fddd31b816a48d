// Control and command numbers of the main window (dialog 128).
#ifndef QUILLON_APP_MAIN_WINDOW_RES_H
#define QUILLON_APP_MAIN_WINDOW_RES_H

#define IDC_FILE_LIST        256
#define IDC_BROWSE           257
#define IDC_EXTRACT          258
#define IDC_MACBINARY        259
#define IDC_DATA_ONLY        260
#define IDC_RESOURCE_ONLY    261
#define IDC_BOTH_FORKS       262
#define IDC_INFO_PANEL       263
#define IDC_CONVERT          264
#define IDC_QUIT             1111

// Items the window appends to its system menu.
#define IDM_ABOUT            1024
#define IDM_HELP             1280

#endif
