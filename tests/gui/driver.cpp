// End-to-end driver of Quillon.exe, run under Wine beside it.
//
//   quillon-gui-driver SUITE QUILLON_EXE ARTIFACTS_DIR
//
// Plays what a user's clicks and keys would do (posted commands, key
// messages, list selections), reads the windows' state back, checks the
// files on disk and the registry, and prints one line per scenario:
// "PASS name" or "FAIL name: reason" (UTF-8). Clicks are always posted: a
// sent click would block while its handler runs a modal loop.
//
// The driver also owns a hidden window of the help system's class, so the
// program's help requests arrive here (WM_COPYDATA) and can be checked
// instead of starting a help viewer.
//
// This file is UTF-8; it is compiled with -fexec-charset=CP1252, so its
// literals compare byte for byte with the program's ANSI texts.
#include <windows.h>

#include <commdlg.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// ----------------------------------------------------------------- output

static std::string Utf8(const std::string &ansi)
{
    if (ansi.empty())
        return ansi;
    int wide = MultiByteToWideChar(1252, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    std::wstring w(size_t(wide), L'\0');
    MultiByteToWideChar(1252, 0, ansi.data(), int(ansi.size()), &w[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

static std::string Format(const char *format, ...)
{
    char buffer[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Shows control characters, so a failing text comparison reads clearly.
static std::string Show(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20)
            out += Format("\\x%02X", c);
        else
            out += char(c);
    }
    return out + "\"";
}

static std::string FailureText;  // empty while the scenario holds

#define CHECK(condition, ...)                                                   \
    do {                                                                        \
        if (!(condition)) {                                                     \
            FailureText = Format("line %d: ", __LINE__) + Format(__VA_ARGS__);  \
            return;                                                             \
        }                                                                       \
    } while (0)

#define CHECK_TEXT(actual, expected)                                                  \
    CHECK((actual) == (expected), "%s is %s, expected %s", #actual,                  \
          Show(actual).c_str(), Show(expected).c_str())

// ------------------------------------------------------------ the program

static std::string ExePath;       // Quillon.exe, a Windows path
static std::string ArtifactsDir;  // where screenshots go

static PROCESS_INFORMATION App;   // the running program, if any

static void PumpFor(int milliseconds);

// Starts command (a Windows program, or a Unix one by its Z: path) in
// directory (null: the driver's own).
static bool Start(const std::string &command, const char *directory, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    memset(process, 0, sizeof *process);
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory,
                          &startup, process) != 0;
}

// arguments: the command line after the program's path.
static bool Launch(const std::string &directory, const std::string &arguments = "")
{
    return Start("\"" + ExePath + "\" " + arguments, directory.c_str(), &App);
}

static bool AppRunning()
{
    return App.hProcess != nullptr && WaitForSingleObject(App.hProcess, 0) == WAIT_TIMEOUT;
}

// Waits for the program to end. Returns: its exit code, or -1 on time-out.
static int WaitForExit(int milliseconds = 5000)
{
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (!AppRunning()) {
            DWORD code = 0;
            GetExitCodeProcess(App.hProcess, &code);
            return int(code);
        }
        PumpFor(20);
    }
    return -1;
}

static void EndApp()
{
    if (App.hProcess == nullptr)
        return;
    if (AppRunning()) {
        TerminateProcess(App.hProcess, 99);
        WaitForSingleObject(App.hProcess, 5000);
    }
    CloseHandle(App.hProcess);
    CloseHandle(App.hThread);
    memset(&App, 0, sizeof App);
}

// ------------------------------------------------------------- the help stub

struct HelpRequest {
    int command;
    long data;
    std::string file;
};
static std::vector<HelpRequest> HelpRequests;

// The help request as the platform packs it into WM_COPYDATA.
#pragma pack(push, 1)
struct PackedHelpRequest {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD fileOffset;
    WORD dataOffset;
};
#pragma pack(pop)

static LRESULT CALLBACK HelpStubProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT *copy = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (copy->cbData >= sizeof(PackedHelpRequest)) {
            const char *bytes = static_cast<const char *>(copy->lpData);
            const PackedHelpRequest *request = reinterpret_cast<const PackedHelpRequest *>(bytes);
            HelpRequest seen = {request->command, long(request->data), ""};
            if (request->fileOffset != 0 && request->fileOffset < copy->cbData)
                seen.file = bytes + request->fileOffset;
            HelpRequests.push_back(seen);
        }
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void CreateHelpStub()
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = HelpStubProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MS_WINHELP";
    RegisterClassA(&windowClass);
    CreateWindowA("MS_WINHELP", "help stub", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                  GetModuleHandleA(nullptr), nullptr);
}

static void PumpFor(int milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (int(GetTickCount() - start) < milliseconds);
}

static bool WaitUntil(const std::function<bool()> &ready, int milliseconds = 8000)
{
    for (int waited = 0; waited <= milliseconds; waited += 20) {
        if (ready())
            return true;
        PumpFor(20);
    }
    return false;
}

// ------------------------------------------------------------ windows

// Texts are read through the wide messages (the platform converts wide
// text reliably between processes) and turned into ANSI here.
static std::string Ansi(const wchar_t *text)
{
    char buffer[4096] = "";
    WideCharToMultiByte(1252, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

static std::string TextOf(HWND window)
{
    wchar_t buffer[2048] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 3000, &length);
    return Ansi(buffer);
}

static std::string ClassOf(HWND window)
{
    char buffer[256] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

struct WindowSearch {
    DWORD process;
    std::string caption;
    HWND owner;
    bool anyOwner;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    WindowSearch *search = reinterpret_cast<WindowSearch *>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window))
        return TRUE;
    if (!search->anyOwner && GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    char caption[512] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (search->caption == caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the program with this caption (and owner).
static HWND FindAppWindow(const std::string &caption, HWND owner = nullptr, bool anyOwner = true)
{
    WindowSearch search = {App.dwProcessId, caption, owner, anyOwner, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

static HWND WaitForAppWindow(const std::string &caption, HWND owner = nullptr,
                             bool anyOwner = true, int milliseconds = 8000)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindAppWindow(caption, owner, anyOwner)) != nullptr; },
              milliseconds);
    return found;
}

static bool WaitGone(HWND window, int milliseconds = 5000)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, milliseconds);
}

// True when the window is still there after a while (the key was ignored).
static bool StaysOpen(HWND window, int milliseconds = 400)
{
    PumpFor(milliseconds);
    return IsWindow(window) && IsWindowVisible(window);
}

static void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A click on the button itself: it checks a radio button as a user's does.
static void ClickButton(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

static void SysCommand(HWND window, WPARAM command)
{
    PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

// A key press delivered to the window with the focus inside dialog, through
// the dialog's own message loop (IsDialogMessage sees it as typed).
static void PressKey(HWND target, WPARAM key)
{
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Answers once the program takes messages again (a batch has ended).
static bool Responsive(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result) != 0;
}

static std::vector<std::string> ListItems(HWND list)
{
    std::vector<std::string> items;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t buffer[1024] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0) < 1024)
            SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buffer));
        items.push_back(Ansi(buffer));
    }
    return items;
}

static std::string Joined(const std::vector<std::string> &items)
{
    std::string out;
    for (const std::string &item : items)
        out += (out.empty() ? "" : "|") + item;
    return out;
}

static std::string SelectedIndexes(HWND list)
{
    std::string out;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageA(list, LB_GETSEL, WPARAM(i), 0) > 0)
            out += (out.empty() ? "" : ",") + std::to_string(i);
    }
    return out;
}

// Selects exactly the given entries and tells the window, as a click does.
static void SelectEntries(HWND window, int listId, const std::vector<int> &indexes)
{
    HWND list = GetDlgItem(window, listId);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int index : indexes)
        SendMessageA(list, LB_SETSEL, TRUE, index);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

static bool Checked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static RECT WindowRect(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

// The place the program's centring rule gives window over reference (null:
// the screen), with the one-time clamp to the screen.
static POINT CentredPosition(HWND window, HWND reference)
{
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT own = WindowRect(window);
    RECT outer = {0, 0, screenWidth, screenHeight};
    if (reference != nullptr)
        outer = WindowRect(reference);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = outer.left + ((outer.right - outer.left) - width) / 2;
    if (x < 0)
        x = 0;
    else if (x + width > screenWidth)
        x = screenWidth - width;
    int y = outer.top + ((outer.bottom - outer.top) - height) / 2;
    if (y < 0)
        y = 0;
    else if (y + height > screenHeight)
        y = screenHeight - height;
    return POINT{x, y};
}

static bool IsCentred(HWND window, HWND reference)
{
    POINT expected = CentredPosition(window, reference);
    RECT rect = WindowRect(window);
    return rect.left == expected.x && rect.top == expected.y;
}

// Saves what the screen shows of window as a 24-bit BMP in the artifacts.
static bool Screenshot(HWND window, const char *name)
{
    PumpFor(300);  // let it paint
    RECT rect = WindowRect(window);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    DWORD rowSize = DWORD((width * 3 + 3) & ~3);
    DWORD imageSize = rowSize * DWORD(height);
    BITMAPFILEHEADER header;
    memset(&header, 0, sizeof header);
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageSize;
    std::string path = ArtifactsDir + "\\" + name + ".bmp";
    FILE *file = fopen(path.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = fwrite(&header, sizeof header, 1, file) == 1
             && fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1
             && fwrite(bits, imageSize, 1, file) == 1;
        ok = fclose(file) == 0 && ok;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// ------------------------------------------------------------ files

static bool WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

static bool ReadBytes(const std::string &path, std::string *bytes)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes->clear();
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->append(buffer, got);
    fclose(file);
    return true;
}

static bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a directory tree (files and directories below it too).
static void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

// A fresh, empty directory.
static bool FreshDirectory(const std::string &path)
{
    RemoveTree(path);
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

// The names in a directory, sorted, "." and ".." left out.
static std::string DirectoryListing(const std::string &path)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    for (size_t i = 1; i < names.size(); ++i)
        for (size_t j = i; j > 0 && _stricmp(names[j - 1].c_str(), names[j].c_str()) > 0; --j)
            std::swap(names[j - 1], names[j]);
    return Joined(names);
}

// ------------------------------------------------------------ BinHex input

// A small BinHex 4.0 encoder of our own, independent of the program: every
// 0x90 byte is written as 0x90 0x00 (no runs), lines of 64 characters.
static unsigned Crc16(const std::string &bytes)
{
    unsigned crc = 0;
    for (unsigned char byte : bytes) {
        crc ^= unsigned(byte) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
    }
    return crc;
}

static std::string BigEndian(unsigned value, int size)
{
    std::string out;
    for (int i = size - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

static std::string EncodeBinHex(const std::string &macName, const std::string &typeCreator,
                                const std::string &data, const std::string &resource)
{
    std::string header = std::string(1, char(macName.size())) + macName + '\0' + typeCreator
                         + std::string(2, '\0') + BigEndian(unsigned(data.size()), 4)
                         + BigEndian(unsigned(resource.size()), 4);
    std::string stream = header + BigEndian(Crc16(header), 2);
    stream += data + BigEndian(Crc16(data), 2);
    stream += resource + BigEndian(Crc16(resource), 2);
    std::string escaped;
    for (char c : stream) {
        escaped += c;
        if (static_cast<unsigned char>(c) == 0x90)
            escaped += '\0';
    }
    while (escaped.size() % 3 != 0)
        escaped += '\0';
    static const char alphabet[] =
        "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
    std::string characters;
    for (size_t i = 0; i < escaped.size(); i += 3) {
        unsigned bits = (unsigned(static_cast<unsigned char>(escaped[i])) << 16)
                        | (unsigned(static_cast<unsigned char>(escaped[i + 1])) << 8)
                        | unsigned(static_cast<unsigned char>(escaped[i + 2]));
        for (int shift = 18; shift >= 0; shift -= 6)
            characters += alphabet[(bits >> shift) & 0x3F];
    }
    // As mail brings it: headers before an indented identification, and a
    // line holding a blank before the text.
    std::string text = "From: jean@example.fr\r\nSubject: fichiers\r\n\r\n"
                       "  (This file must be converted with BinHex 4.0)\r\n \r\n:";
    for (size_t i = 0; i < characters.size(); ++i) {
        text += characters[i];
        if ((i + 2) % 64 == 0 && i + 1 < characters.size())
            text += "\r\n";
    }
    return text + ":\r\n";
}

struct Sample {
    const char *file;         // BinHex file name
    const char *macName;      // Macintosh name (Mac Roman bytes)
    const char *typeCreator;  // 8 bytes
    std::string data;
    std::string resource;
};

static bool WriteSample(const std::string &directory, const Sample &sample)
{
    return WriteBytes(directory + "\\" + sample.file,
                      EncodeBinHex(sample.macName, sample.typeCreator, sample.data, sample.resource));
}

static std::string PanelText(const Sample &sample, const std::string &ansiName)
{
    return "Nom réel : " + ansiName + "\nType : " + sample.typeCreator + "\nDonnées : "
           + std::to_string(sample.data.size()) + "\nRessources : "
           + std::to_string(sample.resource.size());
}

// The MacBinary I file the program writes for a sample (header, data fork,
// padding to 128 when a resource fork follows, resource fork).
static std::string MacBinaryOf(const Sample &sample)
{
    std::string header(128, '\0');
    std::string name = sample.macName;
    header[1] = char(name.size());
    header.replace(2, name.size(), name);
    header.replace(65, 8, sample.typeCreator);
    header.replace(83, 4, BigEndian(unsigned(sample.data.size()), 4));
    header.replace(87, 4, BigEndian(unsigned(sample.resource.size()), 4));
    std::string out = header + sample.data;
    if (!sample.resource.empty()) {
        while (out.size() % 128 != 0)
            out += '\0';
        out += sample.resource;
    }
    return out;
}

// ------------------------------------------------------------ registry

// What the F1 key becomes before the focused window's procedure sees it
// (the default handling then sends WM_HELP up to the dialog).
static const UINT kKeyF1Message = 0x004D;

static const char kSettingsKey[] = "Software\\Marrowby\\Quillon\\Sign";

static void ResetSettings()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Marrowby");
}

// Leaves the key with the stored path value (nullptr: the key without value).
static void SetStoredPath(const char *value)
{
    ResetSettings();
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (value != nullptr)
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                       DWORD(strlen(value) + 1));
    RegCloseKey(key);
}

// "<no key>", "<no value>", or the stored default value.
static std::string StoredPath()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char value[1024] = "";
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "<no value>";
    if (type != REG_SZ)
        return "<not REG_SZ>";
    return std::string(value, size) == std::string(value) + '\0' ? std::string(value)
                                                                : "<stored length wrong>";
}

// ------------------------------------------------------------ the texts

static const char kMainCaption[] = "Convertisseur de fichiers BinHex/MacBinary";
static const char kChooserCaption[] = "Sélection d'un fichier de signatures";
static const char kOpenTitle[] = "Sélection des fichiers BinHex/MacBinary";
static const char kAboutCaption[] = "A propos de Quillon";
static const char kAppTitle[] = "Quillon 2.0 - (c) 2025-2026 Marrowby";

// Main window controls.
enum {
    kFileList = 256, kBrowse = 257, kExtract = 258, kMacBinary = 259, kDataOnly = 260,
    kResourceOnly = 261, kBothForks = 262, kPanel = 263, kConvert = 264, kQuit = 1111
};

static HWND WaitForMainWindow()
{
    return WaitForAppWindow(kMainCaption, nullptr, false);
}

// Browses with the Open dialog and types name into its file-name box
// (a full path, or several quoted names), then confirms.
static std::string Browse(HWND main, const std::string &typed)
{
    Click(main, kBrowse);
    HWND open = WaitForAppWindow(kOpenTitle, main, false);
    if (open == nullptr)
        return "the Open dialog did not appear";
    // The file-name box: edt1 (0x480) in the layout that the 76-byte request
    // gets; cmb13 (0x47C) in the newer one.
    HWND edit = GetDlgItem(open, 0x480);
    if (edit == nullptr)
        edit = GetDlgItem(open, 0x47C);
    // Explorer style: a ComboBoxEx32 holding a ComboBox holding the Edit.
    for (int depth = 0; depth < 3 && edit != nullptr && ClassOf(edit) != "Edit"; ++depth)
        edit = FindWindowExA(edit, nullptr, nullptr, nullptr);
    if (edit == nullptr) {
        std::string found;
        for (HWND child = GetWindow(open, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            found += Format(" %s#%X", ClassOf(child).c_str(), GetDlgCtrlID(child));
        return "the Open dialog has no file-name box:" + found;
    }
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!WaitGone(open))
        return "the Open dialog did not close";
    return "";
}

static bool WaitForFile(const std::string &path, const std::string &expected, int milliseconds = 8000)
{
    std::string bytes;
    return WaitUntil([&] { return ReadBytes(path, &bytes) && bytes == expected; }, milliseconds);
}

// ------------------------------------------------------------ samples

static const char kWork[] = "C:\\q";

static const Sample kReadMe = {"a.hqx", "Read Me", "TEXTttxt", "Hello from the Mac\r", "RSRC-a"};
static const Sample kReport = {"b.hqx", "Report.doc", "WDBNMSWD",
                               std::string("Word\x90 data\0\x01", 12), "rsrc of b"};
static const Sample kPhoto = {"c.hqx", "Caf\x8E photo", "JPEG8BIM", "JFIF....", "8BIM"};
static const Sample kNoData = {"e.hqx", "Empty", "TEXTttxt", "", "only a resource"};
static const Sample kNoResource = {"f.hqx", "Plain", "TEXTttxt", "just data", ""};

// The signatures file: its extensions differ from any default, so an
// output name shows that this file was read.
static const char kSignatures[] =
    "# test signatures\r\n"
    "ZZA,TEXTttxt,plain text\r\n"
    "WRD,WDBN????\r\n"
    "JPG,JPEG????\r\n";

// ============================================================ suite: startup

// Starts the program in directory with the given .sig names (a name ending
// in "/" becomes a directory) and returns the first window that shows.
static std::string StartIn(const std::string &directory, const std::vector<std::string> &sigs)
{
    if (!FreshDirectory(directory))
        return "cannot create " + directory;
    for (const std::string &name : sigs) {
        if (!name.empty() && name.back() == '/')
            CreateDirectoryA((directory + "\\" + name.substr(0, name.size() - 1)).c_str(), nullptr);
        else
            WriteBytes(directory + "\\" + name, kSignatures);
    }
    if (!Launch(directory))
        return "cannot start " + ExePath;
    return "";
}

static void CloseMainAndExpectZero(HWND main, bool byButton)
{
    if (byButton)
        Click(main, kQuit);
    else
        SysCommand(main, SC_CLOSE);
    int code = WaitForExit();
    CHECK(code == 0, "exit status %d, expected 0", code);
}

static void FirstStartWithoutSignatures()
{
    ResetSettings();
    std::string problem = StartIn("C:\\s0", {});
    CHECK(problem.empty(), "%s", problem.c_str());
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window");
    CHECK(FindAppWindow(kChooserCaption) == nullptr, "the chooser is shown");
    std::string stored = StoredPath();
    CHECK_TEXT(stored, std::string("<no value>"));
    CloseMainAndExpectZero(main, false);
}

static void FirstStartWithOneSignaturesFile()
{
    ResetSettings();
    std::string problem = StartIn("C:\\s1", {"x.sig"});
    CHECK(problem.empty(), "%s", problem.c_str());
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window (the chooser should not be shown)");
    std::string stored = StoredPath();
    CHECK_TEXT(stored, std::string("C:\\s1\\x.sig"));
    CloseMainAndExpectZero(main, true);
}

// The chooser, shown for several candidates: checks its state and returns it.
static HWND OpenChooser(const std::string &directory)
{
    if (!StartIn(directory, {"b.sig", "a.sig", "c.sig", "old.sig/", "notes.txt"}).empty())
        return nullptr;
    return WaitForAppWindow(kChooserCaption);
}

static void ChooserByDoubleClick()
{
    ResetSettings();
    HWND chooser = OpenChooser("C:\\s3");
    CHECK(chooser != nullptr, "the chooser did not appear");
    CHECK(FindAppWindow(kMainCaption) == nullptr, "the main window is already open");
    HWND list = GetDlgItem(chooser, 256);
    std::string items = Joined(ListItems(list));
    CHECK_TEXT(items, std::string("a.sig|b.sig|c.sig|old.sig"));
    CHECK(SendMessageA(list, LB_GETCURSEL, 0, 0) == LB_ERR, "an entry is selected at start");
    CHECK(GetWindow(chooser, GW_OWNER) == nullptr, "the chooser has an owner");
    CHECK(GetWindowLongA(chooser, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, "no \"?\" button in the caption");
    CHECK(Screenshot(chooser, "signature-chooser"), "screenshot failed");
    // "OK" without a selection beeps and stays.
    Click(chooser, 101);
    CHECK(StaysOpen(chooser), "\"OK\" without a selection closed the chooser");
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(256, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window after the double click");
    std::string stored = StoredPath();
    CHECK_TEXT(stored, std::string("C:\\s3\\b.sig"));
    CloseMainAndExpectZero(main, true);
}

static void ChooserByOk()
{
    ResetSettings();
    HWND chooser = OpenChooser("C:\\s4");
    CHECK(chooser != nullptr, "the chooser did not appear");
    SendMessageA(GetDlgItem(chooser, 256), LB_SETCURSEL, 3, 0);
    ClickButton(chooser, 101);
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window after \"OK\"");
    std::string stored = StoredPath();
    CHECK_TEXT(stored, std::string("C:\\s4\\old.sig"));
    CloseMainAndExpectZero(main, true);
}

// Annuler, Escape and the close box all choose nothing.
static void ChooserEndsWithoutChoice(int how)
{
    ResetSettings();
    HWND chooser = OpenChooser("C:\\s5");
    CHECK(chooser != nullptr, "the chooser did not appear");
    HWND list = GetDlgItem(chooser, 256);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    if (how == 0)
        ClickButton(chooser, 100);
    else if (how == 1)
        PressKey(list, VK_ESCAPE);
    else
        SysCommand(chooser, SC_CLOSE);
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window after the chooser");
    std::string stored = StoredPath();
    CHECK_TEXT(stored, std::string("<no value>"));
    CloseMainAndExpectZero(main, true);
}

static void ChooserHelp()
{
    ResetSettings();
    HWND chooser = OpenChooser("C:\\s6");
    CHECK(chooser != nullptr, "the chooser did not appear");
    HelpRequests.clear();
    ClickButton(chooser, 1280);
    CHECK(WaitUntil([] { return HelpRequests.size() >= 1; }), "no help request for the icon");
    HWND list = GetDlgItem(chooser, 256);
    PostMessageA(list, kKeyF1Message, 0, 0);
    CHECK(WaitUntil([] { return HelpRequests.size() >= 2; }), "no help request for F1");
    CHECK(HelpRequests[0].command == HELP_CONTEXT && HelpRequests[0].data == 130,
          "icon: help command %d topic %ld", HelpRequests[0].command, HelpRequests[0].data);
    CHECK(HelpRequests[1].command == HELP_CONTEXTPOPUP && HelpRequests[1].data == 130,
          "F1: help command %d topic %ld", HelpRequests[1].command, HelpRequests[1].data);
    std::string expected = ExePath.substr(0, ExePath.rfind('.') + 1) + "HLP";
    CHECK_TEXT(HelpRequests[0].file, expected);
    CHECK(StaysOpen(chooser, 100), "the chooser closed after a help request");
    ClickButton(chooser, 100);
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window");
    CloseMainAndExpectZero(main, true);
}

// Later starts: a stored path, an empty value, a key without value.
static void LaterStart(const char *value, bool chooserExpected)
{
    SetStoredPath(value);
    std::string problem = StartIn("C:\\s7", {"b.sig", "a.sig"});
    CHECK(problem.empty(), "%s", problem.c_str());
    if (chooserExpected) {
        HWND chooser = WaitForAppWindow(kChooserCaption);
        CHECK(chooser != nullptr, "the chooser is not offered");
        SendMessageA(GetDlgItem(chooser, 256), LB_SETCURSEL, 0, 0);
        ClickButton(chooser, 101);
    }
    HWND main = WaitForMainWindow();
    CHECK(main != nullptr, "no main window%s", chooserExpected ? "" : " (is the chooser shown?)");
    CHECK(FindAppWindow(kChooserCaption) == nullptr, "the chooser is shown");
    std::string stored = StoredPath();
    std::string expected = chooserExpected ? "C:\\s7\\a.sig" : value ? value : "<no value>";
    CHECK_TEXT(stored, expected);
    CloseMainAndExpectZero(main, false);
}

// ============================================================ suite: main

// Starts with the signatures file C:\q\sig\names.sig stored, in C:\q\start.
static HWND StartWithSignatures(const std::string &arguments = "")
{
    FreshDirectory(kWork);
    CreateDirectoryA("C:\\q\\sig", nullptr);
    CreateDirectoryA("C:\\q\\start", nullptr);
    WriteBytes("C:\\q\\sig\\names.sig", kSignatures);
    SetStoredPath("C:\\q\\sig\\names.sig");
    if (!Launch("C:\\q\\start", arguments))
        return nullptr;
    return WaitForMainWindow();
}

struct ControlSpec {
    int id;  // -1: no id of its own
    const char *className;
    const char *text;
    DWORD style;  // bits that must be set
    int x, y, width, height;
};

static const ControlSpec kMainControls[] = {
    {-1, "Static", "", SS_ICON, 267, 4, 21, 20},
    {-1, "Button", "Sélection du mode de conversion", BS_GROUPBOX | WS_GROUP, 144, 107, 144, 71},
    {258, "Button", "Extraction du contenu", BS_RADIOBUTTON, 152, 117, 125, 12},
    {260, "Button", "Données seulement", BS_RADIOBUTTON, 180, 128, 100, 12},
    {261, "Button", "Ressources seulement", BS_RADIOBUTTON, 180, 138, 100, 12},
    {262, "Button", "Les deux branches", BS_RADIOBUTTON, 180, 148, 100, 12},
    {259, "Button", "Conversion en MacBinary", BS_RADIOBUTTON, 152, 161, 125, 12},
    {257, "Button", "Parcourir/Chercher fichiers", BS_PUSHBUTTON, 145, 50, 140, 15},
    {1111, "Button", "Annuler/Quitter", BS_PUSHBUTTON, 145, 69, 140, 15},
    {264, "Button", "Conversion", BS_DEFPUSHBUTTON, 145, 88, 140, 15},
    {256, "ListBox", "",
     // (WS_VSCROLL comes and goes with the list's length)
     LBS_SORT | LBS_NOTIFY | LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_TABSTOP,
     6, 5, 130, 172},
    {263, "Static", "", WS_BORDER, 144, 5, 115, 39},
};

static INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Dialog units to pixels for the main window's font, measured on a hidden
// copy of the same template loaded from the program file.
static bool MainDialogUnits(RECT *rect)
{
    HMODULE module = LoadLibraryExA(ExePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return false;
    HWND copy = CreateDialogParamA(module, MAKEINTRESOURCEA(128), nullptr, InertDialogProc, 0);
    bool ok = copy != nullptr && MapDialogRect(copy, rect);
    if (copy != nullptr)
        DestroyWindow(copy);
    FreeLibrary(module);
    return ok;
}

static void MainWindowLayout()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    CHECK(IsCentred(main, nullptr), "the main window is not centred on the screen");
    DWORD style = DWORD(GetWindowLongA(main, GWL_STYLE));
    DWORD wanted = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    CHECK((style & wanted) == wanted && !(style & WS_POPUP) && !(style & WS_MAXIMIZEBOX),
          "window style %08lX", style);
    CHECK(GetWindow(main, GW_OWNER) == nullptr, "the main window has an owner");
    RECT client;
    GetClientRect(main, &client);
    RECT size = {0, 0, 292, 182};
    CHECK(MainDialogUnits(&size), "cannot measure dialog units");
    CHECK(client.right == size.right && client.bottom == size.bottom,
          "client area %ldx%ld, expected %ldx%ld", client.right, client.bottom, size.right, size.bottom);
    // Every control in tab order, with its id, class, text, style and place.
    HWND child = GetWindow(main, GW_CHILD);
    for (const ControlSpec &want : kMainControls) {
        CHECK(child != nullptr, "control %d is missing", want.id);
        int id = GetDlgCtrlID(child);
        CHECK(want.id == -1 ? (id == -1 || id == 0xFFFF) : id == want.id,
              "control id %d where %d was expected", id, want.id);
        std::string className = ClassOf(child);
        CHECK(_stricmp(className.c_str(), want.className) == 0, "control %d is a %s", want.id,
              className.c_str());
        if (strcmp(want.className, "ListBox") != 0 && (GetWindowLongA(child, GWL_STYLE) & SS_ICON) != SS_ICON) {
            std::string text = TextOf(child);
            CHECK_TEXT(text, std::string(want.text));
        }
        DWORD controlStyle = DWORD(GetWindowLongA(child, GWL_STYLE));
        // The dialog manager draws a template's WS_BORDER as a sunken edge.
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            controlStyle |= WS_BORDER;
        if (want.className[0] == 'B')  // button kinds are a number, not bits
            CHECK((controlStyle & 0x0F) == (want.style & 0x0F) && (controlStyle & want.style & ~0x0Ful) == (want.style & ~0x0Ful),
                  "control %d style %08lX", want.id, controlStyle);
        else
            CHECK((controlStyle & want.style) == want.style, "control %d style %08lX", want.id, controlStyle);
        // The dialog manager maps the position and the size separately.
        RECT expected = {want.x, want.y, want.width, want.height};
        MainDialogUnits(&expected);
        expected.right += expected.left;
        expected.bottom += expected.top;
        RECT actual = WindowRect(child);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT *>(&actual), 2);
        if (strcmp(want.className, "Static") != 0 || !(controlStyle & SS_ICON))  // icons take the icon's size
            CHECK(actual.left == expected.left && actual.top == expected.top && actual.right == expected.right
                      && actual.bottom == expected.bottom,
                  "control %d at %ld,%ld-%ld,%ld, expected %ld,%ld-%ld,%ld", want.id, actual.left, actual.top,
                  actual.right, actual.bottom, expected.left, expected.top, expected.right, expected.bottom);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    CHECK(child == nullptr, "an extra control");
    // Start state.
    CHECK(!IsWindowEnabled(GetDlgItem(main, kConvert)), "\"Conversion\" is enabled at start");
    CHECK(Checked(main, kExtract) && Checked(main, kDataOnly) && !Checked(main, kMacBinary)
              && !Checked(main, kResourceOnly) && !Checked(main, kBothForks),
          "the start choice is not 258 + 260");
    CHECK(SendMessageA(GetDlgItem(main, kFileList), LB_GETCOUNT, 0, 0) == 0, "the list is not empty");
    CHECK(Screenshot(main, "main-window"), "screenshot failed");
    // (The small icon is seen in the screenshot's caption: Wine answers
    // WM_GETICON from another process with no icon.)
    // Escape does not close the main window.
    PressKey(GetDlgItem(main, kFileList), VK_ESCAPE);
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    CHECK(StaysOpen(main), "Escape closed the main window");
    CloseMainAndExpectZero(main, false);
}

// The height the platform gives the same Open dialog request without the
// program's trimming hook: measured on a dialog of our own, at the moment
// the program's hook acts (CDN_INITDONE), and cancelled at once.
static int NaturalOpenHeight = -1;

static UINT_PTR CALLBACK MeasuringHook(HWND hookWindow, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_NOTIFY
        && reinterpret_cast<const OFNOTIFYA *>(lParam)->hdr.code == UINT(CDN_INITDONE)) {
        RECT rect = WindowRect(GetParent(hookWindow));
        NaturalOpenHeight = rect.bottom - rect.top;
        PostMessageA(GetParent(hookWindow), WM_COMMAND, IDCANCEL, 0);
    }
    return message == WM_NOTIFY ? 1 : 0;
}

static int MeasureNaturalOpenHeight()
{
    char buffer[1024] = "";
    OPENFILENAMEA request;
    memset(&request, 0, sizeof request);
    request.lStructSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
    request.lpstrFilter = "Tous fichiers[*.*]\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = buffer;
    request.nMaxFile = sizeof buffer;
    request.lpstrTitle = "measure";
    request.lpstrInitialDir = "C:\\";
    request.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK;
    request.lpfnHook = MeasuringHook;
    NaturalOpenHeight = -1;
    GetOpenFileNameA(&request);
    return NaturalOpenHeight;
}

static void BrowseOneAndSeveral()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    CreateDirectoryA("C:\\q\\in", nullptr);
    CHECK(WriteSample("C:\\q\\in", kReadMe) && WriteSample("C:\\q\\in", kReport) && WriteSample("C:\\q\\in", kPhoto),
          "cannot write the samples");
    // One file, typed as a full path: the entry is the full path.
    Click(main, kBrowse);
    HWND open = WaitForAppWindow(kOpenTitle, main, false);
    CHECK(open != nullptr, "the Open dialog did not appear");
    CHECK(IsCentred(open, main), "the Open dialog is not centred over the main window");
    RECT openRect = WindowRect(open);
    int natural = MeasureNaturalOpenHeight();
    CHECK(natural > 100 && openRect.bottom - openRect.top == natural - 23,
          "the Open dialog is %ld pixels high; untrimmed it is %d", openRect.bottom - openRect.top, natural);
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitGone(open), "the Open dialog did not close on cancel");
    std::string problem = Browse(main, "C:\\q\\in\\a.hqx");
    CHECK(problem.empty(), "%s", problem.c_str());
    HWND list = GetDlgItem(main, kFileList);
    std::string items = Joined(ListItems(list));
    CHECK_TEXT(items, std::string("C:\\q\\in\\a.hqx"));
    std::string selected = SelectedIndexes(list);
    CHECK_TEXT(selected, std::string("0"));
    std::string panel = TextOf(GetDlgItem(main, kPanel));
    CHECK_TEXT(panel, PanelText(kReadMe, "Read Me"));
    CHECK(IsWindowEnabled(GetDlgItem(main, kConvert)), "\"Conversion\" is disabled after a choice");
    // The dialog showed C:\q\start: the fork still lands beside the file.
    Click(main, kConvert);
    CHECK(WaitForFile("C:\\q\\in\\Read Me.zza", kReadMe.data), "no Read Me.zza beside the typed path");
    CHECK(WaitUntil([&] { return Responsive(main); }), "the window does not answer after the batch");
    // Several files, typed as bare names: the Open dialog opens in the
    // current directory, which the first choice moved to C:\q\in.
    problem = Browse(main, "\"c.hqx\" \"b.hqx\" \"a.hqx\"");
    CHECK(problem.empty(), "%s", problem.c_str());
    items = Joined(ListItems(list));
    CHECK_TEXT(items, std::string("a.hqx|b.hqx|c.hqx"));
    selected = SelectedIndexes(list);
    CHECK_TEXT(selected, std::string("0"));
    panel = TextOf(GetDlgItem(main, kPanel));
    CHECK_TEXT(panel, PanelText(kReadMe, "Read Me"));
    CHECK(Screenshot(main, "main-window-in-use"), "screenshot failed");
    // The panel follows a single selection (through SelectionDirectory).
    SelectEntries(main, kFileList, {2});
    CHECK(WaitUntil([&] { return TextOf(GetDlgItem(main, kPanel)) == PanelText(kPhoto, "Café photo"); }),
          "panel %s after selecting c.hqx", Show(TextOf(GetDlgItem(main, kPanel))).c_str());
    SelectEntries(main, kFileList, {0, 1});
    PumpFor(300);
    panel = TextOf(GetDlgItem(main, kPanel));
    CHECK_TEXT(panel, PanelText(kPhoto, "Café photo"));
    SelectEntries(main, kFileList, {1});
    CHECK(WaitUntil([&] { return TextOf(GetDlgItem(main, kPanel)) == PanelText(kReport, "Report.doc"); }),
          "panel %s after selecting b.hqx", Show(TextOf(GetDlgItem(main, kPanel))).c_str());
    // A conversion of two entries in mode 1 lands in the current directory,
    // named from the signatures file.
    SelectEntries(main, kFileList, {0, 1});
    Click(main, kConvert);
    CHECK(WaitForFile("C:\\q\\in\\Read Me.zza", kReadMe.data), "no Read Me.zza with the data fork");
    CHECK(WaitForFile("C:\\q\\in\\Report.wrd", kReport.data), "no Report.wrd with the data fork");
    // Cancelling a later choice empties the list and disables "Conversion";
    // the panel keeps its text.
    Click(main, kBrowse);
    open = WaitForAppWindow(kOpenTitle, main, false);
    CHECK(open != nullptr, "the Open dialog did not appear");
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitGone(open), "the Open dialog did not close on cancel");
    CHECK(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 0; }), "the list is not empty after cancel");
    CHECK(!IsWindowEnabled(GetDlgItem(main, kConvert)), "\"Conversion\" is enabled after cancel");
    panel = TextOf(GetDlgItem(main, kPanel));
    CHECK_TEXT(panel, PanelText(kReport, "Report.doc"));
    CloseMainAndExpectZero(main, true);
}

static void RadioRules()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    struct Step {
        int click;
        bool extract, data, resource, both, macBinary;
    };
    static const Step steps[] = {
        {kBothForks, true, false, false, true, false},
        {kMacBinary, false, false, false, true, true},  // the sub-option stays
        {kExtract, true, false, false, true, false},
        {kMacBinary, false, false, false, true, true},
        {kResourceOnly, true, false, true, false, false},  // a sub-option chooses extraction
        {kDataOnly, true, true, false, false, false},
        {kExtract, true, true, false, false, false},
    };
    for (const Step &step : steps) {
        ClickButton(main, step.click);
        bool settled = WaitUntil([&] {
            return Checked(main, kExtract) == step.extract && Checked(main, kDataOnly) == step.data
                   && Checked(main, kResourceOnly) == step.resource && Checked(main, kBothForks) == step.both
                   && Checked(main, kMacBinary) == step.macBinary;
        }, 2000);
        CHECK(settled, "after a click on %d: 258=%d 260=%d 261=%d 262=%d 259=%d", step.click,
              Checked(main, kExtract), Checked(main, kDataOnly), Checked(main, kResourceOnly),
              Checked(main, kBothForks), Checked(main, kMacBinary));
    }
    CloseMainAndExpectZero(main, true);
}

// "Conversion" of three entries in each mode, the outputs checked on disk.
static void ConversionModes()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    CreateDirectoryA("C:\\q\\in", nullptr);
    CHECK(WriteSample("C:\\q\\in", kReadMe) && WriteSample("C:\\q\\in", kReport) && WriteSample("C:\\q\\in", kPhoto),
          "cannot write the samples");
    std::string problem = Browse(main, "C:\\q\\in\\a.hqx");
    CHECK(problem.empty(), "%s", problem.c_str());
    problem = Browse(main, "\"a.hqx\" \"b.hqx\" \"c.hqx\"");
    CHECK(problem.empty(), "%s", problem.c_str());
    SelectEntries(main, kFileList, {0, 1, 2});
    struct Output {
        const char *name;
        std::string bytes;
    };
    struct Mode {
        std::vector<int> clicks;
        std::vector<Output> outputs;
    };
    const Mode modes[] = {
        {{kResourceOnly},
         {{"Read Me.zza", kReadMe.resource}, {"Report.wrd", kReport.resource}, {"Caf\xE9 photo.jpg", kPhoto.resource}}},
        // Both forks, after a detour through MacBinary: the sub-option holds.
        {{kBothForks, kMacBinary, kExtract},
         {{"Read Me.dat.zza", kReadMe.data}, {"Read Me.res.zza", kReadMe.resource},
          {"Report.dat.wrd", kReport.data}, {"Report.res.wrd", kReport.resource},
          {"Caf\xE9 photo.dat.jpg", kPhoto.data}, {"Caf\xE9 photo.res.jpg", kPhoto.resource}}},
        {{kMacBinary},
         {{"a.bin", MacBinaryOf(kReadMe)}, {"b.bin", MacBinaryOf(kReport)}, {"c.bin", MacBinaryOf(kPhoto)}}},
        {{kDataOnly},
         {{"Read Me.zza", kReadMe.data}, {"Report.wrd", kReport.data}, {"Caf\xE9 photo.jpg", kPhoto.data}}},
    };
    for (const Mode &mode : modes) {
        for (const Output &output : mode.outputs)
            DeleteFileA((std::string("C:\\q\\in\\") + output.name).c_str());
        for (int click : mode.clicks)
            ClickButton(main, click);
        Click(main, kConvert);
        for (const Output &output : mode.outputs) {
            std::string path = std::string("C:\\q\\in\\") + output.name;
            CHECK(WaitForFile(path, output.bytes), "%s is missing or wrong", path.c_str());
        }
        CHECK(WaitUntil([&] { return Responsive(main); }), "the window does not answer after the batch");
    }
    // The intermediates stay beside the inputs; the list, selection and
    // panel are as they were.
    std::string listing = DirectoryListing("C:\\q\\in");
    CHECK_TEXT(listing, std::string("a.bin|a.bix|a.bqx|a.hqx|b.bin|b.bix|b.bqx|b.hqx|c.bin|c.bix|c.bqx|c.hqx|"
                                    "Caf\xE9 photo.dat.jpg|Caf\xE9 photo.jpg|Caf\xE9 photo.res.jpg|"
                                    "Read Me.dat.zza|Read Me.res.zza|Read Me.zza|"
                                    "Report.dat.wrd|Report.res.wrd|Report.wrd"));
    std::string selected = SelectedIndexes(GetDlgItem(main, kFileList));
    CHECK_TEXT(selected, std::string("0,1,2"));
    CloseMainAndExpectZero(main, true);
}

// Forty selected entries: only the first 32 in list order are converted.
static void BatchOfAtMost32()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    CreateDirectoryA("C:\\q\\many", nullptr);
    std::string typed;
    for (int i = 0; i < 40; ++i) {
        char name[16];
        snprintf(name, sizeof name, "f%02d.hqx", i);
        Sample sample = kReadMe;
        sample.file = name;
        CHECK(WriteSample("C:\\q\\many", sample), "cannot write %s", name);
        typed += std::string(typed.empty() ? "" : " ") + "\"" + name + "\"";
    }
    std::string problem = Browse(main, "C:\\q\\many\\f00.hqx");
    CHECK(problem.empty(), "%s", problem.c_str());
    problem = Browse(main, typed);
    CHECK(problem.empty(), "%s", problem.c_str());
    HWND list = GetDlgItem(main, kFileList);
    CHECK(SendMessageA(list, LB_GETCOUNT, 0, 0) == 40, "the list holds %d entries",
          int(SendMessageA(list, LB_GETCOUNT, 0, 0)));
    SendMessageA(list, LB_SETSEL, TRUE, -1);
    ClickButton(main, kMacBinary);
    Click(main, kConvert);
    CHECK(WaitForFile("C:\\q\\many\\f31.bin", MacBinaryOf(kReadMe)), "f31.bin is missing");
    CHECK(WaitUntil([&] { return Responsive(main); }), "the window does not answer after the batch");
    for (int i = 0; i < 40; ++i) {
        char path[64];
        snprintf(path, sizeof path, "C:\\q\\many\\f%02d.bin", i);
        CHECK(Exists(path) == (i < 32), "%s %s", path, i < 32 ? "is missing" : "was converted");
    }
    CloseMainAndExpectZero(main, true);
}

// Drops files (Windows paths) on the middle of window through the X11 drag
// source beside this file, as a Linux file manager drops them: Wine then
// posts WM_DROPFILES, if the window accepts files. Wine cannot wait for a
// Unix process: the caller waits for the drop's effect.
static bool DropFiles(HWND window, const std::vector<std::string> &paths)
{
    RECT rect = WindowRect(window);
    HANDLE xid = GetPropA(GetAncestor(window, GA_ROOT), "__wine_x11_whole_window");
    std::string command = Format("Z:\\usr\\bin\\python3 \"%s/tests/gui/xdnd-drop\" %llu %ld %ld",
                                 QUILLON_SOURCE_DIR, (unsigned long long)(ULONG_PTR)xid,
                                 (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    for (const std::string &path : paths)
        command += " \"" + path + "\"";
    PROCESS_INFORMATION drag;
    if (!Start(command, nullptr, &drag))
        return false;
    CloseHandle(drag.hProcess);
    CloseHandle(drag.hThread);
    return true;
}

// Files handed over by Explorer: on the command line ("Open with", a drop
// on the icon), then dropped on the list. Both entries are then converted
// in mode 1; the forks must land beside their inputs.
struct HandOver {
    const char *arguments;
    std::vector<std::string> dropped;  // none: no drop
    const char *message;               // "": none is shown
    const char *items;                 // the list; a.hqx (kReadMe) comes first
    std::vector<std::pair<std::string, std::string>> forks;  // path, bytes
};

static const HandOver kHandOvers[] = {
    {"\"C:\\c\\dossier été\\a.hqx\" C:\\c\\in\\b.hqx", {}, "", "C:\\c\\dossier été\\a.hqx|C:\\c\\in\\b.hqx",
     {{"C:\\c\\dossier été\\Read Me.zza", kReadMe.data}, {"C:\\c\\in\\Report.wrd", kReport.data}}},
    {"C:\\c\\in\\b.hqx C:\\c\\gone.hqx \"C:\\c\\in\" C:\\c\\in\\a.hqx", {},
     "Ces fichiers sont laissés de côté : C:\\c\\gone.hqx (introuvable), C:\\c\\in (dossier).", "a.hqx|b.hqx",
     {{"C:\\c\\in\\Read Me.zza", kReadMe.data}, {"C:\\c\\in\\Report.wrd", kReport.data}}},
    {"C:\\c\\in\\b.hqx", {"C:\\c\\dossier été\\c.hqx", "C:\\c\\dossier été\\a.hqx"}, "", "a.hqx|c.hqx",
     {{"C:\\c\\dossier été\\Read Me.zza", kReadMe.data}, {"C:\\c\\dossier été\\Caf\xE9 photo.jpg", kPhoto.data}}},
};

static void HandOverFiles(const HandOver &row)
{
    FreshDirectory("C:\\c");
    CHECK(CreateDirectoryA("C:\\c\\in", nullptr) && CreateDirectoryA("C:\\c\\dossier été", nullptr)
              && WriteSample("C:\\c\\in", kReadMe) && WriteSample("C:\\c\\in", kReport)
              && WriteSample("C:\\c\\dossier été", kReadMe) && WriteSample("C:\\c\\dossier été", kPhoto),
          "cannot write the samples");
    HWND main = StartWithSignatures(row.arguments);
    CHECK(main != nullptr, "no main window");
    HWND list = GetDlgItem(main, kFileList);
    if (row.message[0] != '\0') {
        HWND message = WaitForAppWindow(kAppTitle, main, false);
        CHECK(message != nullptr, "no message dialog");
        std::string text = TextOf(GetDlgItem(message, 19128));
        CHECK_TEXT(text, std::string(row.message));
        ClickButton(message, 101);
        CHECK(WaitGone(message), "\"OK\" did not close the message dialog");
    }
    if (!row.dropped.empty()) {
        CHECK(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) > 0; }), "the command line gave no entry");
        CHECK(DropFiles(list, row.dropped), "cannot start the drag source");
    }
    CHECK(WaitUntil([&] { return Joined(ListItems(list)) == row.items; }), "the list holds %s, expected %s",
          Show(Joined(ListItems(list))).c_str(), Show(row.items).c_str());
    CHECK(FindAppWindow(kAppTitle) == nullptr, "an unexpected message");
    std::string selected = SelectedIndexes(list);
    CHECK_TEXT(selected, std::string("0"));
    std::string panel = TextOf(GetDlgItem(main, kPanel));
    CHECK_TEXT(panel, PanelText(kReadMe, "Read Me"));
    if (!row.dropped.empty())
        CHECK(Screenshot(main, "main-window-after-drop"), "screenshot failed");
    SelectEntries(main, kFileList, {0, 1});
    Click(main, kConvert);
    for (const auto &fork : row.forks)
        CHECK(WaitForFile(fork.first, fork.second), "%s is missing or wrong", fork.first.c_str());
    CHECK(WaitUntil([&] { return Responsive(main); }), "the window does not answer after the batch");
    CloseMainAndExpectZero(main, true);
}

// ============================================================ suite: messages

static void EmptyForkMessages()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    CreateDirectoryA("C:\\q\\m", nullptr);
    CHECK(WriteSample("C:\\q\\m", kNoData) && WriteSample("C:\\q\\m", kNoResource), "cannot write the samples");
    std::string problem = Browse(main, "C:\\q\\m\\e.hqx");
    CHECK(problem.empty(), "%s", problem.c_str());
    problem = Browse(main, "\"e.hqx\" \"f.hqx\"");
    CHECK(problem.empty(), "%s", problem.c_str());
    SelectEntries(main, kFileList, {0, 1});
    Click(main, kConvert);
    HWND message = WaitForAppWindow(kAppTitle, main, false);
    CHECK(message != nullptr, "no message dialog");
    std::string text = TextOf(GetDlgItem(message, 19128));
    CHECK_TEXT(text, std::string("Le fichier C:\\q\\m\\e.hqx ne contient pas de données."));
    CHECK(IsCentred(message, main), "the message dialog is not centred over the main window");
    CHECK(!IsWindowEnabled(main), "the main window takes input under the message");
    CHECK(Screenshot(message, "message-dialog"), "screenshot failed");
    PressKey(GetDlgItem(message, 101), VK_ESCAPE);
    PostMessageA(message, WM_COMMAND, IDCANCEL, 0);
    CHECK(StaysOpen(message), "Escape closed the message dialog");
    CHECK(!Exists("C:\\q\\m\\Plain.zza"), "the batch went on under the message");
    ClickButton(message, 101);
    CHECK(WaitGone(message), "\"OK\" did not close the message dialog");
    // The batch goes on with the next entry.
    CHECK(WaitForFile("C:\\q\\m\\Plain.zza", kNoResource.data), "f.hqx was not converted after the message");
    CHECK(Exists("C:\\q\\m\\e.bqx") && Exists("C:\\q\\m\\e.bix"), "the intermediates of e.hqx are missing");
    // Mode 3 on both: e.hqx has no data fork (one message, nothing written);
    // f.hqx has no resource fork (its data file stays, then a message).
    // Enter closes the first, the close box the second.
    ClickButton(main, kBothForks);
    Click(main, kConvert);
    message = WaitForAppWindow(kAppTitle, main, false);
    CHECK(message != nullptr, "no message dialog in mode 3");
    text = TextOf(GetDlgItem(message, 19128));
    CHECK_TEXT(text, std::string("Le fichier C:\\q\\m\\e.hqx ne contient pas de données."));
    PressKey(GetDlgItem(message, 101), VK_RETURN);
    CHECK(WaitGone(message), "Enter did not close the message dialog");
    message = WaitForAppWindow(kAppTitle, main, false);
    CHECK(message != nullptr, "no resource message for f.hqx");
    text = TextOf(GetDlgItem(message, 19128));
    CHECK_TEXT(text, std::string("Le fichier C:\\q\\m\\f.hqx ne contient pas de ressources."));
    CHECK(Exists("C:\\q\\m\\Plain.dat.zza"), "the data fork's file of f.hqx is missing");
    SysCommand(message, SC_CLOSE);
    CHECK(WaitGone(message), "the close box did not close the message dialog");
    CHECK(!Exists("C:\\q\\m\\Empty.res.zza") && !Exists("C:\\q\\m\\Empty.dat.zza"), "a file was written for e.hqx");
    CloseMainAndExpectZero(main, true);
}

static void FatalOpenFailure()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    CreateDirectoryA("C:\\q\\m", nullptr);
    CHECK(WriteSample("C:\\q\\m", kReadMe), "cannot write the sample");
    // A typed name need not exist; the panel says it isn't BinHex.
    std::string problem = Browse(main, "C:\\q\\m\\gone.hqx");
    CHECK(problem.empty(), "%s", problem.c_str());
    std::string panel = TextOf(GetDlgItem(main, kPanel));
    CHECK_TEXT(panel, std::string("Ce fichier n'est pas un fichier BinHex correct."));
    Click(main, kConvert);
    HWND message = WaitForAppWindow(kAppTitle, main, false);
    CHECK(message != nullptr, "no message dialog");
    std::string text = TextOf(GetDlgItem(message, 19128));
    CHECK_TEXT(text, std::string("Erreur à l'ouverture des fichiers"));
    ClickButton(message, 101);
    int code = WaitForExit();
    CHECK(code == 1, "exit status %d, expected 1", code);
}

static void AboutBox()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    for (int how = 0; how < 3; ++how) {
        SysCommand(main, 1024);
        HWND about = WaitForAppWindow(kAboutCaption, main, false);
        CHECK(about != nullptr, "no About box");
        if (how == 0) {
            std::string title = TextOf(GetDlgItem(about, 1000));
            CHECK_TEXT(title, std::string("Convertisseur pour fichiers de type BinHex\nVersion 1.0."));
            std::string contact = TextOf(GetDlgItem(about, 1001));
            CHECK(contact.find("Marrowby") != std::string::npos, "contact text %s", Show(contact).c_str());
            CHECK(IsCentred(about, main), "the About box is not centred over the main window");
            CHECK(Screenshot(about, "about-box"), "screenshot failed");
            PressKey(GetDlgItem(about, 101), VK_ESCAPE);
        } else if (how == 1) {
            ClickButton(about, 101);
        } else {
            SysCommand(about, SC_CLOSE);
        }
        CHECK(WaitGone(about), "the About box did not close (%s)",
              how == 0 ? "Escape" : how == 1 ? "OK" : "close box");
    }
    CloseMainAndExpectZero(main, true);
}

static void HelpCommand()
{
    HWND main = StartWithSignatures();
    CHECK(main != nullptr, "no main window");
    // (Menus of another process can't be read under Wine: the items'
    // texts are not checked here, their commands are.)
    HelpRequests.clear();
    SysCommand(main, 1280);
    CHECK(WaitUntil([] { return !HelpRequests.empty(); }), "no help request");
    CHECK(HelpRequests[0].command == HELP_CONTENTS && HelpRequests[0].data == 0,
          "help command %d data %ld", HelpRequests[0].command, HelpRequests[0].data);
    std::string expected = ExePath.substr(0, ExePath.rfind('.') + 1) + "HLP";
    CHECK_TEXT(HelpRequests[0].file, expected);
    CloseMainAndExpectZero(main, false);
}

// ============================================================ runner

struct Scenario {
    const char *suite;
    const char *name;
    std::function<void()> run;
};

static const Scenario kScenarios[] = {
    {"startup", "first start without .sig: no chooser, key without value", FirstStartWithoutSignatures},
    {"startup", "first start with one .sig: taken and stored unseen", FirstStartWithOneSignaturesFile},
    {"startup", "chooser: list, beep on OK, double click stores", ChooserByDoubleClick},
    {"startup", "chooser: OK with a selection (a directory entry)", ChooserByOk},
    {"startup", "chooser: Annuler stores nothing", [] { ChooserEndsWithoutChoice(0); }},
    {"startup", "chooser: Escape stores nothing", [] { ChooserEndsWithoutChoice(1); }},
    {"startup", "chooser: close box stores nothing", [] { ChooserEndsWithoutChoice(2); }},
    {"startup", "chooser: help topic 130 by icon and F1", ChooserHelp},
    {"startup", "later start with a stored path: no chooser", [] { LaterStart("C:\\elsewhere\\x.sig", false); }},
    {"startup", "later start with an empty value: chooser again", [] { LaterStart("", true); }},
    {"startup", "later start without a value: no chooser", [] { LaterStart(nullptr, false); }},
    {"main", "main window layout, start state, Escape ignored", MainWindowLayout},
    {"main", "browse one and several, selection and panel, cancel", BrowseOneAndSeveral},
    {"main", "radio rules", RadioRules},
    {"main", "conversion of three entries in each mode", ConversionModes},
    {"main", "batch of at most 32 entries", BatchOfAtMost32},
    {"main", "command line: two folders, blanks, accent", [] { HandOverFiles(kHandOvers[0]); }},
    {"main", "command line: a missing file and a folder left out", [] { HandOverFiles(kHandOvers[1]); }},
    {"main", "drop on the list replaces it", [] { HandOverFiles(kHandOvers[2]); }},
    {"messages", "empty forks: messages, Escape ignored, OK/Enter/close", EmptyForkMessages},
    {"messages", "open failure ends with status 1", FatalOpenFailure},
    {"messages", "About box: Escape, OK and close box", AboutBox},
    {"messages", "system menu: help opens the help file's contents", HelpCommand},
};

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: quillon-gui-driver SUITE QUILLON_EXE ARTIFACTS_DIR\n");
        return 2;
    }
    std::string suite = argv[1];
    ExePath = argv[2];
    ArtifactsDir = argv[3];
    CreateHelpStub();
    int ran = 0;
    for (const Scenario &scenario : kScenarios) {
        if (suite != scenario.suite)
            continue;
        ++ran;
        FailureText.clear();
        scenario.run();
        EndApp();
        if (FailureText.empty())
            printf("PASS %s\n", scenario.name);
        else
            printf("FAIL %s: %s\n", scenario.name, Utf8(FailureText).c_str());
        fflush(stdout);
    }
    if (ran == 0) {
        fprintf(stderr, "quillon-gui-driver: no suite %s\n", suite.c_str());
        return 2;
    }
    return 0;
}
