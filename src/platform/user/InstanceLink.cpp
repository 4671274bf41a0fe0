// InstanceLink.cpp: the abstract-socket link between copies of the program (see InstanceLink.h).
// Sockets are SOCK_SEQPACKET, so a request arrives whole or not at all and its length is known;
// every descriptor is close-on-exec, so a program started from here never holds a name. The server
// record is freed by InstanceLinkClose, or by the outermost InstanceLinkServe when it was closed
// from inside a handler.
#include "platform/user/InstanceLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

struct InstanceLinkServer {
    int Fd;
    int Depth;    // InstanceLinkServe calls under way (a handler's modal loop nests them)
    bool Closing; // closed from inside a handler: freed when the outermost serve returns
};

static constexpr uint32_t RequestMagic = 0x3151'4C4B; // "KLQ1"
static constexpr uint32_t ReplyMagic = 0x3141'4C4B;   // "KLA1"
// Connections answered per InstanceLinkServe, so a flood cannot keep the message loop away.
static constexpr int MaxAnswersPerServe = 32;
static constexpr int ListenBacklog = 16;
// A listener whose queue is full is tried again after this pause, until the caller's timeout.
static constexpr int ConnectRetryMs = 2;

static void PutLe(uint8_t* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        out[i] = uint8_t(value >> (8 * i));
}

static uint64_t GetLe(const uint8_t* in, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; i++)
        value |= uint64_t(in[i]) << (8 * i);
    return value;
}

void InstanceLinkEncodeRequest(const InstanceLinkRequest& request, uint8_t out[InstanceLinkRequestBytes]) {
    PutLe(out, RequestMagic, 4);
    PutLe(out + 4, request.Kind, 4);
    PutLe(out + 8, request.Message, 4);
    PutLe(out + 12, uint64_t(request.WParam), 8);
    PutLe(out + 20, uint64_t(request.LParam), 8);
}

bool InstanceLinkDecodeRequest(const uint8_t* bytes, size_t size, InstanceLinkRequest* request) {
    if (!bytes || size != InstanceLinkRequestBytes || GetLe(bytes, 4) != RequestMagic) return false;
    uint32_t kind = uint32_t(GetLe(bytes + 4, 4));
    if (kind < InstanceLinkPing || kind > InstanceLinkForegroundState) return false;
    request->Kind = kind;
    request->Message = UINT(GetLe(bytes + 8, 4));
    request->WParam = WPARAM(GetLe(bytes + 12, 8));
    request->LParam = LPARAM(GetLe(bytes + 20, 8));
    return true;
}

void InstanceLinkEncodeReply(LRESULT result, uint8_t out[InstanceLinkReplyBytes]) {
    PutLe(out, ReplyMagic, 4);
    PutLe(out + 4, uint64_t(result), 8);
}

bool InstanceLinkDecodeReply(const uint8_t* bytes, size_t size, LRESULT* result) {
    if (!bytes || size != InstanceLinkReplyBytes || GetLe(bytes, 4) != ReplyMagic) return false;
    *result = LRESULT(GetLe(bytes + 4, 8));
    return true;
}

// FNV-1a over UTF-16 units, two bytes each.
static uint64_t HashUnit(uint64_t hash, WCHAR unit) {
    hash = (hash ^ (unit & 0xFF)) * 0x100000001B3ull;
    return (hash ^ (unit >> 8)) * 0x100000001B3ull;
}

// The abstract address for this user's window (className, windowName). Both names go through one
// hash with ASCII letters folded to lower case, and a zero unit (which neither name can hold)
// between them, so no two pairs of names give the same stream.
static bool LinkAddress(const WCHAR* className, const WCHAR* windowName, sockaddr_un* address,
                        socklen_t* length) {
    if (!className) return false;
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const WCHAR* names[2] = {className, windowName}; const WCHAR* name : names) {
        for (; name && *name; name++)
            hash = HashUnit(hash, (*name >= u'A' && *name <= u'Z') ? WCHAR(*name + 32) : *name);
        hash = HashUnit(hash, 0);
    }
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    // sun_path[0] stays 0: the name lives in the abstract namespace, not in any folder.
    int n = std::snprintf(address->sun_path + 1, sizeof address->sun_path - 1, "kestrova-window/%u/%016llx",
                          unsigned(geteuid()), (unsigned long long)hash);
    *length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(n));
    return true;
}

static bool PeerIsSameUser(int fd, bool refuseSelf) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer) return false;
    if (peer.uid != geteuid()) return false;
    return !(refuseSelf && peer.pid == getpid());
}

static int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Milliseconds left before deadline for poll: -1 without a deadline, 0 once it has passed.
static int MsLeft(int64_t deadline) {
    if (deadline < 0) return -1;
    int64_t left = deadline - NowMs();
    return left <= 0 ? 0 : int(left > 1000000 ? 1000000 : left);
}

// Waits until fd is ready for events or deadline passes; a signal does not end the wait, but
// giveUp (when not null), asked after a signal and every InstanceLinkGiveUpCheckMs, does.
static bool WaitFor(int fd, short events, int64_t deadline, bool (*giveUp)() = nullptr) {
    for (;;) {
        int left = MsLeft(deadline);
        bool sliced = giveUp && (left < 0 || left > InstanceLinkGiveUpCheckMs);
        pollfd entry{fd, events, 0};
        int ready = poll(&entry, 1, sliced ? InstanceLinkGiveUpCheckMs : left);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (ready == 0 && !sliced) return false;
        if (giveUp && giveUp()) return false;
    }
}

// Receives one packet of exactly `expected` bytes; a longer packet is reported by its full size.
static bool ReceivePacket(int fd, uint8_t* buffer, size_t expected, int64_t deadline,
                          bool (*giveUp)() = nullptr) {
    if (!WaitFor(fd, POLLIN, deadline, giveUp)) return false;
    ssize_t n;
    do
        n = recv(fd, buffer, expected, MSG_DONTWAIT | MSG_TRUNC);
    while (n < 0 && errno == EINTR);
    return n == ssize_t(expected);
}

static bool SendPacket(int fd, const uint8_t* bytes, size_t size, int64_t deadline) {
    for (;;) {
        ssize_t n = send(fd, bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n == ssize_t(size)) return true;
        if (n >= 0 || (errno != EINTR && errno != EAGAIN)) return false;
        if (errno == EAGAIN && !WaitFor(fd, POLLOUT, deadline)) return false;
    }
}

InstanceLinkServer* InstanceLinkListen(const WCHAR* className, const WCHAR* windowName, bool* busy) {
    *busy = false;
    sockaddr_un address;
    socklen_t length;
    if (!LinkAddress(className, windowName, &address, &length)) return nullptr;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        *busy = errno == EADDRINUSE;
        close(fd);
        return nullptr;
    }
    if (listen(fd, ListenBacklog) != 0) {
        close(fd);
        return nullptr;
    }
    return new InstanceLinkServer{fd, 0, false};
}

int InstanceLinkServerFd(const InstanceLinkServer* server) {
    return server && !server->Closing ? server->Fd : -1;
}

// Reads, checks and answers one accepted connection, then closes it. A peer whose packet has not
// come by deadline is dropped.
static void AnswerPeer(int fd, int64_t deadline, LRESULT (*handler)(const InstanceLinkRequest&, void*),
                       void* context) {
    uint8_t packet[InstanceLinkRequestBytes];
    InstanceLinkRequest request;
    if (PeerIsSameUser(fd, false) && ReceivePacket(fd, packet, sizeof packet, deadline) &&
        InstanceLinkDecodeRequest(packet, sizeof packet, &request)) {
        LRESULT result = request.Kind == InstanceLinkPing ? 1 : handler(request, context);
        uint8_t reply[InstanceLinkReplyBytes];
        InstanceLinkEncodeReply(result, reply);
        // The peer may have given up; a reply that cannot leave at once is dropped with the socket.
        SendPacket(fd, reply, sizeof reply, NowMs());
    }
    close(fd);
}

void InstanceLinkServe(InstanceLinkServer* server,
                       LRESULT (*handler)(const InstanceLinkRequest&, void* context), void* context) {
    if (!server || !handler) return;
    server->Depth++;
    // One wait for all the peers of this call: a row of silent ones costs no more than one.
    int64_t peerDeadline = NowMs() + InstanceLinkPeerWaitMs;
    for (int answered = 0; answered < MaxAnswersPerServe && !server->Closing; answered++) {
        int fd = accept4(server->Fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            break; // EAGAIN: nobody else waits
        }
        AnswerPeer(fd, peerDeadline, handler, context);
    }
    if (--server->Depth == 0 && server->Closing) delete server;
}

void InstanceLinkClose(InstanceLinkServer* server) {
    if (!server || server->Closing) return;
    close(server->Fd);
    server->Fd = -1;
    if (server->Depth > 0)
        server->Closing = true;
    else
        delete server;
}

// Connects to the listener at address, retrying while its queue is full. False when nobody listens.
static bool ConnectLink(int fd, const sockaddr_un& address, socklen_t length, int64_t deadline) {
    for (;;) {
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EAGAIN || MsLeft(deadline) == 0) return false;
        timespec pause{0, ConnectRetryMs * 1000000L};
        nanosleep(&pause, nullptr);
    }
}

bool InstanceLinkCall(const WCHAR* className, const WCHAR* windowName, const InstanceLinkRequest& request,
                      LRESULT* result, int timeoutMs, bool (*giveUp)()) {
    sockaddr_un address;
    socklen_t length;
    if (!LinkAddress(className, windowName, &address, &length)) return false;
    int64_t deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool answered = false;
    LRESULT value = 0;
    if (ConnectLink(fd, address, length, deadline) && PeerIsSameUser(fd, true)) {
        if (request.Kind == InstanceLinkPing) {
            // A live listener of this user accepted the connection: that is the whole answer.
            answered = true;
            value = 1;
        } else {
            uint8_t packet[InstanceLinkRequestBytes];
            uint8_t reply[InstanceLinkReplyBytes];
            InstanceLinkEncodeRequest(request, packet);
            answered = SendPacket(fd, packet, sizeof packet, deadline) &&
                       ReceivePacket(fd, reply, sizeof reply, deadline, giveUp) &&
                       InstanceLinkDecodeReply(reply, sizeof reply, &value);
        }
    }
    close(fd);
    if (answered && result) *result = value;
    return answered;
}
