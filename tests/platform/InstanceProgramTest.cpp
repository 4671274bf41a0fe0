// InstanceProgramTest.cpp: one window for two copies of a program started at the same moment, and a
// copy killed with -9 leaving nothing that keeps the next one from its window. The copies are the
// demo program, headless, sharing a settings file of the test's own (copies with other settings
// files are programs of their own).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Starts the demo headless with a script; its standard output goes to a pipe the caller reads.
pid_t StartDemo(const std::string& registry, const std::string& script, int* output) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        setenv("KESTROVA_REGISTRY", registry.c_str(), 1);
        execl(KESTROVA_WINDEMO, KESTROVA_WINDEMO, "--headless", "-e", script.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    *output = fds[0];
    return pid;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(n));
    close(fd);
    return text;
}

bool HasWindow(const std::string& state) {
    return state.find("\"Text\":\"Windows demo\"") != std::string::npos;
}

std::string TempRegistry(const char* name) {
    return testing::TempDir() + name + std::to_string(getpid()) + ".reg";
}

} // namespace

TEST(InstanceProgram, TwoHundredPairsStartedTogetherMakeOneWindowEachTime) {
    std::string registry = TempRegistry("pairs-");
    int single = 0;
    for (int pair = 0; pair < 200; ++pair) {
        int a = -1, b = -1;
        pid_t first = StartDemo(registry, "sleep 60; state; quit", &a);
        pid_t second = StartDemo(registry, "sleep 60; state; quit", &b);
        ASSERT_GT(first, 0);
        ASSERT_GT(second, 0);
        std::string outA = ReadAll(a), outB = ReadAll(b);
        waitpid(first, nullptr, 0);
        waitpid(second, nullptr, 0);
        single += HasWindow(outA) != HasWindow(outB);
    }
    std::printf("pairs with exactly one window: %d of 200\n", single);
    EXPECT_EQ(single, 200);
    std::remove(registry.c_str());
}

TEST(InstanceProgram, ACopyKilledWithNineLeavesTheNextOneItsWindowAtOnce) {
    std::string registry = TempRegistry("killed-");
    int a = -1, b = -1;
    pid_t first = StartDemo(registry, "sleep 10000; quit", &a);
    ASSERT_GT(first, 0);
    usleep(300 * 1000); // the first copy has its window and sleeps
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    close(a);
    auto start = std::chrono::steady_clock::now();
    pid_t next = StartDemo(registry, "state; quit", &b);
    std::string out = ReadAll(b);
    waitpid(next, nullptr, 0);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(HasWindow(out)) << out;
    EXPECT_LT(seconds, 1.0);
    std::remove(registry.c_str());
}
