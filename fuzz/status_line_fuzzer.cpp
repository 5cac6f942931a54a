// libFuzzer over reading and marking the dump, with the promises of
// dump_properties.h checked for every input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "dump_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const DumpPath scratchDump = [] {
        DumpPath path{};
        std::snprintf(path.data(), path.size(), "/tmp/yorv-fuzz-%d-yorv_crash_dump.txt", static_cast<int>(getpid()));
        return path;
    }();
    if (const char* broken = BrokenDumpProperty({reinterpret_cast<const char*>(data), size}, scratchDump)) {
        std::fprintf(stderr, "broken: %s\n", broken);
        std::abort();  // libFuzzer saves the input
    }
    return 0;
}
