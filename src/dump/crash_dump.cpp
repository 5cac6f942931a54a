#include "dump/crash_dump.h"

#include "dump/content_digest.h"
#include "dump/dump_file.h"
#include "dump/status_line.h"

namespace {

// Another program may hold the dump for a moment: the product still writing
// it, a mail client or a scanner reading it, a file server breaking its lease.
// It is tried again for a while: briefly to read it, longer to mark a report
// the mail client took.
constexpr unsigned RetryMilliseconds = 100;
constexpr unsigned ReadWaitMilliseconds = 2000;
constexpr unsigned MarkWaitMilliseconds = 10000;

DumpOpen Open(const DumpPath& dumpPath, DumpAccess access, DumpFile& file) {
    const unsigned wait = access == DumpAccess::Update ? MarkWaitMilliseconds : ReadWaitMilliseconds;
    for (unsigned waited = 0;; waited += RetryMilliseconds) {
        const DumpOpen opened = OpenDump(dumpPath, access, file);
        // A read-only dump is never written, whoever could (root, Wine as root).
        if (opened == DumpOpen::Opened && access == DumpAccess::Update && IsMarkedReadOnly(file)) {
            file.Reset();
            return DumpOpen::Refused;
        }
        if (opened != DumpOpen::Busy || waited >= wait)
            return opened;
        PauseBeforeOpeningAgain(RetryMilliseconds);
    }
}

// Reads at `offset` until `buffer` is full or the file ends: the number of
// bytes read, or -1 on an error.
std::ptrdiff_t ReadUntilFull(const DumpFile& file, std::span<char> buffer, std::uint64_t offset) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const std::ptrdiff_t got = ReadDumpAt(file, buffer.subspan(filled), offset + filled);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(filled);
}

// Writes all of `bytes` at `offset`, a short write continued where it
// stopped. False when a write fails: the rest is not written.
bool WriteAll(const DumpFile& file, std::span<const char> bytes, std::uint64_t offset) {
    for (std::size_t written = 0; written < bytes.size();) {
        const std::ptrdiff_t put = WriteDumpAt(file, bytes.subspan(written), offset + written);
        if (put <= 0)
            return false;
        written += static_cast<std::size_t>(put);
    }
    return true;
}

// The status line's window: the file's first bytes, or -1 when they cannot be read.
std::ptrdiff_t ReadWindow(const DumpFile& file, StatusWindow& window) {
    return ReadUntilFull(file, window, 0);
}

// The content's identity: every byte read once, from the start to the end.
DumpIdentity IdentityOf(const DumpFile& file) {
    DumpIdentity identity;
    const auto read = [&](std::span<char> buffer) {
        const std::ptrdiff_t got = ReadUntilFull(file, buffer, identity.size);
        identity.size += got > 0 ? static_cast<std::uint64_t>(got) : 0;
        return got;
    };
    identity.known = DigestWholeFile(read, identity.digest);
    return identity;
}

}  // namespace

bool FindCrashDump(DumpPath& dumpPath) {
    return MakeDumpPath(dumpPath) && IsDumpEntry(dumpPath);
}

bool IsReportPending(const DumpPath& dumpPath) {
    DumpFile file;
    const DumpOpen opened = Open(dumpPath, DumpAccess::Read, file);
    if (opened != DumpOpen::Opened)
        return opened == DumpOpen::Refused;  // unreadable: still asked; busy: a later run asks
    StatusWindow window;
    const std::ptrdiff_t read = ReadWindow(file, window);
    file.Reset();  // closed before what was read is looked at
    if (read < 0)
        return true;
    return !StatusLineSaysSent(ParseStatusLine({window.data(), static_cast<std::size_t>(read)}));
}

DumpIdentity IdentifyDump(const DumpPath& dumpPath) {
    DumpFile file;
    return Open(dumpPath, DumpAccess::Read, file) == DumpOpen::Opened ? IdentityOf(file) : DumpIdentity{};
}

DumpHeadRead ReadDumpHead(const DumpPath& dumpPath, std::span<char> head) {
    DumpFile file;
    if (Open(dumpPath, DumpAccess::Read, file) != DumpOpen::Opened)
        return {};
    const std::ptrdiff_t read = ReadUntilFull(file, head, 0);
    DumpHeadRead got{.read = read >= 0, .length = read > 0 ? static_cast<std::size_t>(read) : 0};
    // A head that fills the buffer may be all of the dump, or its start.
    got.dumpSize = got.length;
    if (got.read && got.length == head.size())
        got.read = DumpFileSize(file, got.dumpSize);
    return got;
}

void MarkReportSent(const DumpPath& dumpPath, const DumpIdentity& handedOff) {
    DumpFile file;
    if (!handedOff.known || Open(dumpPath, DumpAccess::Update, file) != DumpOpen::Opened ||
        IdentityOf(file) != handedOff)
        return;
    StatusWindow window;
    const std::ptrdiff_t read = ReadWindow(file, window);
    const std::size_t length = read > 0 ? MarkStatusLine(std::span(window).first(static_cast<std::size_t>(read))) : 0;
    if (length > 0)
        WriteAll(file, std::span(window).first(length), 0);  // a failed write leaves the dump pending
}
