// The positive control of the planted-DLL scenario: loads system libraries by
// bare name, as the system's own code does after start-up, and prints where
// each came from.
//   dllsearch_probe plain|restricted NAME.dll...
// "restricted" first calls the very start-up function sprellow.exe calls.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/DllSearch.h"

int main(int argc, char** argv) {
    if (argc < 2 ||
        (std::strcmp(argv[1], "plain") != 0 && std::strcmp(argv[1], "restricted") != 0)) {
        std::fprintf(stderr, "usage: dllsearch_probe plain|restricted NAME.dll...\n");
        return 2;
    }
    if (std::strcmp(argv[1], "restricted") == 0) platform::win32::restrictDllSearch();
    for (int i = 2; i < argc; ++i) {
        char path[MAX_PATH] = "-";
        if (HMODULE module = LoadLibraryA(argv[i])) GetModuleFileNameA(module, path, MAX_PATH);
        std::printf("%s\t%s\n", argv[i], path);
    }
    return 0;
}
