#include <windows.h>

#include "sender/report_sender.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    return ReportSenderMain(instance, previousInstance, commandLine, showCommand);
}
