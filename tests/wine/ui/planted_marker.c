/* A DLL planted under a system library's name: when any process loads it, it
   appends its own full path to C:\planted-loads.txt. It imports kernel32
   only and exports nothing, which is enough to prove that it was loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char line[MAX_PATH + 2];
    DWORD length = GetModuleFileNameA(module, line, MAX_PATH);
    line[length++] = '\r';
    line[length++] = '\n';
    HANDLE log =
        CreateFileA("C:\\planted-loads.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(log, line, length, &written, NULL);
        CloseHandle(log);
    }
    return TRUE;
}
