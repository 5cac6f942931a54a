#include "dump_properties.h"

#include <cstdio>
#include <string>

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

const char* CheckMarking(const std::string& original, const DumpPath& path) {
    const StatusLine line = ParseStatusLine(original);
    if (IsReportPending(path) == StatusLineSaysSent(line))
        return "the file reads as its bytes do";

    MarkReportSent(path, IdentifyDump(path));
    const std::string once = ReadFile(path.data());
    const std::size_t window = line.text.size() + line.lineEndBytes;
    if (once.size() != original.size())
        return "size kept";
    if (once.compare(window, std::string::npos, original, window) != 0)
        return "bytes past the line kept";
    if (IsMarkable(line)) {
        if (once.compare(0, SentStatusMarker.size(), SentStatusMarker) != 0)
            return "marker written";
        if (once.find_first_not_of(' ', SentStatusMarker.size()) < line.text.size())
            return "rest blanked";
        if (IsReportPending(path))
            return "marked line says sent";
    } else if (once != original) {
        return "unmarkable line untouched";
    }

    MarkReportSent(path, IdentifyDump(path));
    if (ReadFile(path.data()) != once)
        return "marking twice equals marking once";
    return nullptr;
}

}  // namespace

const char* BrokenDumpProperty(std::string_view input, const DumpPath& scratchDump) {
    const std::string original(input);
    if (std::FILE* file = std::fopen(scratchDump.data(), "wb")) {
        std::fwrite(original.data(), 1, original.size(), file);
        std::fclose(file);
    }
    const char* broken = CheckMarking(original, scratchDump);
    std::remove(scratchDump.data());
    return broken;
}
