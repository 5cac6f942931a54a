#include "posix/program_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "common/bounded_text.h"
#include "posix/environment.h"

bool FindProgramOnPath(const char* name, ProgramPath& found) {
    const char* path = std::getenv("PATH");
    return AnyEntryOf(path ? path : "/usr/local/bin:/usr/bin:/bin", ':', [&](std::string_view directory) {
        BoundedText candidate(found);
        struct stat info;
        // An empty or relative entry names the working directory, which is
        // whatever the launcher left us in: never a place to run programs from.
        return directory.starts_with('/') && !candidate.Append(directory).Append("/").Append(name).Overflowed() &&
               stat(found.data(), &info) == 0 && S_ISREG(info.st_mode) && access(found.data(), X_OK) == 0;
    });
}
