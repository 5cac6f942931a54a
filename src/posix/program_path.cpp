#include "posix/program_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "common/bounded_text.h"

bool FindProgramOnPath(const char* name, ProgramPath& found) {
    const char* path = std::getenv("PATH");
    std::string_view entries = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = std::min(entries.find(':'), entries.size());
        const std::string_view directory(entries.data(), colon);
        BoundedText candidate(found);
        struct stat info;
        // An empty or relative entry names the working directory, which is
        // whatever the launcher left us in: never a place to run programs from.
        if (directory.starts_with('/') && !candidate.Append(directory).Append("/").Append(name).Overflowed() &&
            stat(found.data(), &info) == 0 && S_ISREG(info.st_mode) && access(found.data(), X_OK) == 0)
            return true;
        if (colon == entries.size())
            return false;
        entries.remove_prefix(colon + 1);
    }
}
