#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/bounded_text.h"
#include "posix/environment.h"
#include "posix/file_records.h"
#include "posix/retry.h"
#include "posix/unique_fd.h"
#include "sender/dialog_locale.h"

// The locale a dialog program really runs in. One named but not installed is
// the C locale there, which refuses text outside ASCII: the name alone does
// not tell. This sender is one static file for any distribution, so the
// system's own locales are looked for as its glibc looks for them, not read
// through this build's.

namespace {

constexpr std::string_view SystemLocales = "/usr/lib/locale";

// True when `folder`/`name`/LC_CTYPE is a file.
bool HasLocaleFolder(std::string_view folder, std::string_view name) {
    std::array<char, PATH_MAX> path;
    struct stat info;
    return !BoundedText(path).Append(folder).Append("/").Append(name).Append("/LC_CTYPE").Overflowed() &&
           stat(path.data(), &info) == 0 && S_ISREG(info.st_mode);
}

// True when glibc's locale archive lists `name` among its names.
bool ArchiveHolds(std::string_view name) {
    const UniqueFd archive(open("/usr/lib/locale/locale-archive", O_RDONLY | O_CLOEXEC));
    std::uint32_t header[8];  // magic, serial, the name table's place and size, the strings' offset and length...
    if (!archive || RetryOnInterrupt([&] { return pread(archive.Get(), header, sizeof header, 0); }) != sizeof header ||
        header[0] != 0xde020109)
        return false;
    // The names of the locales, each ended by NUL.
    return AnyRecordOf(archive.Get(), header[5], header[6], '\0', [&](std::string_view each) { return each == name; });
}

bool LocaleInstalled(std::string_view name) {
    LocaleName normalized;
    if (!NormalizeLocaleName(name, normalized))
        return false;
    const std::string_view names[] = {name, normalized.data()};
    // LOCPATH, where set, is where glibc looks instead.
    if (const char* localePath = FirstSetVariable({"LOCPATH"})) {
        return AnyEntryOf(localePath, ':', [&](std::string_view folder) {
            return !folder.empty() && (HasLocaleFolder(folder, names[0]) || HasLocaleFolder(folder, names[1]));
        });
    }
    for (const std::string_view each : names) {
        if (HasLocaleFolder(SystemLocales, each) || ArchiveHolds(each))
            return true;
    }
    return false;
}

}  // namespace

bool DialogLocaleIsUtf8() {
    const char* name = FirstSetVariable({"LC_ALL", "LC_CTYPE", "LANG"});
    return name && LocaleNameIsUtf8(name) && LocaleInstalled(name);
}
