// The window driver of the end-to-end tests: a Win32 console program that
// tests/gui/scenarios runs under Wine beside Quillon.exe, to call the platform's
// functions there (kernel32, user32, advapi32). Each line on standard input is a call:
// "FUNCTION ARGUMENT...", each argument a number or, after "x", the hex bytes of a
// buffer. The answer, a line: the result, then each buffer in hex as the call left it.
#include <windows.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// The functions take up to ten arguments, each a number or a pointer. The driver
// runs as a 64-bit program, where a function may be passed more than it takes.
typedef LONG_PTR(WINAPI *Function)(LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR, LONG_PTR,
                                   LONG_PTR);

int main()
{
    HMODULE libraries[] = {GetModuleHandleA("kernel32.dll"), LoadLibraryA("user32.dll"), LoadLibraryA("advapi32.dll")};
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
