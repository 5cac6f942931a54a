#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "common/bounded_text.h"
#include "posix/retry.h"
#include "posix/unique_fd.h"
#include "sender/desktop_reach.h"

namespace {

// A display server that does not accept (a frozen compositor, its backlog
// full) answers a connect that does not block with EAGAIN at once: it is
// asked again for about this long, then taken for unreachable, so that the
// next way of asking takes over.
constexpr int ConnectAttempts = 25;
constexpr std::chrono::milliseconds ConnectRetry{10};

// Connects to the socket whose path is `parts` joined; false when they do not fit.
bool CanConnect(std::initializer_list<std::string_view> parts) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    BoundedText path(address.sun_path);
    for (const std::string_view part : parts)
        path.Append(part);
    const UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (path.Overflowed() || !fd)
        return false;
    for (int attempt = 0; attempt < ConnectAttempts; ++attempt) {
        const auto* to = reinterpret_cast<const sockaddr*>(&address);
        if (RetryOnInterrupt([&] { return connect(fd.Get(), to, sizeof address); }) == 0)
            return true;
        if (errno != EAGAIN)
            return false;
        PauseBeforeTryingAgain(ConnectRetry);
    }
    return false;
}

// DISPLAY is [host]:number[.screen]. A local display is reached through its
// socket; a remote one (ssh forwarding among them) is taken on trust.
bool XDisplayReachable(std::string_view display) {
    const auto colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view host(display.data(), colon);
    std::string_view number(display.data() + colon + 1, display.size() - colon - 1);
    number = std::string_view(number.data(), std::min(number.find('.'), number.size()));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    if (!host.empty() && host != "unix")
        return true;
    return CanConnect({"/tmp/.X11-unix/X", number});
}

bool WaylandReachable(std::string_view display) {
    if (display.empty())
        return false;
    if (display.front() == '/')
        return CanConnect({display});
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    return runtimeFolder && *runtimeFolder && CanConnect({runtimeFolder, "/", display});
}

}  // namespace

bool DesktopReachable() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && XDisplayReachable(x)) || (wayland && WaylandReachable(wayland));
}
