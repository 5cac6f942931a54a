#include "mail/link_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>

#include "common/bounded_text.h"
#include "common/text_cuts.h"
#include "posix/environment.h"
#include "posix/file_records.h"
#include "posix/program.h"
#include "posix/unique_fd.h"

namespace {

using DesktopFileName = std::array<char, 256>;

// xdg-mime's answer, as xdg-email itself asks it: the desktop file that
// handles links of `type` ("thunderbird.desktop"); false when there is none.
bool DefaultHandler(const ProgramPath& xdgMime, const char* type, DesktopFileName& name) {
    constexpr std::chrono::seconds patience{5};
    const UniqueFd answer(memfd_create("xdg-mime", MFD_CLOEXEC));
    const char* const argv[] = {"xdg-mime", "query", "default", type, nullptr};
    if (!answer || !ExitedWith(RunProgram(xdgMime, argv, ChildRole::Helper, {.output = answer.Get()}, patience), 0))
        return false;
    BoundedText found(name);
    AnyRecordOf(answer.Get(), 0, name.size(), '\n', [&](std::string_view line) { return found.Append(line), true; });
    const std::string_view line = name.data();
    return !found.Overflowed() && line.ends_with(".desktop") && line.find('/') == std::string_view::npos;
}

// What the desktop file `name`, where xdg-utils look for it (the user's
// applications, then the system's), says its program is.
enum class Categories { Other, WebBrowser, Email };

Categories DesktopFileCategories(const DesktopFileName& name) {
    const char* userData = FirstSetVariable({"XDG_DATA_HOME"});
    const char* home = FirstSetVariable({"HOME"});
    std::array<char, PATH_MAX> userDefault;
    if (!userData && home && !BoundedText(userDefault).Append(home).Append("/.local/share").Overflowed())
        userData = userDefault.data();
    Categories said = Categories::Other;
    const auto found = [&](std::string_view folder) {
        std::array<char, PATH_MAX> path;
        BoundedText built(path);
        if (folder.empty() || built.Append(folder).Append("/applications/").Append(name.data()).Overflowed())
            return false;
        const UniqueFd file(open(path.data(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!file)
            return false;
        AnyRecordOf(file.Get(), 0, UINT64_MAX, '\n', [&](std::string_view line) {
            if (!RemovePrefix(line, "Categories="))
                return false;
            const auto holds = [&](std::string_view wanted) {
                return AnyEntryOf(line, ';', [&](std::string_view category) { return category == wanted; });
            };
            said = holds("WebBrowser") ? Categories::WebBrowser : holds("Email") ? Categories::Email : said;
            return true;
        });
        return true;
    };
    const char* systemData = FirstSetVariable({"XDG_DATA_DIRS"});
    if (!(userData && found(userData)))
        AnyEntryOf(systemData ? systemData : "/usr/local/share:/usr/share", ':', found);
    return said;
}

}  // namespace

LinkReader FindLinkReader() {
    ProgramPath xdgMime;
    DesktopFileName mailto, https;
    if (!FindProgramOnPath("xdg-mime", xdgMime) || !DefaultHandler(xdgMime, "x-scheme-handler/mailto", mailto))
        return LinkReader::MailProgram;
    // A mail program says so; only a program that says neither is asked after by https: links.
    switch (DesktopFileCategories(mailto)) {
    case Categories::WebBrowser:
        return LinkReader::WebBrowser;
    case Categories::Email:
        return LinkReader::MailProgram;
    default:
        break;
    }
    return DefaultHandler(xdgMime, "x-scheme-handler/https", https) &&
                   std::string_view(mailto.data()) == std::string_view(https.data())
               ? LinkReader::WebBrowser
               : LinkReader::MailProgram;
}
