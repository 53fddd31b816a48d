// The help: Quillon.chm, compiled HTML help, shown by the system's HTML
// Help viewer. HtmlHelpA is looked up in hhctrl.ocx on the first request,
// so the program links to nothing more and starts without the viewer.
#include <cstdio>
#include <cstring>

#include "app/dialog_util.h"
#include "app/shell.h"

#include <htmlhelp.h>

static const char kHelpMissing[] = "Le fichier d'aide %s est introuvable.";
static const char kHelpFailed[] = "Le fichier d'aide %s ne peut pas \xEAtre ouvert.";

typedef HWND(WINAPI *HtmlHelpFunction)(HWND, LPCSTR, UINT, DWORD_PTR);

// HtmlHelpA once found; null before and while the viewer can't be loaded.
// The library stays loaded until the program ends.
static HtmlHelpFunction HtmlHelpEntry = nullptr;

// Loads the viewer from the system folder only: a file of its name beside
// the program (in a downloads folder, say) is never loaded.
// Returns: HtmlHelpA, or null when the viewer is missing.
static HtmlHelpFunction FindHtmlHelp()
{
    if (HtmlHelpEntry != nullptr)
        return HtmlHelpEntry;
    char viewer[kPathCapacity];
    UINT length = GetSystemDirectoryA(viewer, kPathCapacity);
    if (length == 0 || length >= UINT(kPathCapacity) || AppendText(viewer, "\\hhctrl.ocx", kPathCapacity) < 0)
        return nullptr;
    HMODULE library = LoadLibraryA(viewer);
    if (library != nullptr)
        HtmlHelpEntry = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "HtmlHelpA")));
    return HtmlHelpEntry;
}

// Makes path (kPathCapacity bytes) the help file's: the program's own path
// with its extension replaced by "chm".
static void GetHelpFilePath(char *path)
{
    int folder = GetProgramPath(path);
    if (folder < 0)
        return;
    char *dot = strrchr(path + folder, '.');
    if (dot == nullptr)
        dot = path + strlen(path);
    if (dot + sizeof ".chm" > path + kPathCapacity) {
        path[0] = '\0';
        return;
    }
    strcpy(dot, ".chm");
}

void ShowHelp(HWND owner, const char *page)
{
    char file[kPathCapacity];
    GetHelpFilePath(file);
    const char *problem = kHelpMissing;
    if (file[0] != '\0' && GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES) {
        // A page is named after the file and "::/"; the file alone opens
        // its default page, the contents.
        char topic[kPathCapacity + 64];
        if (page != nullptr)
            snprintf(topic, sizeof topic, "%s::/%s", file, page);
        else
            CopyText(topic, file, sizeof topic);
        HtmlHelpFunction htmlHelp = FindHtmlHelp();
        bool shown = htmlHelp != nullptr && htmlHelp(owner, topic, HH_DISPLAY_TOPIC, 0) != nullptr;
        problem = shown ? nullptr : kHelpFailed;
    }
    if (problem != nullptr)
        ShowProgramMessage(owner, problem, file);
}

void CloseHelp()
{
    if (HtmlHelpEntry != nullptr)
        HtmlHelpEntry(nullptr, nullptr, HH_CLOSE_ALL, 0);
}
