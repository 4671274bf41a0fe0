/* RegistryFaultShim.c: a preloaded library that makes one chosen file call fail on demand, for the
 * registry fault check. Disarmed it passes every call through; KestrovaFaultArm(name, nth, error)
 * makes the nth call of that name from then on fail once with error, and KestrovaFaultFired says
 * whether it has. The state is per process and owned here; nothing is allocated. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static char ArmedName[32];
static int CallsLeft;
static int ArmedError;
static int Fired;

void KestrovaFaultArm(const char* name, int nth, int error) {
    strncpy(ArmedName, name ? name : "", sizeof ArmedName - 1);
    CallsLeft = nth;
    ArmedError = error;
    Fired = 0;
}

int KestrovaFaultFired(void) {
    return Fired;
}

/* True when this call of name is the one to fail; errno is then set. */
static int ShouldFail(const char* name) {
    if (ArmedName[0] == 0 || Fired || strcmp(name, ArmedName) != 0) return 0;
    if (--CallsLeft > 0) return 0;
    Fired = 1;
    errno = ArmedError;
    return 1;
}

static void* Next(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

static mode_t ModeOf(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(args, int) : 0;
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (ShouldFail("open")) return -1;
    return ((int (*)(const char*, int, mode_t))Next("open"))(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (ShouldFail("open")) return -1;
    return ((int (*)(const char*, int, mode_t))Next("open64"))(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (ShouldFail("open")) return -1;
    return ((int (*)(int, const char*, int, mode_t))Next("openat"))(dir, path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    if (ShouldFail("write")) return -1;
    return ((ssize_t(*)(int, const void*, size_t))Next("write"))(fd, data, size);
}

ssize_t read(int fd, void* data, size_t size) {
    if (ShouldFail("read")) return -1;
    return ((ssize_t(*)(int, void*, size_t))Next("read"))(fd, data, size);
}

int fsync(int fd) {
    if (ShouldFail("fsync")) return -1;
    return ((int (*)(int))Next("fsync"))(fd);
}

int close(int fd) {
    /* A failed close still closes, as the kernel does. */
    int result = ((int (*)(int))Next("close"))(fd);
    return ShouldFail("close") ? -1 : result;
}

int rename(const char* from, const char* to) {
    if (ShouldFail("rename")) return -1;
    return ((int (*)(const char*, const char*))Next("rename"))(from, to);
}

int fchmod(int fd, mode_t mode) {
    if (ShouldFail("fchmod")) return -1;
    return ((int (*)(int, mode_t))Next("fchmod"))(fd, mode);
}

int flock(int fd, int operation) {
    if (ShouldFail("flock")) return -1;
    return ((int (*)(int, int))Next("flock"))(fd, operation);
}

int mkdir(const char* path, mode_t mode) {
    if (ShouldFail("mkdir")) return -1;
    return ((int (*)(const char*, mode_t))Next("mkdir"))(path, mode);
}
