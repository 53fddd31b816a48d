// Control numbers of the About box (dialog 129).
#ifndef QUILLON_APP_ABOUT_BOX_RES_H
#define QUILLON_APP_ABOUT_BOX_RES_H

#define IDC_ABOUT_TITLE      1000
#define IDC_ABOUT_CONTACT    1001
#define IDC_ABOUT_OK         101

#endif
