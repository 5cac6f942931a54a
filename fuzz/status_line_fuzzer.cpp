// Reads and marks arbitrary bytes as a dump on disk, and checks what marking
// promises: the size and every byte past the status line stay; a markable
// line ends up saying sent; marking twice is marking once; an unmarkable
// line leaves the file as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "dump/crash_dump.h"
#include "dump/status_line.h"

namespace {

std::string ReadFile(const char* path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path, "rb")) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

const DumpPath& ScratchDump() {
    static DumpPath path = [] {
        DumpPath p{};
        std::snprintf(p.data(), p.size(), "/tmp/yorv-fuzz-%d-yorv_crash_dump.txt", static_cast<int>(getpid()));
        return p;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const DumpPath& path = ScratchDump();
    const std::string original(reinterpret_cast<const char*>(data), size);
    if (std::FILE* file = std::fopen(path.data(), "wb")) {
        std::fwrite(original.data(), 1, original.size(), file);
        std::fclose(file);
    }

    const StatusLine line = ReadStatusLine(original);
    Check(IsReportSent(path) == StatusLineSaysSent(line), "the file reads as its bytes do");

    MarkReportSent(path, IdentifyDump(path));
    const std::string once = ReadFile(path.data());
    const std::size_t window = line.text.size() + line.lineEndBytes;
    Check(once.size() == original.size(), "size kept");
    Check(once.compare(window, std::string::npos, original, window) == 0, "bytes past the line kept");
    if (IsMarkable(line)) {
        Check(once.compare(0, SentStatusMarker.size(), SentStatusMarker) == 0, "marker written");
        Check(once.find_first_not_of(' ', SentStatusMarker.size()) >= line.text.size(), "rest blanked");
        Check(IsReportSent(path), "marked line says sent");
    } else {
        Check(once == original, "unmarkable line untouched");
    }

    MarkReportSent(path, IdentifyDump(path));
    Check(ReadFile(path.data()) == once, "marking twice equals marking once");
    std::remove(path.data());
    return 0;
}
