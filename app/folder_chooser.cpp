// The Windows folder dialog that says where the files go of inputs whose
// own folder can't take them (a CD-ROM, a read-only share): asked once,
// the answer kept by the main window for the rest of the run.
#include <cstdio>
#include <cstring>

#include "app/dialog_util.h"
#include "app/shell.h"

#include <shlobj.h>

static const char kFolderCaption[] = "Dossier des fichiers convertis";
static const char kFolderPrompt[] =
    "Le dossier %s est en lecture seule. Choisissez le dossier o\xF9 \xE9" "crire ses fichiers, "
    "et ceux des autres dossiers en lecture seule :";
static const char kAlsoReadOnly[] = "Le dossier %s est lui aussi en lecture seule : choisissez-en un autre.";

// Created, then deleted at once, to learn whether a folder takes files.
static const char kProbeName[] = "quillon-essai.tmp";

// Set when the dialog opens: its caption, its place, and the user's
// Documents folder selected, so that OK at once writes there.
static int CALLBACK FolderDialogHook(HWND dialog, UINT message, LPARAM, LPARAM)
{
    if (message == BFFM_INITIALIZED) {
        SetProgramText(dialog, kFolderCaption);
        CentreWindow(dialog, MainWindowHandle);
        // By its item rather than its path, which the tree may not find.
        LPITEMIDLIST documents;
        if (SHGetFolderLocation(nullptr, CSIDL_PERSONAL, nullptr, 0, &documents) == S_OK) {
            SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(documents));
            CoTaskMemFree(documents);
        }
    }
    return 0;
}

// Returns: true when a file can be created in folder (a path ending in a
// backslash), or when a file already bears the probe's name there.
static bool TakesFiles(const char *folder)
{
    char probe[kPathCapacity];
    if (CopyText(probe, folder, kPathCapacity) < 0 || AppendText(probe, kProbeName, kPathCapacity) < 0)
        return true;  // the driver will say that the path is too long
    HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

// Runs the folder dialog once with prompt (native text).
// Returns: true with folder (kPathCapacity bytes) the chosen folder's path;
// false on "Annuler".
static bool AskFolder(HWND owner, const char *prompt, char *folder)
{
    BROWSEINFOA request;
    memset(&request, 0, sizeof request);
    request.hwndOwner = owner;
    request.lpszTitle = prompt;
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    request.lpfn = FolderDialogHook;
    // The dialog of this style (resizable, with a button for a new folder)
    // needs OLE on this thread.
    HRESULT ole = OleInitialize(nullptr);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&request);
    if (SUCCEEDED(ole))
        OleUninitialize();
    if (chosen == nullptr)
        return false;
    // In UTF-16, then native: the ANSI call would cut a path at 259 bytes.
    wchar_t path[MAX_PATH];
    bool named = SHGetPathFromIDListW(chosen, path)
                 && WideCharToMultiByte(CP_ACP, 0, path, -1, folder, kPathCapacity - 1, nullptr, nullptr) > 0;
    CoTaskMemFree(chosen);
    return named;
}

bool ChooseOutputFolder(HWND owner, const char *readOnly, char *folder)
{
    char format[512];
    char text[sizeof format + kPathCapacity];
    ToNativeText(kFolderPrompt, format, sizeof format);
    snprintf(text, sizeof text, format, readOnly);
    while (AskFolder(owner, text, folder)) {
        // Named without a closing backslash (but a drive's root), used with one.
        size_t length = strlen(folder);
        if (length > 3 && folder[length - 1] == '\\')
            folder[--length] = '\0';
        if (length != 0 && folder[length - 1] != '\\')
            memcpy(folder + length, "\\", 2);
        if (TakesFiles(folder))
            return true;
        folder[length] = '\0';
        ShowProgramMessage(owner, kAlsoReadOnly, folder);
    }
    return false;
}
