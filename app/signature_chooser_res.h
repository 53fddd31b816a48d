// Control numbers of the signatures-file chooser (dialog 130).
#ifndef QUILLON_APP_SIGNATURE_CHOOSER_RES_H
#define QUILLON_APP_SIGNATURE_CHOOSER_RES_H

#define IDC_SIG_CANCEL       100
#define IDC_SIG_OK           101
#define IDC_SIG_LIST         256
#define IDC_SIG_HELP         1280

// Help topic of the chooser in the program's help file.
#define HELP_TOPIC_SIGNATURE_CHOOSER 130

#endif
