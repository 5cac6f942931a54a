#include "sender/message_box.h"

#include <windows.h>

#include "win/system_library.h"

bool ShowMessageBox(BoxKind kind, const char* text) {
    // USER32 is loaded only when a box is shown: a run with nothing to send
    // then costs what an empty program costs, at start and at exit.
    using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    const HMODULE user32 = LoadSystemLibrary("USER32.DLL");
    const auto messageBox = user32 ? reinterpret_cast<MessageBoxFunction>(
                                         reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxA")))
                                   : nullptr;
    if (!messageBox)
        return false;  // no box, no Yes
    UINT style = MB_OK | MB_ICONWARNING | MB_TASKMODAL;
    if (kind == BoxKind::Question)
        style = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL;
    else if (kind == BoxKind::LoadFailure)
        style = MB_OK | MB_ICONERROR | MB_TASKMODAL;
    return messageBox(nullptr, text, ProductCaption, style) == IDYES;
}
