#include "posix/flatpak.h"

#include <fcntl.h>
#include <unistd.h>

#include "common/bounded_text.h"
#include "common/text_cuts.h"
#include "posix/file_records.h"
#include "posix/unique_fd.h"

// The test build of the sender reads a file of its own instead.
#ifndef YORV_FLATPAK_INFO
#define YORV_FLATPAK_INFO "/.flatpak-info"
#endif

bool InFlatpak(FlatpakInstance& instance) {
    const UniqueFd info(open(YORV_FLATPAK_INFO, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!info)
        return false;
    // The keys of the two groups asked for; the file's other groups say what the sandbox may do.
    instance = {};
    bool application = false, instanceGroup = false;
    AnyRecordOf(info.Get(), 0, UINT64_MAX, '\n', [&](std::string_view line) {
        if (line.starts_with('['))
            application = line == "[Application]", instanceGroup = line == "[Instance]";
        else if (application && RemovePrefix(line, "name="))
            BoundedText(instance.application).Append(line);
        else if (instanceGroup && RemovePrefix(line, "instance-path="))
            BoundedText(instance.instancePath).Append(line);
        return false;
    });
    return instance.application[0] != '\0';
}

bool MapToHost(const FlatpakInstance& instance, std::string_view path, std::string_view runtimeFolder,
               std::span<char> hostPath) {
    constexpr std::string_view sandboxTmp = "/tmp/", instances = "/.flatpak";
    BoundedText host(hostPath);
    if (!RemovePrefix(path, sandboxTmp))
        return !host.Append(path).Overflowed();
    const std::string_view instancePath = instance.instancePath.data();
    const std::string_view folder = Head(instancePath, instancePath.rfind('/'));
    if (folder.ends_with(instances))
        host.Append(folder);
    else if (!runtimeFolder.empty())
        host.Append(runtimeFolder).Append(instances);
    else
        return false;
    host.Append("/").Append(instance.application.data()).Append("/tmp/");
    return !host.Append(path).Overflowed();
}
