// Rows over the Linux system calls: this test is linked with -Wl,--wrap for
// each call replaced below, so a row can make one fail, come back short or
// interrupted, or end a program that never ran as the row says.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "common/bounded_text.h"
#include "dump/crash_dump.h"
#include "dump/dump_file.h"
#include "mail/mail_link.h"
#include "mail/send_mail.h"
#include "sender/desktop_reach.h"
#include "sender/dialog_locale.h"
#include "sender/message_box.h"
#include "sender/presenters_posix.h"
#include "sender/process_setup.h"
#include "posix/terminal.h"
#include "sender/report_sender.h"

namespace {
struct {  // empty: the real call
    std::function<ssize_t(int, void*, size_t, off_t)> pread;
    std::function<ssize_t(int, const void*, size_t, off_t)> pwrite;
    std::function<int(int, struct stat*)> fstat;
    std::function<int(int, int)> flock;
    std::function<int(int, const sockaddr*, socklen_t)> connect;
    std::function<int(const char*, int, mode_t)> open;
    std::function<int(int, const char*, int, mode_t)> openat;
    int boundedWaits = 0;                                            // waitid asked with WNOHANG
    unsigned slept = 0;                                              // milliseconds asked of nanosleep
    std::function<int(const char*, const posix_spawnattr_t*)> spawn;  // 0, or why the program did not start
    int status = 0;                                                  // how it ended, as waitpid says
    std::string lastArgument;                                        // of the program started last
} replaced;
}  // namespace

#define REPLACEABLE(result, name, parameters, arguments)                            \
    extern "C" result __real_##name parameters;                                    \
    extern "C" result __wrap_##name parameters {                                   \
        return replaced.name ? replaced.name arguments : __real_##name arguments;  \
    }
REPLACEABLE(ssize_t, pread, (int fd, void* buffer, size_t size, off_t at), (fd, buffer, size, at))
REPLACEABLE(ssize_t, pwrite, (int fd, const void* bytes, size_t size, off_t at), (fd, bytes, size, at))
REPLACEABLE(int, fstat, (int fd, struct stat* info), (fd, info))
REPLACEABLE(int, flock, (int fd, int operation), (fd, operation))
REPLACEABLE(int, connect, (int fd, const sockaddr* address, socklen_t size), (fd, address, size))
extern "C" int __real_open(const char*, int, ...);
extern "C" int __wrap_open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const auto mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : mode_t{0};
    va_end(rest);
    return replaced.open ? replaced.open(path, flags, mode) : __real_open(path, flags, mode);
}
extern "C" int __real_openat(int, const char*, int, ...);
extern "C" int __wrap_openat(int folder, const char* path, int flags, mode_t mode) {
    return replaced.openat ? replaced.openat(folder, path, flags, mode) : __real_openat(folder, path, flags, mode);
}
extern "C" int __wrap_nanosleep(const timespec* pause, timespec*) {
    return replaced.slept += unsigned(pause->tv_sec * 1000 + pause->tv_nsec / 1'000'000), 0;
}
extern "C" int __wrap_posix_spawn(pid_t* child, const char* path, const posix_spawn_file_actions_t*,
                                  const posix_spawnattr_t* attributes, char* const* argv, char* const*) {
    while (argv[1])
        ++argv;
    return *child = 4242, replaced.lastArgument = *argv, replaced.spawn(path, attributes);
}
extern "C" int __wrap_waitid(idtype_t, id_t child, siginfo_t* info, int options) {
    return replaced.boundedWaits += (options & WNOHANG) != 0, info->si_pid = pid_t(child), 0;
}
extern "C" pid_t __real_waitpid(pid_t, int*, int);
extern "C" pid_t __wrap_waitpid(pid_t child, int* status, int) { return *status = replaced.status, child; }

namespace {

const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("seam-" + std::to_string(getpid()));
const std::filesystem::path dump = folder / "yorv_crash_dump.txt";
constexpr char Pending[] = "# status: pending\nrest\n", Marked[] = "# status: sent   \nrest\n";

std::string Read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
void Write(const std::filesystem::path& path, const std::string& bytes) { std::ofstream(path) << bytes; }

// A temporary directory and a runtime folder of its own, a pending dump; PATH
// with the named programs (never run) and a remote display, taken on trust.
DumpPath Fresh(std::initializer_list<const char*> programs = {}) {
    replaced = {};
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "bin");
    for (const char* program : programs) {
        Write(folder / "bin" / program, "");
        std::filesystem::permissions(folder / "bin" / program, std::filesystem::perms::owner_all);
    }
    setenv("TMPDIR", folder.c_str(), 1), setenv("PATH", (folder / "bin").c_str(), 1);
    std::filesystem::create_directory(folder / "run");
    std::filesystem::permissions(folder / "run", std::filesystem::perms::owner_all);
    setenv("DISPLAY", "remote.invalid:0", 1), setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
    Write(dump, Pending);
    DumpPath dumpPath;
    EXPECT_TRUE(FindCrashDump(dumpPath));
    return dumpPath;
}

int Foreign(int fd, struct stat* info) { return __real_fstat(fd, info) ? -1 : (info->st_uid = geteuid() + 1, 0); }

TEST(Seam, OpensOnlyTheUsersOwnRegularFileNotThroughALink) {
    const auto replacedBy = [](auto make) { return [make] { std::filesystem::remove(dump), make(); }; };
    // What stands in the dump's place once it is opened.
    const struct { const char* name; std::function<void()> found; DumpOpen read, update; } rows[] = {
        {"the dump", [] {}, DumpOpen::Opened, DumpOpen::Opened},
        {"without its write bit: read-only, for root too", [] { chmod(dump.c_str(), 0444); }, DumpOpen::Opened,
         DumpOpen::Refused},
        {"a link", replacedBy([] { Write(folder / "other", Pending), symlink("other", dump.c_str()); }),
         DumpOpen::Refused, DumpOpen::Refused},
        {"a FIFO", replacedBy([] { mkfifo(dump.c_str(), 0600); }), DumpOpen::Refused, DumpOpen::Refused},
        {"another user's file", [] { replaced.fstat = Foreign; }, DumpOpen::Refused, DumpOpen::Refused},
    };
    for (const auto& row : rows) {
        const DumpPath dumpPath = Fresh();
        row.found();
        DumpFile file;
        EXPECT_EQ(OpenDump(dumpPath, DumpAccess::Read, file), row.read) << row.name;
        const DumpOpen update = OpenDump(dumpPath, DumpAccess::Update, file);
        EXPECT_EQ(update == DumpOpen::Opened && IsMarkedReadOnly(file) ? DumpOpen::Refused : update, row.update) << row.name;
    }
}

TEST(Seam, ShortInterruptedAndFailedReadsAndWritesAndTheReportHandedOff) {
    const auto once = [](int error, auto then) {  // fails once with `error`, then does `then`
        return [=, failed = false](auto... arguments) mutable {
            return std::exchange(failed, true) ? then(arguments...) : (errno = error, ssize_t{-1});
        };
    };
    const auto oneByte = [](auto real) { return [=](int fd, auto bytes, size_t, off_t at) { return real(fd, bytes, 1, at); }; };
    const std::string rewritten = "# status: pending\nREST\n", grown = std::string(Pending) + "more\n";
    const auto nothing = [] {};
    // The calls replaced, and what happens while the mail client is open.
    const struct { const char* name; std::function<void()> replace, meanwhile; std::string after; } rows[] = {
        {"reads of one byte", [&] { replaced.pread = oneByte(__real_pread); }, nothing, Marked},
        {"a read interrupted", [&] { replaced.pread = once(EINTR, __real_pread); }, nothing, Marked},
        {"reads that fail", [] { replaced.pread = [](auto...) { return errno = EIO, ssize_t{-1}; }; }, nothing, Pending},
        {"writes of one byte", [&] { replaced.pwrite = oneByte(__real_pwrite); }, nothing, Marked},
        {"a write interrupted", [&] { replaced.pwrite = once(EINTR, __real_pwrite); }, nothing, Marked},
        {"a write that fails", [&] { replaced.pwrite = once(EFBIG, [](auto...) { return ssize_t{0}; }); }, nothing,
         Pending},
        {"rewritten at its size", nothing, [&] { Write(dump, rewritten); }, rewritten},
        {"grown", nothing, [&] { Write(dump, grown); }, grown},
        {"its mode changed", nothing, [] { chmod(dump.c_str(), 0640); }, Marked},
        {"touched", nothing, [] { utimes(dump.c_str(), nullptr); }, Marked},
        {"the same bytes renamed into place", nothing,
         [] { Write(folder / "new", Pending), std::filesystem::rename(folder / "new", dump); }, Marked},
    };
    for (const auto& row : rows) {
        const DumpPath dumpPath = Fresh();
        row.replace();
        const DumpIdentity handedOff = IdentifyDump(dumpPath);
        row.meanwhile();
        MarkReportSent(dumpPath, handedOff);
        EXPECT_EQ(Read(dump), row.after) << row.name;
    }
}

// A refusal that says nothing about the dump is waited for, briefly to read
// it and longer to mark it; past the waits the dump is busy: neither offered
// nor marked. One that speaks of the dump is not waited for.
TEST(Seam, BusyDumpsAreWaitedForAndNeitherOfferedNorMarked) {
    const auto refusing = [](int error, int times) {
        return [=, refused = 0](const char* path, int flags, mode_t mode) mutable {
            return refused++ < times ? (errno = error, -1) : __real_open(path, flags, mode);
        };
    };
    const struct { const char* name; int error, times; bool pending; unsigned readWait; const char* after; unsigned markWait; }
        rows[] = {{"a lease broken in a moment", EWOULDBLOCK, 3, true, 300, Marked, 300},
                  {"a lease held past the waits", EWOULDBLOCK, 1000, false, 2000, Pending, 10000},
                  {"out of descriptors", EMFILE, 1000, false, 2000, Pending, 10000},
                  {"denied", EACCES, 1000, true, 0, Pending, 0}};
    for (const auto& row : rows) {
        const DumpPath dumpPath = Fresh();
        replaced.open = refusing(row.error, row.times);
        EXPECT_EQ(IsReportPending(dumpPath), row.pending) << row.name;
        EXPECT_EQ(std::exchange(replaced.slept, 0), row.readWait) << row.name;
        replaced.open = nullptr;
        const DumpIdentity handedOff = IdentifyDump(dumpPath);
        replaced.open = refusing(row.error, row.times);
        MarkReportSent(dumpPath, handedOff);
        EXPECT_EQ(std::exchange(replaced.slept, 0), row.markWait) << row.name;
        EXPECT_EQ(Read(dump), row.after) << row.name;
    }
}

// Every end of a dialog program or of xdg-email, not only the answers; and
// what a started program inherits, whatever the launcher ignored or blocked.
TEST(Seam, EveryEndOfADialogProgramOrXdgEmail) {
    constexpr int Exit1 = 1 << 8, Exit2 = 2 << 8, Exit3 = 3 << 8, Exit255 = 255 << 8, Killed = SIGKILL;
    enum Start { Starts, Missing, Refused };
    // `shown`: a Presented, or a HandOff for xdg-email.
    const struct { const char* program; Start start; int status, shown; } rows[] = {
        {"zenity", Starts, 0, int(Presented::Yes)}, {"zenity", Starts, Exit1, int(Presented::Closed)},
        {"zenity", Starts, Exit2, int(Presented::NotShown)}, {"zenity", Starts, Exit255, int(Presented::NotShown)},
        {"zenity", Starts, Killed, int(Presented::NotShown)}, {"zenity", Refused, 0, int(Presented::NotShown)},
        {"kdialog", Starts, 0, int(Presented::Yes)}, {"kdialog", Starts, Exit2, int(Presented::Closed)},
        {"kdialog", Starts, Exit3, int(Presented::NotShown)}, {"kdialog", Missing, 0, int(Presented::NotShown)},
        {"xdg-email", Starts, 0, int(HandOff::Started)}, {"xdg-email", Starts, Exit3, int(HandOff::Failed)},
        {"xdg-email", Starts, Killed, int(HandOff::Failed)}, {"xdg-email", Refused, 0, int(HandOff::Unavailable)},
        {"xdg-email", Missing, 0, int(HandOff::Unavailable)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        const DumpPath dumpPath = row.start == Missing ? Fresh() : Fresh({row.program});
        int started = 0;
        replaced.status = row.status;
        replaced.spawn = [&](const char* path, const posix_spawnattr_t* attributes) {
            sigset_t defaults, mask;
            short flags;
            posix_spawnattr_getsigdefault(attributes, &defaults), posix_spawnattr_getsigmask(attributes, &mask);
            posix_spawnattr_getflags(attributes, &flags);
            EXPECT_EQ(flags, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
            for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGPIPE, SIGCHLD, SIGXFSZ})
                EXPECT_TRUE(sigismember(&defaults, signalNumber)) << signalNumber;
            EXPECT_TRUE(sigisemptyset(&mask));
            EXPECT_EQ(std::filesystem::path(path).filename(), row.program);
            return ++started, row.start == Refused ? ENOEXEC : 0;
        };
        if (row.program == std::string("xdg-email")) {
            const SendMailOutcome outcome = SendReportMail(dumpPath, AnswersOn::Window);
            EXPECT_EQ(int(outcome.handOff), row.shown);
            EXPECT_EQ(outcome.exitStatus, WIFEXITED(row.status) ? WEXITSTATUS(row.status) : 0);
            EXPECT_EQ(outcome.signal, WIFSIGNALED(row.status) ? WTERMSIG(row.status) : 0);
        } else {
            EXPECT_EQ(int(ShowOnDesktop(BoxKind::Question, "Send?")), row.shown);
        }
        // xdg-email's 3 is asked once more, without the attachment.
        EXPECT_EQ(started, row.start == Missing ? 0 : row.status == Exit3 && row.program == std::string("xdg-email") ? 2 : 1);
    }
}

// The hand-off's bounds: where the user answers on the terminal, xdg-email
// may run a mail program on it and is waited for to its end. A dump of
// exactly the head's size is whole; a byte more, and the block says how
// much of it it holds. And all of the Yes path runs in a stack of 64 KiB.
TEST(Seam, TheHandOffsBoundsAndTheYesPathInASmallStack) {
    for (const AnswersOn answersOn : {AnswersOn::Window, AnswersOn::Terminal}) {
        const DumpPath dumpPath = Fresh({"xdg-email"});
        replaced.spawn = [](const char*, const posix_spawnattr_t*) { return 0; };
        SendReportMail(dumpPath, answersOn);
        EXPECT_EQ(replaced.boundedWaits > 0, answersOn == AnswersOn::Window);
    }
    for (const std::size_t extra : {0, 1}) {
        const DumpPath dumpPath = Fresh({"xdg-email"});
        Write(dump, Pending + std::string(sizeof(DumpHead) - std::strlen(Pending) + extra, 'x'));
        replaced.spawn = [](const char*, const posix_spawnattr_t*) { return 0; };
        SendReportMail(dumpPath, AnswersOn::Window);
        EXPECT_EQ(replaced.lastArgument.find("The%20block%20holds%20the%20first") != std::string::npos, extra == 1);
    }
    Fresh({"zenity", "xdg-email"});
    replaced.spawn = [](const char*, const posix_spawnattr_t*) { return 0; };
    setenv("LANG", "en_US.UTF-8", 1);  // looked for in the locale archive, where there is one
    pthread_attr_t small;
    pthread_t run;
    pthread_attr_init(&small), pthread_attr_setstacksize(&small, 64 * 1024);
    pthread_create(&run, &small, [](void*) -> void* { return ReportSenderMain(nullptr, nullptr, nullptr, 0), nullptr; }, nullptr);
    pthread_join(run, nullptr), unsetenv("LANG");
    EXPECT_EQ(Read(dump), Marked);
}

TEST(Seam, TheGuardThenTheStatusLineAgain) {
    const auto failing = [](int error) { return [error](int, int) { return errno = error, -1; }; };
    const struct { const char* name; std::function<int(int, int)> flock; int questions; std::function<void()> starve = {}; }
        rows[] = {
        {"free", __real_flock, 1},
        // Out of descriptors for the runtime folder or the lock: busy, and a later run asks.
        {"no descriptor for the runtime folder", __real_flock, 0, [] {
             replaced.open = [](const char* path, int flags, mode_t mode) {
                 return flags & O_DIRECTORY ? (errno = EMFILE, -1) : __real_open(path, flags, mode);
             };
         }},
        {"no descriptor for the lock", __real_flock, 0, [] { replaced.openat = [](auto...) { return errno = EMFILE, -1; }; }},
        {"held by another sender, not waited for", [](int, int how) {
             if (how != (LOCK_EX | LOCK_NB))
                 ADD_FAILURE() << "waits for the other sender";
             return errno = EWOULDBLOCK, -1;
         }, 0},
        {"the report sent meanwhile", [](int fd, int how) { return Write(dump, Marked), __real_flock(fd, how); }, 0},
        {"no lock to be had: unguarded", failing(ENOLCK), 1},
    };
    for (const auto& row : rows) {
        Fresh({"zenity"});
        int questions = 0;
        replaced.flock = row.flock;
        if (row.starve)
            row.starve();
        replaced.spawn = [&](const char*, const posix_spawnattr_t*) { return ++questions, 0; };
        replaced.status = 1 << 8;  // No
        EXPECT_EQ(ReportSenderMain(nullptr, nullptr, nullptr, 0), 0);
        EXPECT_EQ(questions, row.questions) << row.name;
        // The lock, held as long as the process, goes to no program it starts.
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code unused;
            const bool lock = std::filesystem::read_symlink(entry, unused) == folder / "run" / "yorv-report-sender.lock";
            EXPECT_TRUE(!lock || fcntl(std::stoi(entry.path().filename()), F_GETFD) & FD_CLOEXEC) << row.name;
        }
    }
    // A runtime folder that the group or others may write to is not private: no lock is made there.
    for (const auto shared : {std::filesystem::perms::group_write, std::filesystem::perms::others_write}) {
        Fresh({"zenity"});
        std::filesystem::permissions(folder / "run", shared, std::filesystem::perm_options::add);
        replaced.spawn = [](const char*, const posix_spawnattr_t*) { return 0; };
        replaced.status = 1 << 8;
        ReportSenderMain(nullptr, nullptr, nullptr, 0);
        EXPECT_FALSE(std::filesystem::exists(folder / "run" / "yorv-report-sender.lock"));
    }
}

TEST(Seam, TextThatExactlyFillsItsBuffer) {
    std::array<char, 8> buffer;
    EXPECT_FALSE(BoundedText(buffer).Append("1234567").Overflowed());
    EXPECT_TRUE(BoundedText(buffer).Append("12345678").Overflowed());
    // The dump's path: 259 characters and the terminator fill the 260.
    DumpPath dumpPath;
    const std::string directory = "/" + std::string(238, 'd');
    for (const std::string& tmpdir : {directory, directory + "/"}) {
        setenv("TMPDIR", tmpdir.c_str(), 1);
        EXPECT_TRUE(MakeDumpPath(dumpPath));
        EXPECT_EQ(dumpPath.data(), directory + "/yorv_crash_dump.txt");
        setenv("TMPDIR", ("/d" + tmpdir).c_str(), 1);
        EXPECT_FALSE(MakeDumpPath(dumpPath));
    }
    // The second question names a dump of 259 characters whole.
    Fresh({"zenity", "xdg-email"});
    const auto longest = folder / std::string(238 - folder.string().size(), 'd');
    std::filesystem::create_directory(longest);
    Write(longest / "yorv_crash_dump.txt", Pending);
    setenv("TMPDIR", longest.c_str(), 1);
    replaced.spawn = [](const char*, const posix_spawnattr_t*) { return 0; };
    ReportSenderMain(nullptr, nullptr, nullptr, 0);
    EXPECT_TRUE(replaced.lastArgument.ends_with(":\n" + (longest / "yorv_crash_dump.txt").string()));
    EXPECT_EQ(Read(longest / "yorv_crash_dump.txt"), Marked);
}

// The locale a dialog program runs in: the first of LC_ALL, LC_CTYPE and LANG
// set, as installed; one named but not installed is the C locale.
TEST(Seam, TheDialogsLocaleIsTheOneInstalled) {
    Fresh();
    std::filesystem::create_directories(folder / "locales/xx_YY.utf8");
    Write(folder / "locales/xx_YY.utf8/LC_CTYPE", "");
    setenv("LOCPATH", (folder / "locales").c_str(), 1);
    const struct { const char *lcAll, *lcCtype, *lang; bool utf8; } rows[] = {
        {"", nullptr, "xx_YY.UTF-8", true}, {nullptr, "xx_YY.utf8", "C", true}, {"C", "xx_YY.UTF-8", nullptr, false},
        {nullptr, nullptr, "en_US.UTF-8", false}, {nullptr, "UTF-8", nullptr, false}, {nullptr, nullptr, nullptr, false}};
    for (const auto& row : rows) {
        for (const auto& [name, value] : {std::pair{"LC_ALL", row.lcAll}, {"LC_CTYPE", row.lcCtype}, {"LANG", row.lang}})
            value ? setenv(name, value, 1) : unsetenv(name);
        EXPECT_EQ(DialogLocaleIsUtf8(), row.utf8) << &row - rows;
    }
    for (const char* name : {"LOCPATH", "LC_ALL", "LC_CTYPE", "LANG"})
        unsetenv(name);
}

TEST(Seam, NoProbeOfTheDisplayBlocksNorAnyPathOutsideAbsoluteEntriesRuns) {
    Fresh({"zenity"});
    setenv("WAYLAND_DISPLAY", "wayland-0", 1), unsetenv("DISPLAY");
    int attempts = 0;
    for (const int backlogFull : {0, 2, 1000}) {  // attempts answered EAGAIN before one is accepted
        attempts = 0;
        replaced.connect = [&](int fd, const sockaddr*, socklen_t) {
            EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NONBLOCK);
            return ++attempts <= backlogFull ? (errno = EAGAIN, -1) : 0;
        };
        EXPECT_EQ(DesktopReachable(), backlogFull < 25) << backlogFull;
    }
    EXPECT_LE(attempts, 30);
    // An empty or relative PATH entry is the working directory, whatever the launcher left.
    ProgramPath found;
    std::filesystem::current_path(folder);
    for (const char* path : {":bin", "bin:.", ""})
        EXPECT_FALSE((setenv("PATH", path, 1), FindProgramOnPath("zenity", found))) << path;
    setenv("PATH", (":bin:" + (folder / "bin").string()).c_str(), 1);
    EXPECT_TRUE(FindProgramOnPath("zenity", found) && found.data() == folder / "bin" / "zenity");
}

// A terminal left by the program before: raw, without echo, reading nothing
// (MIN and TIME 0), its open file not blocking; or only without CR as a line end.
TEST(Seam, APromptSetsTheTerminalItNeedsAndGivesItBack) {
    SetUpProcessForRun();
    // Stopped (Ctrl-Z) while it asks, and continued (fg): the shell's own modes are on the terminal by then.
    const auto stoppedAndContinued = [](int sender) {
        termios shells;
        tcgetattr(sender, &shells), cfmakeraw(&shells), tcsetattr(sender, TCSANOW, &shells), kill(getpid(), SIGCONT);
        for (int tries = 0; tries < 100 && (tcgetattr(sender, &shells), !(shells.c_lflag & ICANON)); ++tries)
            usleep(10'000);  // the user types once the prompt is back
    };
    const struct { const char* name; bool raw; const char* typed; Presented answer; std::function<void(int)> meanwhile; }
        rows[] = {{"raw, not blocking", true, "y\r", Presented::Yes, [](int) {}},
                  {"-icrnl", false, "n\r", Presented::Closed, [](int) {}},
                  {"stopped and continued", false, "y\r", Presented::Yes, stoppedAndContinued}};
    for (const auto& row : rows) {
        int user, sender;
        ASSERT_EQ(openpty(&user, &sender, nullptr, nullptr, nullptr), 0);
        termios left;
        tcgetattr(sender, &left);
        row.raw ? cfmakeraw(&left) : void(left.c_iflag &= ~ICRNL);
        left.c_cc[VMIN] = left.c_cc[VTIME] = 0;
        tcsetattr(sender, TCSANOW, &left);
        fcntl(sender, F_SETFL, fcntl(sender, F_GETFL) | (row.raw ? O_NONBLOCK : 0));
        const int flags = fcntl(sender, F_GETFL);
        std::atomic<bool> answered = false, hung = false;
        termios asking;
        std::string shown;
        std::thread user_types([&] {  // once the prompt shows; Enter, should the CR not end the line
            for (char c; shown.find("[y/N] ") == std::string::npos && read(user, &c, 1) == 1;)
                shown += c;
            tcgetattr(sender, &asking);
            row.meanwhile(sender);
            write(user, row.typed, 2);
            for (int tenths = 0; tenths < 20 && !answered; ++tenths)
                usleep(100'000);
            hung = !answered && write(user, "\n", 1) == 1;
        });
        const Presented answer = PromptOnTerminal(sender, sender, "Send?");
        answered = true;
        user_types.join();
        termios after;
        tcgetattr(sender, &after);
        EXPECT_EQ(answer, row.answer) << row.name;
        EXPECT_FALSE(hung) << row.name;
        // Asked a line at a time, echoed, Ctrl-C a signal, each line shown on a line of its own.
        EXPECT_EQ(asking.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(ICANON | ECHO | ISIG)) << row.name;
        EXPECT_TRUE(shown.ends_with("Send?\r\n[y/N] ")) << row.name;
        EXPECT_TRUE(after.c_iflag == left.c_iflag && after.c_oflag == left.c_oflag && after.c_lflag == left.c_lflag &&
                    std::memcmp(after.c_cc, left.c_cc, sizeof left.c_cc) == 0) << row.name;
        EXPECT_EQ(fcntl(sender, F_GETFL), flags) << row.name;
        close(user), close(sender);
    }
}

// A sender stopped at its prompt and then continued or ended in the
// background (bg, kill %1) leaves the modes the shell has set alone, though
// its handlers block SIGTTOU. In a session of its own, with a "shell" group
// in the terminal's foreground.
TEST(Seam, ASenderInTheBackgroundLeavesTheShellsModes) {
    int user, terminal;
    ASSERT_EQ(openpty(&user, &terminal, nullptr, nullptr, nullptr), 0);
    const pid_t session = fork();
    if (session == 0) {
        setsid(), ioctl(terminal, TIOCSCTTY, 0);
        HoldTerminalForQuestion(terminal);
        const pid_t shell = fork();
        if (shell == 0)
            setpgid(0, 0), pause(), _exit(0);
        termios shells;
        setpgid(shell, shell), signal(SIGTTOU, SIG_IGN), tcsetpgrp(terminal, shell), tcgetattr(terminal, &shells);
        cfmakeraw(&shells), tcsetattr(terminal, TCSANOW, &shells), signal(SIGTTOU, SIG_DFL);
        sigset_t blocked;
        sigfillset(&blocked), sigdelset(&blocked, SIGCONT), sigprocmask(SIG_BLOCK, &blocked, nullptr);
        raise(SIGCONT), GiveBackTerminal();
        termios after;
        tcgetattr(terminal, &after), kill(shell, SIGKILL);
        _exit(after.c_lflag == shells.c_lflag && after.c_iflag == shells.c_iflag ? 0 : 1);
    }
    int status = -1;
    __real_waitpid(session, &status, 0);
    EXPECT_EQ(status, 0);
    close(user), close(terminal);
}

TEST(Seam, OneAnswerALineAndNoDeathByAFileSizeLimit) {
    int typed[2];
    ASSERT_EQ(pipe(typed), 0);
    const std::string lines = std::string(16, 'y') + "\n  yes, please send\n\tn\n\nY";
    EXPECT_EQ(write(typed[1], lines.data(), lines.size()), ssize_t(lines.size()));
    close(typed[1]);
    for (const Presented answer : {Presented::Yes, Presented::Yes, Presented::Closed, Presented::Closed, Presented::Yes})
        EXPECT_EQ(ReadTerminalAnswer(typed[0]), answer);
    close(typed[0]);
    // A launcher's RLIMIT_FSIZE of 0: the marking fails, the dump stays pending, the run goes on.
    const DumpPath dumpPath = Fresh();
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit none = {0, limit.rlim_max};
    // A launcher that ignores SIGTERM still ends the run with it; one that ignores SIGHUP keeps it so (nohup).
    std::signal(SIGTERM, SIG_IGN), std::signal(SIGHUP, SIG_IGN);
    SetUpProcessForRun();
    struct sigaction term, hangUp;
    sigaction(SIGTERM, nullptr, &term), sigaction(SIGHUP, nullptr, &hangUp);
    EXPECT_TRUE(term.sa_handler != SIG_IGN && term.sa_handler != SIG_DFL && hangUp.sa_handler == SIG_IGN);
    std::signal(SIGTERM, SIG_DFL), std::signal(SIGHUP, SIG_DFL);
    // A failure that no box could show goes to standard error, a pipe or a file.
    int messages[2];
    ASSERT_EQ(pipe(messages), 0);
    const int standardError = dup(STDERR_FILENO);
    dup2(messages[1], STDERR_FILENO), close(messages[1]);
    ShowMessageBox(BoxKind::SendFailure, "the reason");
    dup2(standardError, STDERR_FILENO), close(standardError);
    std::array<char, 64> shown{};
    EXPECT_EQ(std::string_view(shown.data(), read(messages[0], shown.data(), shown.size())), "Yorv\nthe reason\n");
    close(messages[0]);
    setrlimit(RLIMIT_FSIZE, &none);
    MarkReportSent(dumpPath, IdentifyDump(dumpPath));
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(Read(dump), Pending);
}

}  // namespace
