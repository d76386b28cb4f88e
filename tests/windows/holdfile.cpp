// Holds a file as another program would, for the installer's tests: "open" keeps it open for
// reading, sharing reading only; "load" maps it as a loaded program module. Says "held" on its
// output once it holds the file, and lets go when its input ends.
#include <cstdio>
#include <cwchar>
#include <windows.h>

int wmain(int argc, wchar_t *argv[])
{
    if (argc != 3) {
        std::fputs("usage: holdfile open|load FILE\n", stderr);
        return 2;
    }
    const bool load = std::wcscmp(argv[1], L"load") == 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    HMODULE module = nullptr;
    if (load) {
        module = ::LoadLibraryExW(argv[2], nullptr, DONT_RESOLVE_DLL_REFERENCES);
    } else {
        file = ::CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    }
    if (load ? module == nullptr : file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "holdfile: %ls could not be held (error %lu)\n", argv[2],
                     ::GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
           read > 0) {
    }
    if (module)
        ::FreeLibrary(module);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return 0;
}
