#pragma once

// The run: find a pending dump, ask, hand it off, then mark it or say why
// not. Takes the values a GUI entry point receives and reads none of them.
// Always returns 0.
int ReportSenderMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
