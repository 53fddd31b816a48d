// The window driver of the end-to-end tests: a Win32 console program that
// tests/gui/scenarios runs under Wine beside Quillon.exe, to call the platform's
// functions there (kernel32, user32, advapi32). Each line on standard input is a call:
// "FUNCTION ARGUMENT...", each argument a number or, after "x", the hex bytes of a
// buffer. The answer, a line: the result, then each buffer in hex as the call left it.
//
// It also owns the window of the help system's class, so the program's help
// requests come here: each goes to C:\q\help.txt as "command topic file|".
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// The request as WinHelp packs it: WORD size, WORD command, LONG topic, LONG
// reserved, WORD offset of the file name, ...
static LRESULT CALLBACK HelpStub(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wParam, lParam);
    const char *request = static_cast<const char *>(reinterpret_cast<const COPYDATASTRUCT *>(lParam)->lpData);
    FILE *log = fopen("C:\\q\\help.txt", "a");
    fprintf(log, "%d %ld %s|", *reinterpret_cast<const WORD *>(request + 2), *reinterpret_cast<const LONG *>(request + 4),
            request + *reinterpret_cast<const WORD *>(request + 12));
    fclose(log);
    return TRUE;
}

// The help window has a thread of its own: requests come while a call waits.
static DWORD WINAPI HelpWindow(void *)
{
    WNDCLASSA help = {};
    help.lpfnWndProc = HelpStub;
    help.lpszClassName = "MS_WINHELP";
    RegisterClassA(&help);
    CreateWindowA("MS_WINHELP", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;)
        DispatchMessageA(&message);
    return 0;
}

// The functions take up to ten arguments, each a number or a pointer. The driver
// runs as a 64-bit program, where a function may be passed more than it takes.
typedef LONG_PTR(WINAPI *Function)(LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR,
                                   LONG_PTR);

int main()
{
    CreateThread(nullptr, 0, HelpWindow, nullptr, 0, nullptr);
    HMODULE libraries[] = {GetModuleHandleA("kernel32.dll"), GetModuleHandleA("user32.dll"), LoadLibraryA("advapi32.dll")};
    for (std::string line, name, word; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::vector<std::string> buffers;
        buffers.reserve(line.size());  // none moves: the arguments point into them
        std::vector<LONG_PTR> arguments(10);
        words >> name;
        for (size_t count = 0; count < arguments.size() && words >> word; ++count) {
            if (word[0] != 'x') {
                arguments[count] = std::stoll(word);
                continue;
            }
            buffers.emplace_back();
            for (size_t i = 1; i + 1 < word.size(); i += 2)
                buffers.back() += char(std::stoi(word.substr(i, 2), nullptr, 16));
            arguments[count] = LONG_PTR(&buffers.back()[0]);
        }
        FARPROC address = nullptr;
        for (HMODULE library : libraries)
            address = address ? address : GetProcAddress(library, name.c_str());
        Function function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
        const LONG_PTR *a = arguments.data();
        std::cout << (function ? function(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]) : -1);
        for (const std::string &buffer : buffers) {
            std::cout << " x";
            for (unsigned char byte : buffer)
                std::cout << "0123456789ABCDEF"[byte >> 4] << "0123456789ABCDEF"[byte & 15];
        }
        std::cout << std::endl;
    }
    return 0;
}
