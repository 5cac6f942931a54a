#include "sender/report_sender.h"

int main() {
    return ReportSenderMain(nullptr, nullptr, nullptr, 0);
}
