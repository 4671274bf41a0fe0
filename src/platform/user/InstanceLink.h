// InstanceLink.h: the link between copies of the program run by the same user. A top-level window
// that wants to be found from other processes listens on an abstract Unix socket named after the
// user id, its class and its window name (both folded to lower case in ASCII, as class and window
// names are compared without case); another copy connects to that name to ask, send or raise.
// Binding the name is the one arbiter: of two copies started at the same moment exactly one binds,
// and the other's window creation fails. Abstract names belong to the socket, not to any file, so
// a copy killed with SIGKILL leaves nothing behind. Peers are checked with SO_PEERCRED: a process
// of another user is neither answered nor asked.
// The server record is owned by the caller of InstanceLinkListen and freed by InstanceLinkClose.
// Every request is one connection: one request packet, one reply packet, then both ends close.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>

// What a request asks of the listening process.
enum InstanceLinkKind : uint32_t {
    InstanceLinkPing = 1,            // is someone there; answered by the link itself with 1
    InstanceLinkSendMessage = 2,     // run Message/WParam/LParam through the window; reply: its LRESULT
    InstanceLinkSetForeground = 3,   // raise the window; reply: nonzero when it was raised
    InstanceLinkForegroundState = 4, // reply: one of the InstanceLinkFront values below
};
// Replies to InstanceLinkForegroundState.
constexpr LRESULT InstanceLinkNotInFront = 0;    // another program is in front
constexpr LRESULT InstanceLinkWindowInFront = 1; // the named window itself is in front
constexpr LRESULT InstanceLinkOwnedInFront = 2;  // another window of that process (a dialog whose
                                                 // parent chain leads to the named window)

struct InstanceLinkRequest {
    uint32_t Kind; // an InstanceLinkKind
    UINT Message;  // for InstanceLinkSendMessage; zero otherwise
    WPARAM WParam; // values only: a pointer means nothing in the other process
    LPARAM LParam;
};

// Timeouts for InstanceLinkCall. Questions and raising are answered between two messages of the
// other copy's loop, so a short bound is plenty; a sent message waits as Win32's SendMessage waits
// (the other side may run a modal dialog inside its handler), ended only by the other copy's
// answer or exit.
constexpr int InstanceLinkShortTimeoutMs = 2000;
constexpr int InstanceLinkWaitForever = -1;

struct InstanceLinkServer;

// Binds and listens on the name for (className, windowName); a null windowName is the empty name.
// Null on failure: *busy is then true when a live process already holds that name (the window must
// not be created), false for any other failure (the window may go on without a link). The name is
// taken a moment before it answers (bind, then listen): a call in between fails as for nobody.
InstanceLinkServer* InstanceLinkListen(const WCHAR* className, const WCHAR* windowName, bool* busy);
// The listening socket: readable when a request waits. For the message loop's poll.
int InstanceLinkServerFd(const InstanceLinkServer* server);
// Answers every waiting request without waiting for new ones (at most a bounded number per call;
// the socket stays readable for the rest). Ping is answered here; the other kinds call handler,
// whose result is the reply. Silent peers cost at most InstanceLinkPeerWaitMs per call, and are
// dropped unanswered like malformed ones and those of another user. The handler may run a modal loop that
// calls InstanceLinkServe again, and may call InstanceLinkClose on this server.
void InstanceLinkServe(InstanceLinkServer* server,
                       LRESULT (*handler)(const InstanceLinkRequest&, void* context), void* context);
// Stops listening (the name is free at once) and frees the record; null is ignored. Called from
// inside the server's own handler, the record lives until that InstanceLinkServe returns.
void InstanceLinkClose(InstanceLinkServer* server);

// Sends request to the process listening on (className, windowName) and stores its reply in
// *result. False when nobody of this user listens there (including this very process, whose
// windows are found locally and which could never answer itself), when the other side drops the
// request or exits, or when timeoutMs passes (negative: no limit). A Ping is answered by the
// connection alone, so it is quick even while the other copy is busy. giveUp, when not null, is
// asked at least every InstanceLinkGiveUpCheckMs while the call waits: true ends the call as failed
// (the program was asked to end while it waited without limit for the other copy).
bool InstanceLinkCall(const WCHAR* className, const WCHAR* windowName, const InstanceLinkRequest& request,
                      LRESULT* result, int timeoutMs, bool (*giveUp)() = nullptr);
constexpr int InstanceLinkGiveUpCheckMs = 100;

// The longest one InstanceLinkServe waits for the packets of the peers it accepts. Peers write
// theirs right after connecting, so this bounds only silent or stalled ones.
constexpr int InstanceLinkPeerWaitMs = 250;

// The wire form, exposed for the tests and the fuzz target. Little-endian: magic, kind, message,
// wparam (8 bytes), lparam (8 bytes); the reply is magic and the result (8 bytes).
constexpr size_t InstanceLinkRequestBytes = 28;
constexpr size_t InstanceLinkReplyBytes = 12;
void InstanceLinkEncodeRequest(const InstanceLinkRequest& request, uint8_t out[InstanceLinkRequestBytes]);
// False unless bytes are exactly one well-formed request of a known kind.
bool InstanceLinkDecodeRequest(const uint8_t* bytes, size_t size, InstanceLinkRequest* request);
void InstanceLinkEncodeReply(LRESULT result, uint8_t out[InstanceLinkReplyBytes]);
bool InstanceLinkDecodeReply(const uint8_t* bytes, size_t size, LRESULT* result);
