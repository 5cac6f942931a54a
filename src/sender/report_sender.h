#pragma once

inline constexpr char QuestionText[] =
    "The error report was created for last Yorv crash.\n"
    "Send error information to Dravonel Tech Support?";

// Asked after a mail program was started with the report, followed by the
// dump's path.
inline constexpr char SentQuestionText[] =
    "Was the crash report sent to Dravonel Tech Support?\n"
    "Answer when you are done in your mail program. If you say No, you will be asked again next time.\n"
    "\n"
    "If your mail program did not attach it, the report is the file:\n";

// The run: find a pending dump, ask, hand it off, then mark it or say why
// not. Takes the values a GUI entry point receives and reads none of them.
// Always returns 0.
int ReportSenderMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
