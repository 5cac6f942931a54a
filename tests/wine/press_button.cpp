// Waits for the "Yorv" box, prints its buttons and text, and presses the
// button asked for. (The icon is a handle of the sender's process, which
// cannot be read from here: the suite checks the box's style instead.)
// Usage: press_button yes|no|ok|none [timeout-ms] [REMOVE]; none leaves the
// box open, and the file REMOVE, if given, is deleted before the press.
// Or, as a program that holds the dump: press_button hold-writing|hold-exclusive
// PATH MS [AFTER] holds PATH open (for writing, sharing it for reading only; or
// for reading, sharing nothing) for MS milliseconds, counted from when the file
// AFTER exists, if given. It prints "holding" once the file is open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Buttons {
    char names[128];
};

BOOL CALLBACK ListButton(HWND child, LPARAM context) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (std::strcmp(className, "Button") == 0 && IsWindowVisible(child)) {
        auto& buttons = *reinterpret_cast<Buttons*>(context);
        char name[32] = "";
        GetWindowTextA(child, name, sizeof name);
        if (buttons.names[0])
            std::strcat(buttons.names, "|");
        std::strncat(buttons.names, name, sizeof buttons.names - std::strlen(buttons.names) - 1);
    }
    return TRUE;
}

}  // namespace

int Hold(int argc, char** argv) {
    const bool writing = std::strcmp(argv[1], "hold-writing") == 0;
    const HANDLE file = CreateFileA(argv[2], writing ? GENERIC_WRITE : GENERIC_READ, writing ? FILE_SHARE_READ : 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::puts("holding");
    std::fflush(stdout);
    while (argc > 4 && GetFileAttributesA(argv[4]) == INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    Sleep(std::strtoul(argv[3], nullptr, 10));
    CloseHandle(file);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    if (std::strncmp(argv[1], "hold-", 5) == 0)
        return argc < 4 ? 2 : Hold(argc, argv);
    const DWORD timeout = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20000;
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    while (!(box = FindWindowA("#32770", "Yorv"))) {
        if (GetTickCount() - start > timeout) {
            std::puts("no box");
            return 1;
        }
        Sleep(50);
    }
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    Buttons buttons{};
    EnumChildWindows(box, ListButton, reinterpret_cast<LPARAM>(&buttons));
    std::printf("buttons=%s\ntext=%s", buttons.names, text);
    std::fflush(stdout);
    if (std::strcmp(argv[1], "none") == 0)
        return 0;

    if (argc > 3)
        DeleteFileA(argv[3]);
    const int id = std::strcmp(argv[1], "yes") == 0 ? IDYES : std::strcmp(argv[1], "no") == 0 ? IDNO : IDOK;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    while (IsWindow(box) && GetTickCount() - start < timeout)
        Sleep(20);
    return IsWindow(box) ? 1 : 0;
}
