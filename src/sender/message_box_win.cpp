#include "sender/message_box.h"

#include <windows.h>

#include "common/texts.h"
#include "win/system_library.h"

BoxOutcome ShowMessageBox(BoxKind kind, const char* text) {
    // A GUI program has no other place to say that no box could be shown.
    if (kind == BoxKind::Unasked)
        return {};
    // USER32 is loaded only when a box is shown: a run with nothing to send
    // then costs what an empty program costs, at start and at exit.
    const HMODULE user32 = LoadSystemLibrary("USER32.DLL");
    const auto messageBox = user32 ? GetSystemFunction<decltype(&MessageBoxA)>(user32, "MessageBoxA") : nullptr;
    if (!messageBox)
        return {};  // no box, no Yes
    // A WM_QUIT left in our queue (some mail providers post one) would end
    // the box's own message loop before the user sees it.
    const auto peekMessage = GetSystemFunction<decltype(&PeekMessageA)>(user32, "PeekMessageA");
    MSG quit;
    while (peekMessage && peekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    UINT style = MB_OK | MB_ICONWARNING | MB_TASKMODAL;
    if (IsQuestion(kind))
        style = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL;
    else if (kind == BoxKind::LoadFailure)
        style = MB_OK | MB_ICONERROR | MB_TASKMODAL;
    const int pressed = messageBox(nullptr, text, ProductCaption, style);
    return {.shownIn = pressed == 0 ? ShownIn::Nowhere : ShownIn::Window, .yes = pressed == IDYES};
}
