/* The floor for the Windows quiet runs: a GUI program that looks for the dump
   as the sender does and ends. It imports KERNEL32 and msvcrt only. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance, (void)previous, (void)commandLine, (void)show;
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length + sizeof "yorv_crash_dump.txt" > MAX_PATH)
        return 0;
    lstrcatA(path, "yorv_crash_dump.txt");
    GetFileAttributesA(path);
    return 0;
}
