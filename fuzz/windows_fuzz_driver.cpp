// The promises of dump_properties.h checked through the Windows build's own
// file code, where libFuzzer does not run: the seeds, then seeded random
// mutations of them, for a given time.
// Usage: windows_fuzz_driver CORPUS-FOLDER SECONDS [SEED]
// Ends with "N cases, none broken", or with a line "broken: PROPERTY" and the
// input saved as broken-input in the working folder (exit status 1).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dump_properties.h"

namespace {

std::vector<std::string> ReadSeeds(const char* folder) {
    std::vector<std::string> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return seeds;
}

// Changes that reach the status line's edges: its key and word, line ends,
// NUL and the old end-of-file byte, and lengths around 14, 255 and 256.
std::string Mutate(std::string input, const std::vector<std::string>& seeds, std::mt19937_64& random) {
    static const std::string_view tokens[] = {"status:", "sent", "SENT", " ", "\t", "\r\n", "\n", "\r",
                                              std::string_view("\0", 1), "\x1a", "# status: sent"};
    const auto below = [&](std::size_t bound) { return bound == 0 ? 0 : random() % bound; };
    for (int changes = 1 + below(4); changes > 0; --changes) {
        const std::size_t at = below(input.size() + 1);
        switch (below(6)) {
        case 0:
            if (!input.empty())
                input[below(input.size())] = static_cast<char>(random());
            break;
        case 1: input.insert(at, tokens[below(std::size(tokens))]); break;
        case 2: input.erase(at, below(16)); break;
        case 3: input.insert(at, below(300), static_cast<char>("x :s"[below(4)])); break;
        case 4: input.resize(below(input.size() + 1)); break;
        default: input.insert(at, seeds[below(seeds.size())].substr(0, below(64))); break;
        }
    }
    return input;
}

// One worker: its own scratch dump and random sequence. Wine serves file calls
// one at a time, and several workers keep it busy while each waits for one.
struct Worker {
    const std::vector<std::string>* seeds;
    DWORD deadline;
    std::uint64_t seed;
    int number;
    unsigned long cases = 0;
};

LONG reported = 0;  // the first broken promise is the one told

DWORD WINAPI Work(LPVOID context) {
    Worker& worker = *static_cast<Worker*>(context);
    const int number = worker.number;
    DumpPath scratchDump{};
    GetTempPathA(static_cast<DWORD>(scratchDump.size()), scratchDump.data());
    std::snprintf(scratchDump.data() + std::strlen(scratchDump.data()), 64, "yorv-fuzz-%lu-%d-yorv_crash_dump.txt",
                  GetCurrentProcessId(), number);
    const std::vector<std::string>& seeds = *worker.seeds;
    std::mt19937_64 random(worker.seed + static_cast<std::uint64_t>(number));
    const std::size_t seedCases = number == 0 ? seeds.size() : 0;  // the first worker takes the seeds as they are
    const auto timeLeft = [&] { return static_cast<LONG>(GetTickCount() - worker.deadline) < 0; };
    for (std::size_t next = 0; next < seedCases || timeLeft(); ++next, ++worker.cases) {
        const std::string input = next < seedCases ? seeds[next] : Mutate(seeds[random() % seeds.size()], seeds, random);
        if (const char* broken = BrokenDumpProperty(input, scratchDump)) {
            if (InterlockedExchange(&reported, 1) != 0)
                Sleep(INFINITE);  // another worker is telling its own
            std::printf("broken: %s (the input is in broken-input)\n", broken);
            if (std::FILE* saved = std::fopen("broken-input", "wb")) {
                std::fwrite(input.data(), 1, input.size(), saved);
                std::fclose(saved);
            }
            std::fflush(stdout);
            ExitProcess(1);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    std::vector<std::string> seeds = ReadSeeds(argv[1]);
    if (seeds.empty())
        seeds.emplace_back();
    const DWORD deadline = GetTickCount() + std::strtoul(argv[2], nullptr, 10) * 1000;
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : GetTickCount();
    constexpr int WorkerCount = 8;
    Worker workers[WorkerCount];
    HANDLE threads[WorkerCount];
    for (int number = 0; number < WorkerCount; ++number) {
        workers[number] = {.seeds = &seeds, .deadline = deadline, .seed = seed, .number = number};
        threads[number] = CreateThread(nullptr, 0, Work, &workers[number], 0, nullptr);
    }
    WaitForMultipleObjects(WorkerCount, threads, TRUE, INFINITE);
    unsigned long cases = 0;
    for (const Worker& worker : workers)
        cases += worker.cases;
    std::printf("%lu cases, none broken\n", cases);
    return 0;
}
