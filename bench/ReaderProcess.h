// ReaderProcess.h: what the reader's start-up benchmarks share: a settings file of their own, a
// program started as a child with its standard output on a pipe, the wait for a line it prints, its
// memory as /proc shows it, its end, and the headless start and the spawn baselines measured with
// them. Every child is waited for before a benchmark returns; the
// settings folders are made in /tmp and removed by the program at its end (RemoveSettingsFile).
#pragma once

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using BenchClock = std::chrono::steady_clock;

inline double MillisecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// A settings file with a Hebrew face at 18 pixels already chosen, as after the first start, so that
// no Choose Font dialog opens: the start a person makes every day.
inline std::string ReaderSettingsFile() {
    char pattern[] = "/tmp/kestrova-bench-XXXXXX";
    const char* folder = mkdtemp(pattern);
    std::string path = std::string(folder ? folder : "/tmp") + "/settings.reg";
    std::ofstream(path, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n"
                                             "[HKEY_CURRENT_USER\\Software\\Tellgrove\\Kestrova]\r\n"
                                             "\"FontName\"=\"Frank Ruehl CLM\"\r\n"
                                             "\"FontSize\"=dword:00000012\r\n\r\n";
    return path;
}

// Removes a file ReaderSettingsFile made, with its folder (the reader's saves leave nothing else).
inline void RemoveSettingsFile(const std::string& path) {
    unlink(path.c_str());
    rmdir(path.substr(0, path.rfind('/')).c_str());
}

struct ChildProcess {
    pid_t Pid = -1;
    int Out = -1; // read end of the child's standard output, or -1
    BenchClock::time_point Started, Ended;
    std::string Pending; // output read but not yet matched
};

// Starts args[0] with args (standard input from /dev/null; standard output on a pipe when
// pipeOutput, else /dev/null); Started is taken just before the spawn.
inline bool SpawnChild(const std::vector<std::string>& args, bool pipeOutput, ChildProcess* child) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2] = {-1, -1};
    if (pipeOutput && pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (pipeOutput)
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    child->Started = BenchClock::now();
    int failed = posix_spawn(&child->Pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeOutput) close(fds[1]);
    child->Out = fds[0];
    if (failed != 0) {
        if (child->Out >= 0) close(child->Out);
        child->Out = -1;
        child->Pid = -1;
    }
    return failed == 0;
}

// Reads the child's output until a line equal to text arrives; false at the end of the output or
// after timeoutMs.
inline bool WaitForLine(ChildProcess* child, const std::string& text, int timeoutMs) {
    const BenchClock::time_point until = BenchClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        for (size_t end; (end = child->Pending.find('\n')) != std::string::npos;) {
            bool match = child->Pending.compare(0, end, text) == 0 && end == text.size();
            child->Pending.erase(0, end + 1);
            if (match) return true;
        }
        int left =
            int(std::chrono::duration_cast<std::chrono::milliseconds>(until - BenchClock::now()).count());
        pollfd p{child->Out, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) <= 0) return false;
        char buffer[4096];
        ssize_t n = read(child->Out, buffer, sizeof buffer);
        if (n <= 0) return false;
        child->Pending.append(buffer, size_t(n));
    }
}

// A "VmRSS"-like field of /proc/PID/status in kilobytes, -1 when it cannot be read.
inline long ProcessStatusKb(pid_t pid, const char* field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line, prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) return std::atol(line.c_str() + prefix.size());
    return -1;
}

// Waits for the child's end and closes its pipe; with timeoutMs >= 0 the child is sent SIGTERM after
// that long, then SIGKILL. Returns its exit status (-1 when a signal ended it); Ended is taken as the
// wait returns.
inline int FinishChild(ChildProcess* child, int timeoutMs) {
    if (child->Pid < 0) return -1;
    int status = 0;
    if (timeoutMs < 0) {
        while (waitpid(child->Pid, &status, 0) < 0 && errno == EINTR) {}
    } else {
        const BenchClock::time_point start = BenchClock::now();
        int signalled = 0;
        while (waitpid(child->Pid, &status, WNOHANG) == 0) {
            // SIGTERM first; SIGKILL when that has not ended it within three seconds.
            if (MillisecondsSince(start) > timeoutMs + signalled * 3000 && signalled < 2) {
                kill(child->Pid, signalled == 0 ? SIGTERM : SIGKILL);
                ++signalled;
            }
            usleep(1000);
        }
    }
    child->Ended = BenchClock::now();
    if (child->Out >= 0) close(child->Out);
    child->Out = -1;
    child->Pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a program to its end; its wall time in milliseconds (negative when it failed).
inline double TimeProgram(const std::vector<std::string>& args) {
    ChildProcess child;
    if (!SpawnChild(args, false, &child)) return -1;
    int code = FinishChild(&child, -1);
    double ms = std::chrono::duration<double, std::milli>(child.Ended - child.Started).count();
    return code == 0 ? ms : -1;
}

// From just before the spawn to the first painted article, headless, and the resident memory then.
// The script's first command runs once the program's queue is idle (window made, both texts laid
// out and painted); `clipboard` on the fresh, empty clipboard prints "(empty)" at once. It takes
// the rest of its line, so the next command goes on a line of its own.
inline void MeasureHeadlessStart(benchmark::State& state, const std::string& program,
                                 const std::string& settings) {
    const std::vector<std::string> args = {program,      "--registry", settings,
                                           "--headless", "-e",         "clipboard\nsleep 20"};
    double rss = 0, hwm = 0;
    for (auto _ : state) {
        ChildProcess child;
        if (!SpawnChild(args, true, &child)) return state.SkipWithError("cannot start the reader");
        bool painted = WaitForLine(&child, "(empty)", 10000);
        double ms = MillisecondsSince(child.Started);
        rss += double(ProcessStatusKb(child.Pid, "VmRSS"));
        hwm += double(ProcessStatusKb(child.Pid, "VmHWM"));
        int code = FinishChild(&child, 10000);
        if (!painted || code != 0) return state.SkipWithError("the reader did not paint or did not end");
        state.SetIterationTime(ms / 1e3);
    }
    state.counters["rss_MB"] = rss / 1024 / double(state.iterations());
    state.counters["hwm_MB"] = hwm / 1024 / double(state.iterations());
}

// A baseline: a program run to its end. (Its peak resident size cannot come from wait4's rusage: a
// spawned child keeps the largest size of the process it was spawned from, this benchmark.)
inline void MeasureSpawn(benchmark::State& state, const std::vector<std::string>& args) {
    for (auto _ : state) {
        double ms = TimeProgram(args);
        if (ms < 0) return state.SkipWithError("the program failed");
        state.SetIterationTime(ms / 1e3);
    }
}

// The resident memory of a program that prints and ends, as it writes its first output: its
// standard output is a pipe already full, so the write waits (seen in /proc/PID/syscall) and /proc
// is read then; the pipe is drained afterwards. Not timed.
inline long ResidentAtFirstWrite(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    int flags = fcntl(fds[1], F_GETFL);
    fcntl(fds[1], F_SETFL, flags | O_NONBLOCK);
    char block[4096] = {};
    while (write(fds[1], block, sizeof block) > 0) {}
    fcntl(fds[1], F_SETFL, flags);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    pid_t pid = -1;
    bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    long kb = -1;
    const BenchClock::time_point start = BenchClock::now();
    while (started && MillisecondsSince(start) < 5000) {
        std::ifstream call("/proc/" + std::to_string(pid) + "/syscall");
        long number = -1;
        if (call >> number && number == 1) { // write
            kb = ProcessStatusKb(pid, "VmRSS");
            break;
        }
        usleep(500);
    }
    char drain[65536];
    while (read(fds[0], drain, sizeof drain) > 0) {}
    close(fds[0]);
    int status;
    if (started) waitpid(pid, &status, 0);
    return kb;
}

// The baselines' memory: a small C program and the reader's --version, each as it prints.
inline void MemoryBaselineCounters(benchmark::State& state, const std::string& program) {
    state.counters["echo_rss_MB"] = double(ResidentAtFirstWrite({"/bin/echo", "x"})) / 1024;
    state.counters["version_rss_MB"] = double(ResidentAtFirstWrite({program, "--version"})) / 1024;
}
