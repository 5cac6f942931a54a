// A stand-in MAPI32.DLL: notes its loading and release, writes every field of
// the message it is handed to %YORV_MAPI_LOG%, and whether the attachment
// opens, and returns %YORV_MAPI_RESULT%. With %YORV_MAPI_REPLACE% set to
// "renamed" or "rewritten", it first puts the file %YORV_MAPI_NEW_DUMP% in the
// attachment's place, as the product does after another crash. As real
// providers may, it keeps the attachment open, sharing it for reading only,
// for %YORV_MAPI_HOLD_MS% after it returns, and with %YORV_MAPI_POST_QUIT% it
// leaves a WM_QUIT in the caller's queue. With %YORV_MAPI_WRITE_PATH% it
// writes into the path it was given, as old providers do (strtok).
#include <windows.h>
#include <mapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Log(const char* format, ...) {
    const char* path = std::getenv("YORV_MAPI_LOG");
    std::FILE* log = path ? std::fopen(path, "ab") : nullptr;
    if (!log)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(log, format, arguments);
    va_end(arguments);
    std::fputc('\n', log);
    std::fclose(log);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH)
        Log("loaded");
    else if (reason == DLL_PROCESS_DETACH && !reserved)  // FreeLibrary, not process exit
        Log("released");
    return TRUE;
}

#ifndef WITHOUT_ENTRY_POINT
namespace {
const char* Text(const char* text) { return text ? text : "(null)"; }
const char* Pointer(const void* pointer) { return pointer ? "(set)" : "(null)"; }

// Writes the new dump's bytes to `path`, as a product writes its dump.
void WriteNewDump(const char* newDump, const char* path) {
    char content[4096];
    std::size_t length = 0;
    if (std::FILE* in = std::fopen(newDump, "rb")) {
        length = std::fread(content, 1, sizeof content, in);
        std::fclose(in);
    }
    if (std::FILE* out = std::fopen(path, "wb")) {
        std::fwrite(content, 1, length, out);
        std::fclose(out);
    }
}

void ReplaceDump(const char* dump) {
    const char* how = std::getenv("YORV_MAPI_REPLACE");
    const char* newDump = std::getenv("YORV_MAPI_NEW_DUMP");
    if (!how || !newDump)
        return;
    if (std::strcmp(how, "renamed") == 0) {
        char staged[MAX_PATH + 8];
        std::snprintf(staged, sizeof staged, "%s.new", dump);
        WriteNewDump(newDump, staged);
        MoveFileExA(staged, dump, MOVEFILE_REPLACE_EXISTING);
    } else {
        WriteNewDump(newDump, dump);
    }
}
DWORD WINAPI CloseLater(LPVOID file) {
    Sleep(std::strtoul(std::getenv("YORV_MAPI_HOLD_MS"), nullptr, 10));
    CloseHandle(file);
    return 0;
}

void HoldAttachment(const char* path) {
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(CreateThread(nullptr, 0, CloseLater, file, 0, nullptr));
}
}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR window,
                                                           lpMapiMessage message, FLAGS flags, ULONG reserved) {
    Log("call session=%llu window=%llu flags=%lu reserved=%lu", (unsigned long long)session,
        (unsigned long long)window, (unsigned long)flags, (unsigned long)reserved);
    const MapiMessage& m = *message;
    Log("message reserved=%lu subject=%s note=%s type=%s date=%s conversation=%s flags=%lu "
        "originator=%s recipients=%lu files=%lu", (unsigned long)m.ulReserved, Text(m.lpszSubject),
        Text(m.lpszNoteText), Text(m.lpszMessageType), Text(m.lpszDateReceived),
        Text(m.lpszConversationID), (unsigned long)m.flFlags, Pointer(m.lpOriginator),
        (unsigned long)m.nRecipCount, (unsigned long)m.nFileCount);
    for (ULONG i = 0; i < m.nRecipCount; ++i) {
        const MapiRecipDesc& r = m.lpRecips[i];
        Log("recipient reserved=%lu class=%lu name=%s address=%s eid_size=%lu eid=%s",
            (unsigned long)r.ulReserved, (unsigned long)r.ulRecipClass, Text(r.lpszName),
            Text(r.lpszAddress), (unsigned long)r.ulEIDSize, Pointer(r.lpEntryID));
    }
    for (ULONG i = 0; i < m.nFileCount; ++i) {
        const MapiFileDesc& f = m.lpFiles[i];
        std::FILE* attachment = f.lpszPathName ? std::fopen(f.lpszPathName, "rb") : nullptr;
        if (attachment)
            std::fclose(attachment);
        Log("file reserved=%lu flags=%lu position=%lu path=%s name=%s type=%s opens=%s", (unsigned long)f.ulReserved,
            (unsigned long)f.flFlags, (unsigned long)f.nPosition, Text(f.lpszPathName),
            Text(f.lpszFileName), Pointer(f.lpFileType), attachment ? "yes" : "no");
    }
    if (m.nFileCount == 1 && m.lpFiles[0].lpszPathName) {
        ReplaceDump(m.lpFiles[0].lpszPathName);
        if (std::getenv("YORV_MAPI_HOLD_MS"))
            HoldAttachment(m.lpFiles[0].lpszPathName);
    }
    if (std::getenv("YORV_MAPI_WRITE_PATH") && m.nFileCount == 1)
        std::strtok(m.lpFiles[0].lpszPathName, "\\");
    if (std::getenv("YORV_MAPI_POST_QUIT"))
        PostQuitMessage(0);
    const char* result = std::getenv("YORV_MAPI_RESULT");
    return result ? std::strtoul(result, nullptr, 10) : 0;
}
#endif
