#include "sender/message_box.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "posix/program.h"

// zenity on a graphical desktop; else the terminal, when there is one to ask
// on; else the question counts as No and failures go to standard error.

namespace {

constexpr unsigned ButtonsMask = 0x0F;
constexpr unsigned IconMask = 0xF0;
constexpr unsigned YesNoButtons = 0x04;
constexpr unsigned QuestionIcon = 0x20;
constexpr unsigned ErrorIcon = 0x10;

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

const char* ZenityDialog(unsigned style) {
    switch (style & IconMask) {
    case QuestionIcon: return "--question";
    case ErrorIcon: return "--error";
    default: return "--warning";
    }
}

// Returns the zenity's wait status, or -1 when there is no zenity to use.
int RunZenity(const char* text, unsigned style) {
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY"))
        return -1;
    std::string zenity;
    if (!FindProgramOnPath("zenity", zenity))
        return -1;
    const std::string title = std::string("--title=") + ProductCaption;
    const std::string textOption = std::string("--text=") + text;
    const char* const argv[] = {
        "zenity", ZenityDialog(style), title.c_str(), "--no-markup", textOption.c_str(), nullptr,
    };
    return RunProgram(zenity, argv);
}

bool AnsweredYes(std::FILE* input) {
    char answer[16];
    if (!std::fgets(answer, sizeof answer, input))
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

}  // namespace

int ShowMessageBox(const char* text, unsigned style) {
    const bool yesNo = (style & ButtonsMask) == YesNoButtons;
    if (const int status = RunZenity(text, style); status != -1)
        return yesNo ? (ExitedWith(status, 0) ? IdYes : IdNo) : IdOk;

    // A closed pipe on standard error must not end the run.
    std::signal(SIGPIPE, SIG_IGN);
    const bool onTerminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    if (yesNo && !onTerminal)
        return IdNo;
    std::fprintf(stderr, "%s\n%s\n", ProductCaption, text);
    if (!yesNo)
        return IdOk;
    std::fputs("[y/N] ", stderr);
    return AnsweredYes(stdin) ? IdYes : IdNo;
}
