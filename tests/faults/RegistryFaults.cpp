// RegistryFaults.cpp: the registry fault check, one program run by CTest. The driver starts copies of
// itself as helper processes (see RegistryFaults.h) and checks the settings file after each fault:
// kill -9 at random moments of a save, every file call of a save failing in turn (through the
// preloaded fault library), two processes saving the same file, a full disk and a read-only folder.
// It prints each check's counts and time; the kills stop at a time limit so that CI stays bounded.
// Usage: kestrova-registry-faults --shim LIBRARY [--kills N] [--seconds S]
#include "RegistryFaults.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Kills land up to this long after the helper has loaded the file: a few saves' time.
constexpr int MaxKillDelayMicroseconds = 12000;
// A save waits this long for a lock another process keeps (the registry's patience is ten seconds).
constexpr double MinLockWaitSeconds = 9.5;
constexpr double MaxLockWaitSeconds = 20;

struct Options {
    std::string Self;
    std::string Shim;
    int Kills = 1000;
    double Seconds = 60;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Starts this program as a helper with args; *output (when asked) reads the helper's stdout.
pid_t StartHelper(const Options& options, std::vector<std::string> args, int* output, bool preload = false) {
    int pipeFds[2] = {-1, -1};
    if (output != nullptr && pipe(pipeFds) != 0) return -1;
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (output != nullptr) dup2(pipeFds[1], STDOUT_FILENO), close(pipeFds[0]), close(pipeFds[1]);
        if (preload) setenv("LD_PRELOAD", options.Shim.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(options.Self.c_str())};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(options.Self.c_str(), argv.data());
        _exit(127);
    }
    if (output != nullptr) close(pipeFds[1]), *output = pipeFds[0];
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool SeedGeneration(const std::string& file, DWORD g) {
    PlatformResetRegistry(file.c_str());
    HKEY key = nullptr;
    faults::WriteGeneration(g, &key);
    bool ok = RegCloseKey(key) == ERROR_SUCCESS;
    PlatformResetRegistry(file.c_str());
    return ok;
}

bool CheckKills(const Options& options, const std::string& folder) {
    auto start = Clock::now();
    const std::string file = folder + "/kill/registry.reg";
    std::filesystem::create_directories(folder + "/kill");
    if (!SeedGeneration(file, 1))
        return std::fprintf(stderr, "kill -9: cannot seed %s\n", file.c_str()), false;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, MaxKillDelayMicroseconds);
    long long last = 1;
    int kills = 0, midWrite = 0, advanced = 0;
    for (; kills < options.Kills && SecondsSince(start) < options.Seconds; ++kills) {
        int output = -1;
        pid_t pid = StartHelper(options, {"--save-loop", file}, &output);
        char ready = 0;
        bool started = read(output, &ready, 1) == 1;
        close(output);
        if (started) usleep(useconds_t(delay(random)));
        kill(pid, SIGKILL);
        int status = Wait(pid);
        if (!started) return std::fprintf(stderr, "kill -9: the helper stopped (status %d)\n", status), false;
        midWrite += faults::CountTemps(file) > 0;
        if (faults::CountTemps(file) > 1)
            return std::fprintf(stderr, "kill -9: temporary files pile up\n"), false;
        std::string why;
        long long g = faults::FileGeneration(file, &why);
        if (g < last) {
            std::fprintf(stderr, "kill -9: after kill %d the file is %s (generation %lld, was %lld)\n",
                         kills + 1, g < 0 ? why.c_str() : "older", g, last);
            return false;
        }
        advanced += g > last;
        last = g;
    }
    std::printf("registry faults: kill -9: %d kills of %d in %.1f s; the file was whole every time, old or "
                "new (%d saves "
                "completed, %d kills left a half-written temporary file, removed at the next save)\n",
                kills, options.Kills, SecondsSince(start), int(last - 1), midWrite);
    return kills > 0 && advanced > 0;
}

bool CheckInjected(const Options& options, const std::string& folder) {
    auto start = Clock::now();
    std::filesystem::create_directories(folder + "/inject");
    const std::string file = folder + "/inject/registry.reg";
    int status = Wait(StartHelper(options, {"--inject", file}, nullptr, true));
    std::printf("registry faults: injected failures: %s in %.1f s\n", status == 0 ? "passed" : "FAILED",
                SecondsSince(start));
    return status == 0;
}

bool CheckTwoWriters(const Options& options, const std::string& folder) {
    auto start = Clock::now();
    std::filesystem::create_directories(folder + "/writers");
    const std::string file = folder + "/writers/registry.reg";
    if (!SeedGeneration(file, 1)) return false;
    pid_t a = StartHelper(options, {"--count", file, "CountA", "500"}, nullptr);
    pid_t b = StartHelper(options, {"--count", file, "CountB", "500"}, nullptr);
    int statusA = Wait(a), statusB = Wait(b);
    long long countA = faults::FileDword(file, u"CountA"), countB = faults::FileDword(file, u"CountB");
    long long shared = faults::FileDword(file, faults::SharedCount);
    std::string why;
    long long g = faults::FileGeneration(file, &why);
    std::printf("registry faults: two writers: 500 + 500 increments of a value each end at %lld + %lld, and "
                "of one shared "
                "value at %lld; values of neither lost (%s) in %.1f s\n",
                countA, countB, shared, g == 1 ? "older values kept" : why.c_str(), SecondsSince(start));
    return statusA == 0 && statusB == 0 && countA == 500 && countB == 500 && shared == 1000 && g == 1;
}

// A process that keeps a key open for writing holds the file's lock; another one's save waits for it
// a bounded time, then goes ahead (said on stderr) instead of hanging.
bool CheckHeldLock(const Options& options, const std::string& folder) {
    auto start = Clock::now();
    std::filesystem::create_directories(folder + "/held");
    const std::string file = folder + "/held/registry.reg";
    if (!SeedGeneration(file, 1)) return false;
    int output = -1;
    pid_t holder = StartHelper(options, {"--hold", file}, &output);
    char ready = 0;
    bool started = read(output, &ready, 1) == 1;
    close(output);
    auto saving = Clock::now();
    PlatformResetRegistry(file.c_str());
    HKEY key = nullptr;
    LONG status = started ? faults::WriteGeneration(2, &key) : ERROR_INVALID_HANDLE;
    if (status == ERROR_SUCCESS) status = RegCloseKey(key);
    double waited = SecondsSince(saving);
    kill(holder, SIGKILL);
    Wait(holder);
    std::string why;
    long long g = faults::FileGeneration(file, &why);
    PlatformResetRegistry(file.c_str());
    std::printf("registry faults: a key held open for writing by another process: the save waited %.1f s, "
                "then %s (%s) in "
                "%.1f s\n",
                waited, status == ERROR_SUCCESS ? "went ahead" : "FAILED",
                g == 2 ? "file whole" : why.c_str(), SecondsSince(start));
    return started && status == ERROR_SUCCESS && g == 2 && waited >= MinLockWaitSeconds &&
           waited <= MaxLockWaitSeconds;
}

bool CheckFullDisk(const Options& options, const std::string& folder) {
    auto start = Clock::now();
    int status = Wait(StartHelper(options, {"--full-disk", folder}, nullptr));
    std::printf("registry faults: full disk and read-only folder: %s in %.1f s\n",
                status == 0                 ? "passed"
                : status == faults::Skipped ? "skipped"
                                            : "FAILED",
                SecondsSince(start));
    return status == 0 || status == faults::Skipped;
}

int RunHelper(int argc, char** argv) {
    std::string mode = argv[1];
    if (mode == "--save-loop" && argc == 3) return faults::SaveLoop(argv[2]);
    if (mode == "--inject" && argc == 3) return faults::Inject(argv[2]);
    if (mode == "--full-disk" && argc == 3) return faults::FullDisk(argv[2]);
    if (mode == "--hold" && argc == 3) return faults::Hold(argv[2]);
    if (mode == "--count" && argc == 5) {
        std::string name = argv[3];
        return faults::Count(argv[2], std::u16string(name.begin(), name.end()), std::atoi(argv[4]));
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--shim") != 0)
        return RunHelper(argc, argv);
    Options options;
    options.Self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        if (name == "--shim")
            options.Shim = argv[i + 1];
        else if (name == "--kills")
            options.Kills = std::atoi(argv[i + 1]);
        else if (name == "--seconds")
            options.Seconds = std::atof(argv[i + 1]);
        else
            return std::fprintf(stderr, "registry faults: unknown argument %s\n", argv[i]), 2;
    }
    if (options.Shim.empty())
        return std::fprintf(stderr, "usage: %s --shim LIBRARY [--kills N] [--seconds S]\n", argv[0]), 2;
    std::string folder = (std::filesystem::temp_directory_path() / "kestrova-faults-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) return std::perror("mkdtemp"), 1;
    auto start = Clock::now();
    bool ok = CheckKills(options, folder);
    ok = CheckInjected(options, folder) && ok;
    ok = CheckTwoWriters(options, folder) && ok;
    ok = CheckHeldLock(options, folder) && ok;
    ok = CheckFullDisk(options, folder) && ok;
    std::printf("registry faults: %s, %.1f s in all\n", ok ? "passed" : "FAILED", SecondsSince(start));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return ok ? 0 : 1;
}
