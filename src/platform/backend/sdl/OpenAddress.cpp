// OpenAddress.cpp: opens an address with the desktop's handler (xdg-open), detached: a double fork
// so the handler is never our child (no zombie, no waiting on a browser), no shell, so the address
// is one argument whatever it holds. A close-on-exec pipe tells whether the handler could be run.
#include "platform/backend/sdl/SdlInternal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// The handler is looked up on PATH, as a desktop session would.
static constexpr char OpenHandler[] = "xdg-open";

// In the detached grandchild: only async-signal-safe calls until exec.
[[noreturn]] static void RunHandler(const char* address, int report) {
    setsid();
    char* argv[] = {const_cast<char*>(OpenHandler), const_cast<char*>(address), nullptr};
    execvp(OpenHandler, argv);
    int error = errno;
    (void)!write(report, &error, sizeof(error));
    _exit(127);
}

bool SdlOpenAddress(const char* address) {
    // An empty address, or one that xdg-open would take for an option, is refused.
    if (address == nullptr || address[0] == 0 || address[0] == '-') return false;
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        pid_t grandchild = fork();
        if (grandchild == 0) RunHandler(address, report[1]);
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // The pipe closes at the handler's exec (success) or carries its errno (failure).
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof(error))) < 0 && errno == EINTR) {}
    close(report[0]);
    return forked && got == 0;
}
