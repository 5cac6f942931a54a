#include "sender/message_box.h"

#include <windows.h>

static_assert(QuestionBoxStyle == (MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL));
static_assert(LoadFailureBoxStyle == (MB_OK | MB_ICONERROR | MB_TASKMODAL));
static_assert(SendFailureBoxStyle == (MB_OK | MB_ICONWARNING | MB_TASKMODAL));
static_assert(IdYes == IDYES && IdNo == IDNO && IdOk == IDOK);

int ShowMessageBox(const char* text, unsigned style) {
    return MessageBoxA(nullptr, text, ProductCaption, style);
}
