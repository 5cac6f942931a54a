#include "sender/message_box.h"

#include <windows.h>

bool ShowMessageBox(BoxKind kind, const char* text) {
    UINT style = MB_OK | MB_ICONWARNING | MB_TASKMODAL;
    if (kind == BoxKind::Question)
        style = MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL;
    else if (kind == BoxKind::LoadFailure)
        style = MB_OK | MB_ICONERROR | MB_TASKMODAL;
    return MessageBoxA(nullptr, text, ProductCaption, style) == IDYES;
}
