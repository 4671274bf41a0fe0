// RegistryStorage.cpp: the registry file on disk. Nothing here keeps state; the caller owns the tree.
#include "platform/registry/RegistryStorage.h"

#include "platform/registry/RegistryFormat.h"
#include "platform/Win32Registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many damaged files may pile up beside the registry before we stop renaming.
constexpr int MaxDamagedCopies = 1000;

LONG ErrorFromErrno(int error, LONG otherwise) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        return otherwise;
    }
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p, private to the user as a settings folder should be.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

bool ReadWholeFile(int fd, std::vector<BYTE>* bytes) {
    struct stat st;
    if (fstat(fd, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) return errno = EISDIR, false;
    // A file above the limit is read only as far as the limit and one byte, to be found damaged.
    size_t want = size_t(st.st_size) < RegMaxFileBytes ? size_t(st.st_size) : RegMaxFileBytes + 1;
    bytes->resize(want);
    size_t have = 0;
    while (have < want) {
        ssize_t n = read(fd, bytes->data() + have, want - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        have += size_t(n);
    }
    bytes->resize(have);
    return true;
}

// Renames path to the first free <path>.damaged-<n>, never replacing a file already there.
LONG MoveAside(const std::string& path, std::string* aside) {
    for (int n = 1; n <= MaxDamagedCopies; ++n) {
        *aside = path + ".damaged-" + std::to_string(n);
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside->c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
        // A file system without RENAME_NOREPLACE: a hard link fails rather than replace.
        if (link(path.c_str(), aside->c_str()) == 0)
            return unlink(path.c_str()) == 0 ? 0 : ERROR_ACCESS_DENIED;
        if (errno != EEXIST) return ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
    }
    return ERROR_ACCESS_DENIED;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

std::string RegDefaultFilePath() {
    const char* file = getenv("KESTROVA_REGISTRY");
    if (file != nullptr && file[0] != 0) return file;
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/kestrova/registry.reg";
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != 0) return std::string(home) + "/.config/kestrova/registry.reg";
    return std::string();
}

LONG RegLoadFile(const std::string& path, RegKey* root) {
    *root = RegKey();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // No file, or a path through a plain file where a folder should be: there is nothing to keep.
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return ERROR_SUCCESS;
    if (fd < 0) return ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
    std::vector<BYTE> bytes;
    bool read = ReadWholeFile(fd, &bytes);
    int readError = errno;
    close(fd);
    if (!read) return ErrorFromErrno(readError, ERROR_ACCESS_DENIED);
    RegParseError error;
    if (RegParseFile(bytes.data(), bytes.size(), root, &error)) return ERROR_SUCCESS;
    *root = RegKey();
    std::string aside;
    LONG moved = MoveAside(path, &aside);
    if (moved != ERROR_SUCCESS) {
        std::fprintf(stderr,
                     "registry: %s is damaged (line %zu: %s) and cannot be moved aside; not writing it\n",
                     path.c_str(), error.Line, error.Reason);
        return moved;
    }
    std::fprintf(stderr, "registry: %s was damaged (line %zu: %s); kept as %s, starting empty\n",
                 path.c_str(), error.Line, error.Reason, aside.c_str());
    return ERROR_SUCCESS;
}

LONG RegSaveFile(const std::string& path, const RegKey& root) {
    std::string text;
    if (!RegWriteFile(root, &text)) return ERROR_FILE_TOO_LARGE;
    // A link to a file kept elsewhere stays a link: the file it names is the one replaced.
    std::string target = path;
    if (char* real = realpath(path.c_str(), nullptr)) {
        target = real;
        free(real);
    }
    std::string folder = FolderOf(target);
    if (!MakeFolders(folder)) return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    std::string temp = target + ".tmp-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) ok = false, error = errno;
    if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false, error = errno;
    if (!ok) {
        unlink(temp.c_str());
        return ErrorFromErrno(error, ERROR_WRITE_FAULT);
    }
    // The rename is durable only once the folder's entry is on disk.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    bool synced = fsync(dir) == 0;
    error = errno;
    close(dir);
    return synced ? ERROR_SUCCESS : ErrorFromErrno(error, ERROR_WRITE_FAULT);
}
