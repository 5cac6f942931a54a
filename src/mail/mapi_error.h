#pragma once

#include <array>
#include <cstdint>

using MapiResultCode = std::uint32_t;

// Large enough for the longest text, a name and its code (35 characters).
using MapiErrorText = std::array<char, 128>;

// The names of Simple MAPI's result codes, indexed by the code; 0 and 7 have
// none. Plain pointers: half the size of views in the Windows executable.
inline constexpr std::array<const char*, 28> MapiErrorNames = {
    "",
    "MAPI_E_USER_ABORT",
    "MAPI_E_FAILURE",
    "MAPI_E_LOGON_FAILURE",
    "MAPI_E_DISK_FULL",
    "MAPI_E_INSUFFICIENT_MEMORY",
    "MAPI_E_ACCESS_DENIED",
    "",
    "MAPI_E_TOO_MANY_SESSIONS",
    "MAPI_E_TOO_MANY_FILES",
    "MAPI_E_TOO_MANY_RECIPIENTS",
    "MAPI_E_ATTACHMENT_NOT_FOUND",
    "MAPI_E_ATTACHMENT_OPEN_FAILURE",
    "MAPI_E_ATTACHMENT_WRITE_FAILURE",
    "MAPI_E_UNKNOWN_RECIPIENT",
    "MAPI_E_BAD_RECIPTYPE",
    "MAPI_E_NO_MESSAGES",
    "MAPI_E_INVALID_MESSAGE",
    "MAPI_E_TEXT_TOO_LARGE",
    "MAPI_E_INVALID_SESSION",
    "MAPI_E_TYPE_NOT_SUPPORTED",
    "MAPI_E_AMBIGUOUS_RECIPIENT",
    "MAPI_E_MESSAGE_IN_USE",
    "MAPI_E_NETWORK_FAILURE",
    "MAPI_E_INVALID_EDITFIELDS",
    "MAPI_E_INVALID_RECIPS",
    "MAPI_E_NOT_SUPPORTED",
    "MAPI_E_UNICODE_NOT_SUPPORTED",
};

// Writes a named code's name with the code in parentheses, else the code
// alone, as a signed number.
void FormatMapiError(MapiResultCode code, MapiErrorText& text);
