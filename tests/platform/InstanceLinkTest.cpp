// The link between copies of the program: round trips with a forked copy, peers that misbehave,
// the name held once, a copy killed with SIGKILL, nested serving, peers of another user, and many
// pairs of copies racing for one name. Names carry this process's id, so test runs of the same
// user in parallel never meet.
#include "platform/user/InstanceLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

static constexpr UINT SlowMessage = 0x8001; // the forked server sleeps WParam ms, then answers 7
static constexpr const WCHAR* TestClass = u"KestrovaLinkTest";

static std::u16string UniqueName(const char* what) {
    static int counter = 0;
    std::string name = std::string(what) + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    return std::u16string(name.begin(), name.end());
}

static LRESULT AnswerForTests(const InstanceLinkRequest& request, void*) {
    if (request.Kind == InstanceLinkForegroundState) return InstanceLinkOwnedInFront;
    if (request.Kind == InstanceLinkSetForeground) return 1;
    if (request.Message == SlowMessage) {
        std::this_thread::sleep_for(std::chrono::milliseconds(request.WParam));
        return 7;
    }
    return LRESULT(request.Message + request.WParam) + request.LParam;
}

// Runs in a forked child: serves until `stop` is readable (or closed), or forever when stop < 0.
static void ServeUntil(InstanceLinkServer* server, int stop) {
    for (;;) {
        pollfd fds[2] = {{InstanceLinkServerFd(server), POLLIN, 0}, {stop, POLLIN, 0}};
        if (poll(fds, stop < 0 ? 1 : 2, 1000) < 0 && errno != EINTR) _exit(3);
        if (fds[1].revents) return;
        if (fds[0].revents) InstanceLinkServe(server, AnswerForTests, nullptr);
    }
}

// A child process listening on name and serving until killed; its id, once it listens.
static pid_t ForkServer(const std::u16string& name) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        bool busy = false;
        InstanceLinkServer* server = InstanceLinkListen(TestClass, name.c_str(), &busy);
        char state = server ? 'L' : 'F';
        if (write(ready[1], &state, 1) != 1 || !server) _exit(2);
        ServeUntil(server, -1);
        _exit(0);
    }
    close(ready[1]);
    char state = 0;
    bool listening = read(ready[0], &state, 1) == 1 && state == 'L';
    close(ready[0]);
    return listening ? pid : -1;
}

static void KillAndReap(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

static bool Call(const std::u16string& name, uint32_t kind, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT* result, int timeoutMs = InstanceLinkShortTimeoutMs) {
    return InstanceLinkCall(TestClass, name.c_str(), InstanceLinkRequest{kind, message, wParam, lParam},
                            result, timeoutMs);
}

static int64_t ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since)
        .count();
}

TEST(InstanceLink, RoundTripsWithAnotherProcess) {
    std::u16string name = UniqueName("RoundTrip");
    pid_t server = ForkServer(name);
    ASSERT_GT(server, 0);
    LRESULT result = 0;
    EXPECT_TRUE(
        InstanceLinkCall(u"KESTROVALINKTEST", name.c_str(), {InstanceLinkPing, 0, 0, 0}, &result, 100));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Call(name, InstanceLinkSendMessage, 0x0111, 119, -5, &result, InstanceLinkWaitForever));
    EXPECT_EQ(result, 0x0111 + 119 - 5);
    EXPECT_TRUE(Call(name, InstanceLinkSendMessage, 1, WPARAM(1) << 40, 0, &result));
    EXPECT_EQ(result, (LRESULT(1) << 40) + 1);
    EXPECT_TRUE(Call(name, InstanceLinkForegroundState, 0, 0, 0, &result));
    EXPECT_EQ(result, InstanceLinkOwnedInFront);
    EXPECT_TRUE(Call(name, InstanceLinkSetForeground, 0, 0, 0, &result));
    EXPECT_EQ(result, 1);
    // Another window name is another window: nobody answers, and at once.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Call(name + u"x", InstanceLinkPing, 0, 0, 0, &result));
    EXPECT_LT(ElapsedMs(start), 500);

    // A sent message waits for a slow handler (a modal dialog on the other side) without limit...
    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Call(name, InstanceLinkSendMessage, SlowMessage, 400, 0, &result, InstanceLinkWaitForever));
    EXPECT_EQ(result, 7);
    EXPECT_GE(ElapsedMs(start), 400);
    // ...and a caller that gives up does not hurt the server, whose late reply finds nobody.
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Call(name, InstanceLinkSendMessage, SlowMessage, 400, 0, &result, 50));
    EXPECT_LT(ElapsedMs(start), 300);
    EXPECT_TRUE(Call(name, InstanceLinkSendMessage, 2, 3, 4, &result));
    EXPECT_EQ(result, 9);
    KillAndReap(server);
}

static int GiveUpAsks = 0;
static bool GiveUpOnTheThirdAsk() {
    return ++GiveUpAsks >= 3;
}

// A wait without limit still ends when the program is asked to end: the caller's giveUp is asked
// every InstanceLinkGiveUpCheckMs, and the server, whose reply then finds nobody, goes on serving.
TEST(InstanceLink, AWaitWithoutLimitEndsWhenTheCallerGivesUp) {
    std::u16string name = UniqueName("GiveUp");
    pid_t server = ForkServer(name);
    ASSERT_GT(server, 0);
    LRESULT result = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(InstanceLinkCall(TestClass, name.c_str(), {InstanceLinkSendMessage, SlowMessage, 1000, 0},
                                  &result, InstanceLinkWaitForever, GiveUpOnTheThirdAsk));
    EXPECT_EQ(GiveUpAsks, 3);
    EXPECT_GE(ElapsedMs(start), 2 * InstanceLinkGiveUpCheckMs);
    EXPECT_LT(ElapsedMs(start), 2000);
    // A caller that never gives up, with a quick handler, is answered as before.
    GiveUpAsks = -1000;
    EXPECT_TRUE(InstanceLinkCall(TestClass, name.c_str(), {InstanceLinkSendMessage, 2, 3, 4}, &result,
                                 InstanceLinkWaitForever, GiveUpOnTheThirdAsk));
    EXPECT_EQ(result, 9);
    KillAndReap(server);
}

// A raw client of the in-process server at its bound address; -1 on failure.
static int ConnectRaw(InstanceLinkServer* server) {
    sockaddr_un address{};
    socklen_t length = sizeof address;
    if (getsockname(InstanceLinkServerFd(server), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

static int SendRaw(InstanceLinkServer* server, const void* bytes, size_t size) {
    int fd = ConnectRaw(server);
    if (fd >= 0 && size) {
        EXPECT_EQ(send(fd, bytes, size, MSG_NOSIGNAL), ssize_t(size));
    }
    return fd;
}

static int SendRequest(InstanceLinkServer* server, const InstanceLinkRequest& request) {
    uint8_t packet[InstanceLinkRequestBytes];
    InstanceLinkEncodeRequest(request, packet);
    return SendRaw(server, packet, sizeof packet);
}

// The reply waiting on fd: its result, or -1 when the server closed the connection unanswered.
static LRESULT ReadReply(int fd) {
    uint8_t reply[64];
    ssize_t n = recv(fd, reply, sizeof reply, MSG_DONTWAIT);
    LRESULT result = -1;
    if (n > 0) {
        EXPECT_TRUE(InstanceLinkDecodeReply(reply, size_t(n), &result));
    }
    close(fd);
    return result;
}

static LRESULT CountCalls(const InstanceLinkRequest& request, void* context) {
    ++*static_cast<int*>(context);
    return AnswerForTests(request, nullptr);
}

TEST(InstanceLink, DropsMalformedAndSilentPeersWithoutStalling) {
    std::u16string name = UniqueName("Garbage");
    bool busy = true;
    InstanceLinkServer* server = InstanceLinkListen(TestClass, name.c_str(), &busy);
    ASSERT_NE(server, nullptr);
    uint8_t packet[InstanceLinkRequestBytes];
    InstanceLinkEncodeRequest({InstanceLinkSendMessage, 1, 2, 3}, packet);
    std::string wrongMagic(reinterpret_cast<char*>(packet), sizeof packet);
    wrongMagic[0] ^= 1;
    std::string badKind(reinterpret_cast<char*>(packet), sizeof packet);
    badKind[4] = 99;
    std::string huge(4096, '\xAB');
    std::memcpy(huge.data(), packet, sizeof packet);
    int dropped[] = {SendRaw(server, "junk!", 5),
                     SendRaw(server, wrongMagic.data(), wrongMagic.size()),
                     SendRaw(server, badKind.data(), badKind.size()),
                     SendRaw(server, huge.data(), huge.size()),
                     SendRaw(server, packet, 0) /* silent */,
                     SendRaw(server, packet, 0),
                     SendRaw(server, packet, 0)};
    int hungUp = ConnectRaw(server);
    close(hungUp);
    int leaver = SendRequest(server, {InstanceLinkSendMessage, 5, 0, 0});
    shutdown(leaver, SHUT_RDWR); // sent, then gone before the reply: no SIGPIPE for the server
    close(leaver);
    int good = SendRequest(server, {InstanceLinkSendMessage, 10, 20, 30});

    int calls = 0;
    auto start = std::chrono::steady_clock::now();
    InstanceLinkServe(server, CountCalls, &calls);
    EXPECT_LT(ElapsedMs(start), 2 * InstanceLinkPeerWaitMs); // three silent peers: one wait
    EXPECT_EQ(calls, 2);
    for (int fd : dropped)
        EXPECT_EQ(ReadReply(fd), -1);
    EXPECT_EQ(ReadReply(good), 60);
    InstanceLinkServe(server, CountCalls, &calls); // nothing left: returns at once
    EXPECT_EQ(calls, 2);
    InstanceLinkClose(server);
}

TEST(InstanceLink, HoldsANameOnceIgnoringCaseAndFreesItOnClose) {
    std::u16string name = UniqueName("Busy");
    std::u16string upper = name;
    for (auto& unit : upper)
        if (unit >= u'a' && unit <= u'z') unit = char16_t(unit - 32);
    bool busy = true;
    InstanceLinkServer* first = InstanceLinkListen(TestClass, name.c_str(), &busy);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(busy);
    EXPECT_EQ(InstanceLinkListen(u"kestrovalinktest", upper.c_str(), &busy), nullptr);
    EXPECT_TRUE(busy);
    InstanceLinkServer* other = InstanceLinkListen(TestClass, (name + u"2").c_str(), &busy);
    EXPECT_NE(other, nullptr);
    EXPECT_EQ(InstanceLinkListen(nullptr, name.c_str(), &busy), nullptr);
    EXPECT_FALSE(busy);
    // This process's own listener is never called through the link: it could not answer itself.
    LRESULT result = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Call(name, InstanceLinkSendMessage, 1, 0, 0, &result, InstanceLinkWaitForever));
    EXPECT_LT(ElapsedMs(start), 500);
    InstanceLinkClose(first);
    InstanceLinkClose(other);
    InstanceLinkServer* again = InstanceLinkListen(TestClass, name.c_str(), &busy);
    EXPECT_NE(again, nullptr);
    InstanceLinkClose(again);
}

TEST(InstanceLink, ACopyKilledWithSigkillLeavesTheNameFree) {
    std::u16string name = UniqueName("Killed");
    pid_t server = ForkServer(name);
    ASSERT_GT(server, 0);
    bool busy = false;
    EXPECT_EQ(InstanceLinkListen(TestClass, name.c_str(), &busy), nullptr);
    EXPECT_TRUE(busy);
    LRESULT result = 0;
    EXPECT_TRUE(Call(name, InstanceLinkPing, 0, 0, 0, &result));
    KillAndReap(server);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Call(name, InstanceLinkPing, 0, 0, 0, &result));
    InstanceLinkServer* next = InstanceLinkListen(TestClass, name.c_str(), &busy);
    EXPECT_NE(next, nullptr);
    EXPECT_LT(ElapsedMs(start), 100);
    InstanceLinkClose(next);
}

struct NestedServe {
    InstanceLinkServer* Server;
    int Calls;
};

// The first request runs a "modal loop" that serves the next one, then closes the server.
static LRESULT ServeNestedThenClose(const InstanceLinkRequest& request, void* context) {
    auto* nested = static_cast<NestedServe*>(context);
    if (nested->Calls++ == 0) {
        InstanceLinkServe(nested->Server, ServeNestedThenClose, context);
        InstanceLinkClose(nested->Server);
    }
    return request.Message;
}

TEST(InstanceLink, AHandlerMayServeAgainAndCloseItsServer) {
    std::u16string name = UniqueName("Nested");
    bool busy = false;
    NestedServe nested{InstanceLinkListen(TestClass, name.c_str(), &busy), 0};
    ASSERT_NE(nested.Server, nullptr);
    int outer = SendRequest(nested.Server, {InstanceLinkSendMessage, 11, 0, 0});
    int inner = SendRequest(nested.Server, {InstanceLinkSendMessage, 22, 0, 0});
    InstanceLinkServe(nested.Server, ServeNestedThenClose, &nested);
    EXPECT_EQ(nested.Calls, 2);
    EXPECT_EQ(ReadReply(inner), 22);
    EXPECT_EQ(ReadReply(outer), 11);
    InstanceLinkServer* again = InstanceLinkListen(TestClass, name.c_str(), &busy);
    EXPECT_NE(again, nullptr);
    InstanceLinkClose(again);
}

TEST(InstanceLink, PeersOfAnotherUserAreNeitherAnsweredNorAsked) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    std::u16string name = UniqueName("Foreign");
    bool busy = false;
    InstanceLinkServer* server = InstanceLinkListen(TestClass, name.c_str(), &busy);
    ASSERT_NE(server, nullptr);
    sockaddr_un address{};
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(InstanceLinkServerFd(server), reinterpret_cast<sockaddr*>(&address), &length), 0);
    uint8_t packet[InstanceLinkRequestBytes];
    InstanceLinkEncodeRequest({InstanceLinkSendMessage, 1, 0, 0}, packet);
    pid_t asker = fork();
    if (asker == 0) { // another user sends a well-formed request: it must get no answer
        int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        if (setresuid(65534, 65534, 65534) != 0 || connect(fd, (sockaddr*)&address, length) != 0) _exit(2);
        uint8_t reply[64];
        send(fd, packet, sizeof packet, MSG_NOSIGNAL); // may find the connection already dropped
        _exit(recv(fd, reply, sizeof reply, 0) > 0 ? 1 : 0);
    }
    int calls = 0;
    pollfd entry{InstanceLinkServerFd(server), POLLIN, 0};
    ASSERT_EQ(poll(&entry, 1, 2000), 1);
    InstanceLinkServe(server, CountCalls, &calls);
    int status = -1;
    waitpid(asker, &status, 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(status, 0); // no reply: the connection ends unanswered
    InstanceLinkClose(server);

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t squatter = fork();
    if (squatter == 0) { // another user holds this user's name: it is not asked anything
        int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        if (setresuid(65534, 65534, 65534) != 0 || bind(fd, (sockaddr*)&address, length) != 0 ||
            listen(fd, 4) != 0)
            _exit(2);
        if (write(ready[1], "R", 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char state = 0;
    EXPECT_EQ(read(ready[0], &state, 1), 1);
    close(ready[0]);
    LRESULT result = 0;
    EXPECT_FALSE(Call(name, InstanceLinkPing, 0, 0, 0, &result));
    EXPECT_FALSE(Call(name, InstanceLinkSendMessage, 1, 0, 0, &result, 200));
    KillAndReap(squatter);
}

// One launch of a pair: waits for `go` to close, races for the name, reports 'L' (listens), 'B' (busy,
// and the listener answered it), 'X' (busy, nobody answered) or 'E' (failed), then a listener serves
// until `stop` closes.
static void Launch(const std::u16string& name, int go, int report, int stop) {
    char byte;
    if (read(go, &byte, 1) < 0) _exit(2);
    bool busy = false;
    InstanceLinkServer* server = InstanceLinkListen(TestClass, name.c_str(), &busy);
    char state = server ? 'L' : busy ? 'X' : 'E';
    // The winner binds a moment before it listens; a connection in between is refused.
    for (int tries = 0; state == 'X' && tries < 100; tries++) {
        LRESULT front = 0;
        if (Call(name, InstanceLinkForegroundState, 0, 0, 0, &front) && front == InstanceLinkOwnedInFront)
            state = 'B';
        else
            usleep(1000);
    }
    if (write(report, &state, 1) != 1) _exit(2);
    if (server) ServeUntil(server, stop);
    _exit(0);
}

// Two copies started at the same moment: one binds the name, the other finds it taken and can reach
// the first. Returns the two reports, sorted.
static std::string RaceOnePair(const std::u16string& name) {
    int go[2], report[2], stop[2];
    if (pipe(go) != 0 || pipe(report) != 0 || pipe(stop) != 0) return "pipe";
    pid_t pids[2];
    for (pid_t& pid : pids) {
        pid = fork();
        if (pid == 0) {
            close(go[1]), close(report[0]), close(stop[1]);
            Launch(name, go[0], report[1], stop[0]);
        }
    }
    close(go[0]), close(report[1]), close(stop[0]);
    close(go[1]); // both start now
    char states[2] = {0, 0};
    for (size_t got = 0; got < 2;) {
        ssize_t n = read(report[0], states + got, 2 - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    close(report[0]);
    close(stop[1]);
    for (pid_t pid : pids)
        waitpid(pid, nullptr, 0);
    std::string result(states, 2);
    std::sort(result.begin(), result.end());
    return result;
}

TEST(InstanceLink, SimultaneousLaunchesEndWithExactlyOneListener) {
    constexpr int Pairs = 200;
    int wrong = 0;
    std::string firstWrong;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Pairs; i++) {
        std::string outcome = RaceOnePair(UniqueName("Race"));
        if (outcome != "BL" && wrong++ == 0) firstWrong = outcome;
    }
    EXPECT_EQ(wrong, 0) << "first wrong outcome: " << firstWrong;
    RecordProperty("PairsPerSecond", int(Pairs * 1000 / std::max<int64_t>(1, ElapsedMs(start))));
}
