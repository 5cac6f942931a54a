#include "sender/message_box.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "posix/program.h"

// On a desktop that can be reached, zenity, else KDE's kdialog. When neither
// shows the box, the terminal, if there is one. Else the question counts as
// No and failure texts go to standard error, so the dump's path is not lost.

namespace {

bool CanConnect(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// DISPLAY is [host]:number[.screen]. A local display is reached through its
// socket; a remote one (ssh forwarding among them) is taken on trust.
bool XDisplayReachable(std::string_view display) {
    const auto colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view host = display.substr(0, colon);
    std::string_view number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    if (!host.empty() && host != "unix")
        return true;
    return CanConnect(std::string("/tmp/.X11-unix/X").append(number));
}

bool WaylandReachable(std::string_view display) {
    if (display.empty())
        return false;
    if (display.front() == '/')
        return CanConnect(std::string(display));
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    return runtimeFolder && *runtimeFolder && CanConnect(std::string(runtimeFolder).append("/").append(display));
}

bool DesktopReachable() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && XDisplayReachable(x)) || (wayland && WaylandReachable(wayland));
}

int RunZenity(const std::string& zenity, BoxKind kind, const char* text) {
    const char* dialog = kind == BoxKind::Question      ? "--question"
                         : kind == BoxKind::LoadFailure ? "--error"
                                                        : "--warning";
    const std::string title = std::string("--title=") + ProductCaption;
    const std::string textOption = std::string("--text=") + text;
    const char* const argv[] = {"zenity", dialog, title.c_str(), "--no-markup", textOption.c_str(), nullptr};
    return RunProgram(zenity, argv);
}

int RunKdialog(const std::string& kdialog, BoxKind kind, const char* text) {
    const char* dialog = kind == BoxKind::Question      ? "--yesno"
                         : kind == BoxKind::LoadFailure ? "--error"
                                                        : "--sorry";
    // kdialog has no --no-markup, but Qt reads a text as rich only when a tag
    // stands before its first line break, and every first line here is fixed.
    const char* const argv[] = {"kdialog", "--title", ProductCaption, dialog, text, nullptr};
    return RunProgram(kdialog, argv);
}

// The dialog tool's wait status, or -1 when no dialog could be started.
int RunDialog(BoxKind kind, const char* text) {
    if (!DesktopReachable())
        return -1;
    std::string program;
    if (FindProgramOnPath("zenity", program))
        return RunZenity(program, kind, text);
    if (FindProgramOnPath("kdialog", program))
        return RunKdialog(program, kind, text);
    return -1;
}

bool AnsweredYes(std::FILE* input) {
    char answer[16];
    if (!std::fgets(answer, sizeof answer, input))
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

}  // namespace

bool ShowMessageBox(BoxKind kind, const char* text) {
    const bool question = kind == BoxKind::Question;
    // 0 and 1 are the user's answer; a crash or any other status (zenity's
    // 255, a display that went away) means that no box was shown.
    const int status = RunDialog(kind, text);
    if (ExitedWith(status, 0))
        return question;
    if (ExitedWith(status, 1))
        return false;

    // A closed pipe on standard error must not end the run.
    std::signal(SIGPIPE, SIG_IGN);
    const bool onTerminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    if (question && !onTerminal)
        return false;
    std::fprintf(stderr, "%s\n%s\n", ProductCaption, text);
    if (!question)
        return false;
    std::fputs("[y/N] ", stderr);
    return AnsweredYes(stdin);
}
