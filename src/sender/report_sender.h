#pragma once

inline constexpr char QuestionText[] =
    "The error report was created for last Yorv crash.\n"
    "Send error information to Dravonel Tech Support?";

// The run: find a pending dump, ask, hand it off, then mark it or say why
// not. Takes the values a GUI entry point receives and reads none of them.
// Always returns 0.
int ReportSenderMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
