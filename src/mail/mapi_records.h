#pragma once

// Simple MAPI's records and constants: the platform's own declarations on
// Windows, the published layout elsewhere.

#if defined(_WIN32)
#include <windows.h>
#include <mapi.h>
#else
#include <cstdint>

using ULONG = std::uint32_t;
using FLAGS = ULONG;
using LPSTR = char*;
using LPVOID = void*;
using ULONG_PTR = std::uintptr_t;
using LHANDLE = ULONG_PTR;

struct MapiRecipDesc {
    ULONG ulReserved;
    ULONG ulRecipClass;
    LPSTR lpszName;
    LPSTR lpszAddress;
    ULONG ulEIDSize;
    LPVOID lpEntryID;
};

struct MapiFileDesc {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition;
    LPSTR lpszPathName;
    LPSTR lpszFileName;
    LPVOID lpFileType;
};

struct MapiMessage {
    ULONG ulReserved;
    LPSTR lpszSubject;
    LPSTR lpszNoteText;
    LPSTR lpszMessageType;
    LPSTR lpszDateReceived;
    LPSTR lpszConversationID;
    FLAGS flFlags;
    MapiRecipDesc* lpOriginator;
    ULONG nRecipCount;
    MapiRecipDesc* lpRecips;
    ULONG nFileCount;
    MapiFileDesc* lpFiles;
};

inline constexpr ULONG MAPI_TO = 1;
inline constexpr FLAGS MAPI_LOGON_UI = 0x1;
inline constexpr FLAGS MAPI_DIALOG = 0x8;
#endif
