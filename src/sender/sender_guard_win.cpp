#include "sender/sender_guard.h"

#include <windows.h>

bool TakeSenderGuard() {
    // The handle is left open on purpose: the system closes it when the
    // process ends, and the mutex goes with its last handle.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\Dravonel.Yorv.ReportSender");
    const DWORD error = GetLastError();
    if (!mutex)  // denied: held by another user's or an elevated sender
        return error != ERROR_ACCESS_DENIED;
    return error != ERROR_ALREADY_EXISTS;
}
