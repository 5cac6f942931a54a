#pragma once

#include <array>

#include "dump/dump_path.h"
#include "mail/mapi_error.h"

inline constexpr char QuestionText[] =
    "The error report was created for last Yorv crash.\n"
    "Send error information to Dravonel Tech Support?";
inline constexpr char LoadFailureText[] = "Failed to load MAPI32.DLL";
inline constexpr char FailureFormat[] =
    "Failed to send e-mail message.\nMAPI error code: %s.\n\nError report saved to file:\n%s";

// The composed failure text is at most 373 characters.
using FailureMessage = std::array<char, 1024>;

void ComposeFailureText(FailureMessage& message, const MapiErrorText& errorText,
                        const DumpPath& dumpPath);

// The run: find a pending dump, ask, hand it off, then mark it or say why
// not. Takes the values a GUI entry point receives and reads none of them.
// Always returns 0.
int ReportSenderMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
