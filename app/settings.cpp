// The one persistent setting: the signatures file's path, kept as the
// default value of HKEY_LOCAL_MACHINE\Software\Marrowby\Quillon\Sign.
//
// The 32-bit program declares no execution level in its manifest, so for a
// standard user Windows virtualizes the HKLM key into the user's hive and
// the setting still works; an administrator writes the real key.
#include <cstring>

#include "app/dialog_util.h"
#include "app/shell.h"

static const char kSettingsRoot[] = "Software\\Marrowby\\";
static const char kProductName[] = "Quillon";
static const char kSignaturesSubkey[] = "Sign";
static const int kKeyPathCapacity = 64;
static const REGSAM kSettingsAccess = 0x2001F;  // KEY_READ | KEY_WRITE

HKEY OpenSettingsKey(const char *subkey, DWORD *disposition)
{
    char keyPath[kKeyPathCapacity] = "";
    if (AppendText(keyPath, kSettingsRoot, kKeyPathCapacity) < 0
        || AppendText(keyPath, kProductName, kKeyPathCapacity) < 0
        || AppendText(keyPath, "\\", kKeyPathCapacity) < 0
        || AppendText(keyPath, subkey, kKeyPathCapacity) < 0)
        return nullptr;
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, kSettingsAccess,
                                  nullptr, &key, disposition);
    return status == ERROR_SUCCESS ? key : nullptr;
}

// Reads the stored path into SignaturesFilePath.
// Returns: 1 when the value is an empty string (the chooser is offered
// again), else 0. A missing value, or one too long for the buffer, leaves
// the path empty.
static int ReadStoredPath(HKEY key)
{
    DWORD size = kPathCapacity;
    LONG status = RegQueryValueExA(key, nullptr, nullptr, nullptr,
                                   reinterpret_cast<BYTE *>(SignaturesFilePath), &size);
    if (status != ERROR_SUCCESS) {
        SignaturesFilePath[0] = '\0';
        return 0;
    }
    // A value stored without its terminator, or of another type, is cut to
    // what was read.
    if (size < DWORD(kPathCapacity))
        SignaturesFilePath[size] = '\0';
    SignaturesFilePath[kPathCapacity - 1] = '\0';
    return size == 1 ? 1 : 0;
}

void LoadSignaturesPath()
{
    DWORD disposition = 0;
    HKEY key = OpenSettingsKey(kSignaturesSubkey, &disposition);
    if (key == nullptr)
        return;
    int offerChooser = 1;
    if (disposition != REG_CREATED_NEW_KEY)
        offerChooser = ReadStoredPath(key);
    if (offerChooser) {
        ChooseSignaturesFile(SignaturesFilePath, nullptr);
        if (SignaturesFilePath[0] != '\0') {
            RegSetValueExA(key, nullptr, 0, REG_SZ,
                           reinterpret_cast<const BYTE *>(SignaturesFilePath),
                           DWORD(strlen(SignaturesFilePath) + 1));
        }
    }
    RegCloseKey(key);
}
