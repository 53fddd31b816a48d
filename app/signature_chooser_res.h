// Control numbers of the signatures-file chooser (dialog 130).
#ifndef QUILLON_APP_SIGNATURE_CHOOSER_RES_H
#define QUILLON_APP_SIGNATURE_CHOOSER_RES_H

#define IDC_SIG_CANCEL       100
#define IDC_SIG_OK           101
#define IDC_SIG_LIST         256
#define IDC_SIG_HELP         1280

// The chooser's page in the program's help file (help/; the build checks
// that it is one of its pages).
#define HELP_PAGE_SIGNATURE_CHOOSER "signatures.htm"

#endif
