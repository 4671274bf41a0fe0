// RegistryStorage.cpp: the registry file on disk. Nothing here keeps state but the last line said on
// stderr (so that a refusal repeated save after save is said once); the caller owns the tree. Every
// descriptor opened here is closed before the function that opened it returns, except the one
// RegLockFile hands to its caller, who closes it with RegUnlockFile; a folder's descriptor carries
// the save lock, so closing it ends the lock.
#include "platform/registry/RegistryStorage.h"

#include "platform/Win32Registry.h"
#include "platform/registry/RegistryFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many damaged files may pile up beside the registry before we stop renaming.
constexpr int MaxDamagedCopies = 1000;
// Links followed from the path to the file before it counts as a loop (the kernel's own limit).
constexpr int MaxLinkHops = 40;
// Temporary files are <file><TempMark><six letters>; the marker names them as ours.
constexpr const char* TempMark = ".tmp-";
constexpr size_t TempLetters = 6;
// How long a save or a key opened for writing waits for another process's lock before going on:
// while that process saves nothing, and in all.
constexpr int LockPatienceMs = 10000;
constexpr int LockLimitMs = 60000;

LONG ErrorFromErrno(int error, LONG otherwise) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ELOOP:
    case ENAMETOOLONG:
        return ERROR_BAD_PATHNAME;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        return otherwise;
    }
}

// The last line said by Say, forgotten when a save succeeds.
std::string& LastSaid() {
    static std::string said;
    return said;
}

// One line on stderr, unless it is the line said last: a program that saves value after value into a
// file it may not write hears why once, not once a value.
void Say(const char* format, const std::string& path, const char* reason) {
    char line[1024];
    std::snprintf(line, sizeof line, format, path.c_str(), reason);
    if (LastSaid() == line) return;
    LastSaid() = line;
    std::fputs(line, stderr);
}

// One line on stderr for a file the registry will not read or write, with the reason.
LONG Refuse(const std::string& path, const char* reason, LONG result) {
    Say("registry: %s cannot be used (%s); settings are not saved there\n", path, reason);
    return result;
}

// One line on stderr for a save that failed on the way (a full disk, a read-only folder).
LONG SaveFailed(const std::string& path, int error, LONG otherwise) {
    Say("registry: %s cannot be saved (%s); the settings stay in memory\n", path, std::strerror(error));
    return ErrorFromErrno(error, otherwise);
}

LONG RefuseErrno(const std::string& path, int error, LONG otherwise) {
    return Refuse(path, std::strerror(error), ErrorFromErrno(error, otherwise));
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// mkdir -p, private to the user as a settings folder should be.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// Follows links from path to the name of the file itself, which need not exist (a dangling link
// names the file to create). False with errno (ELOOP for a loop) when it cannot be followed.
bool FollowLinks(const std::string& path, std::string* target) {
    *target = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat st;
        if (lstat(target->c_str(), &st) != 0) return errno == ENOENT;
        if (!S_ISLNK(st.st_mode)) return true;
        std::string link(size_t(st.st_size) + 2, '\0');
        ssize_t n = readlink(target->c_str(), link.data(), link.size());
        if (n <= 0 || size_t(n) >= link.size()) return errno = n < 0 ? errno : ELOOP, false;
        link.resize(size_t(n));
        *target = link[0] == '/' ? link : FolderOf(*target) + "/" + link;
    }
    return errno = ELOOP, false;
}

enum class FileState { Missing, Parsed, Damaged, Refused };

void StampFrom(const struct stat& st, RegFileStamp* stamp) {
    *stamp = RegFileStamp{true, st.st_dev, st.st_ino, (unsigned long long)st.st_size,
                          (long long)st.st_ctim.tv_sec * 1000000000 + st.st_ctim.tv_nsec};
}

bool SameStamp(const RegFileStamp& stamp, const struct stat& st) {
    RegFileStamp now;
    StampFrom(st, &now);
    return stamp.Known && stamp.Device == now.Device && stamp.Inode == now.Inode && stamp.Size == now.Size &&
           stamp.ChangedNs == now.ChangedNs;
}

// Reads and parses the file at target (links already followed); *stamp names the version read.
// Refused sets *error to the result and, unless quiet, has printed why; Damaged leaves the parse
// fault in *fault.
FileState ReadFile(const std::string& target, RegKey* tree, RegParseError* fault, LONG* error,
                   RegFileStamp* stamp, bool quiet = false) {
    // Non-blocking, so that a FIFO is refused instead of waited on.
    int fd = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    // No file, or a path through a plain file where a folder should be: there is nothing to keep.
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return FileState::Missing;
    if (fd < 0 && quiet) return *error = ErrorFromErrno(errno, ERROR_ACCESS_DENIED), FileState::Refused;
    if (fd < 0) return *error = RefuseErrno(target, errno, ERROR_ACCESS_DENIED), FileState::Refused;
    struct stat st;
    int statError = fstat(fd, &st) != 0 ? errno : 0;
    if (statError != 0 || !S_ISREG(st.st_mode)) {
        bool folder = statError == 0 && S_ISDIR(st.st_mode);
        const char* why = statError != 0 ? std::strerror(statError)
                          : folder       ? "it is a folder"
                                         : "it is not a regular file";
        close(fd);
        *error = statError != 0 ? ErrorFromErrno(statError, ERROR_ACCESS_DENIED) : ERROR_ACCESS_DENIED;
        if (!quiet) Refuse(target, why, *error);
        return FileState::Refused;
    }
    StampFrom(st, stamp);
    // A file above the limit is read only as far as the limit and one byte, to be found damaged.
    size_t want = size_t(st.st_size) < RegMaxFileBytes ? size_t(st.st_size) : RegMaxFileBytes + 1;
    std::vector<BYTE> bytes(want);
    size_t have = 0;
    while (have < want) {
        ssize_t n = read(fd, bytes.data() + have, want - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int readError = errno;
            close(fd);
            *error = ErrorFromErrno(readError, ERROR_ACCESS_DENIED);
            if (!quiet) Refuse(target, std::strerror(readError), *error);
            return FileState::Refused;
        }
        if (n == 0) break;
        have += size_t(n);
    }
    close(fd);
    *tree = RegKey();
    if (RegParseFile(bytes.data(), have, tree, fault)) return FileState::Parsed;
    *tree = RegKey();
    return FileState::Damaged;
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

// Moves a damaged file aside, saying so; not ERROR_SUCCESS when it could not be moved.
LONG KeepDamaged(const std::string& target, const RegParseError& fault) {
    std::string aside;
    LONG moved = MoveAside(target, &aside);
    if (moved != ERROR_SUCCESS) {
        std::fprintf(stderr,
                     "registry: %s is damaged (line %zu: %s) and cannot be moved aside; not writing it\n",
                     target.c_str(), fault.Line, fault.Reason);
        return moved;
    }
    std::fprintf(stderr, "registry: %s was damaged (line %zu: %s); kept as %s, starting empty\n",
                 target.c_str(), fault.Line, fault.Reason, aside.c_str());
    return ERROR_SUCCESS;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool IsOurTemp(const std::string& fileName, const char* entry) {
    std::string prefix = fileName + TempMark;
    return std::strncmp(entry, prefix.c_str(), prefix.size()) == 0 &&
           std::strlen(entry) == prefix.size() + TempLetters;
}

// Opens a temporary file of ours to test its lock: for reading, or for writing when its mode (taken
// from the settings file) allows only that; -1 when neither is allowed.
int OpenTemp(int folder, const char* name) {
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = openat(folder, name, O_RDONLY | flags);
    return fd >= 0 || errno != EACCES ? fd : openat(folder, name, O_WRONLY | flags);
}

// Removes temporary files a killed save left behind. A save holds a lock on its temporary file until
// it has renamed it, and the kernel lets go of a killed process's locks, so only files no save holds
// are removed: a process that waited too long for the folder's lock and saves without it keeps its
// file.
void RemoveStaleTemps(int folder, const std::string& fileName) {
    int listing = dup(folder);
    DIR* dir = listing < 0 ? nullptr : fdopendir(listing);
    if (dir == nullptr) {
        if (listing >= 0) close(listing);
        return;
    }
    while (dirent* entry = readdir(dir)) {
        if (!IsOurTemp(fileName, entry->d_name)) continue;
        int fd = OpenTemp(folder, entry->d_name);
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlinkat(folder, entry->d_name, 0);
        if (fd >= 0) close(fd);
    }
    closedir(dir);
}

// A new temporary file beside target, opened for writing; -1 with errno when none can be made.
int CreateTemp(const std::string& target, std::string* temp) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[TempLetters];
        if (getrandom(random, sizeof random, 0) != ssize_t(sizeof random))
            for (size_t i = 0; i < TempLetters; ++i)
                random[i] = static_cast<unsigned char>(rand());
        *temp = target + TempMark;
        for (unsigned char r : random)
            temp->push_back(letters[r % (sizeof letters - 1)]);
        int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        // Marks the file as a save in progress for RemoveStaleTemps; without locks it goes unmarked.
        if (fd >= 0) flock(fd, LOCK_EX | LOCK_NB);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Writes text to a new temporary file and renames it over target; *old is the replaced file's
// status (null when there is none), whose mode and owner the new file takes.
LONG ReplaceFile(const std::string& target, const std::string& text, const struct stat* old) {
    std::string temp;
    int fd = CreateTemp(target, &temp);
    if (fd < 0) return SaveFailed(target, errno, ERROR_WRITE_FAULT);
    bool ok = true;
    if (old != nullptr) {
        // Only root may give the file away; anyone else keeps it as theirs, which is all they can do.
        if (fchown(fd, old->st_uid, old->st_gid) != 0 && errno != EPERM) ok = false;
        ok = ok && fchmod(fd, old->st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, text) && fsync(fd) == 0;
    int error = errno;
    // Renamed while still open, so that the file's lock lasts until it has its final name; once the
    // fsync has succeeded a failing close has nothing left to lose.
    if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false, error = errno;
    close(fd);
    if (ok) return ERROR_SUCCESS;
    unlink(temp.c_str());
    return SaveFailed(target, error, ERROR_WRITE_FAULT);
}

// Takes the save lock on folder (the folder of target). A process that saves again and again (the
// file keeps changing) is waited for up to LockLimitMs, one that keeps the lock without saving for
// LockPatienceMs; then, or when the file system has no locks, false, and the save goes ahead unlocked
// rather than hang the program. Not patient: one try only.
bool LockFolder(int folder, const std::string& target, bool patient) {
    struct stat seen = {};
    for (int idle = 0, waited = 0;;) {
        if (flock(folder, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || !patient) return false;
        struct stat now = {};
        stat(target.c_str(), &now);
        if (now.st_ino != seen.st_ino || now.st_ctim.tv_sec != seen.st_ctim.tv_sec ||
            now.st_ctim.tv_nsec != seen.st_ctim.tv_nsec)
            seen = now, idle = 0;
        if (idle >= LockPatienceMs || waited >= LockLimitMs) {
            std::fprintf(stderr,
                         "registry: another process has held the lock of %s for %d s; going on without it\n",
                         FolderOf(target).c_str(), waited / 1000);
            return false;
        }
        // Short naps for the first second, so that a lock held only for a save is taken soon after.
        int nap = waited < 1000 ? 1 : 10;
        usleep(useconds_t(nap) * 1000);
        waited += nap;
        idle += nap;
    }
}

// The merge and write of a save, under the lock held on folder when locked.
LONG SaveLocked(const std::string& target, int folder, bool locked, RegKey* root, RegFileStamp* stamp) {
    if (locked) RemoveStaleTemps(folder, NameOf(target));
    struct stat old;
    bool exists = lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return RefuseErrno(target, errno, ERROR_ACCESS_DENIED);
    if (exists && !S_ISREG(old.st_mode))
        return Refuse(target, S_ISDIR(old.st_mode) ? "it is a folder" : "it is not a regular file",
                      ERROR_ACCESS_DENIED);
    if (exists && (old.st_mode & 0222) == 0)
        return Refuse(target, "the file is read-only", ERROR_ACCESS_DENIED);
    RegKey file;
    RegParseError fault;
    LONG error = ERROR_SUCCESS;
    RegFileStamp seen;
    switch (ReadFile(target, &file, &fault, &error, &seen)) {
    case FileState::Refused:
        return error;
    case FileState::Damaged:
        if ((error = KeepDamaged(target, fault)) != ERROR_SUCCESS) return error;
        exists = false;
        break;
    case FileState::Parsed:
        RegMergeUnchanged(root, file);
        break;
    case FileState::Missing:
        exists = false;
        break;
    }
    std::string text;
    if (!RegWriteFile(*root, &text))
        return SaveFailed(target, EFBIG, ERROR_WRITE_FAULT), ERROR_FILE_TOO_LARGE;
    if ((error = ReplaceFile(target, text, exists ? &old : nullptr)) != ERROR_SUCCESS) return error;
    // What is on disk is now what this process holds: no need to read it back at the next open.
    struct stat written;
    if (stat(target.c_str(), &written) == 0) StampFrom(written, stamp);
    // The rename is durable only once the folder's entry is on disk.
    if (fsync(folder) != 0) return SaveFailed(target, errno, ERROR_WRITE_FAULT);
    RegForgetChanges(root);
    LastSaid().clear(); // a later failure is news again
    return ERROR_SUCCESS;
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

LONG RegLoadFile(const std::string& path, RegKey* root, RegFileStamp* stamp) {
    *root = RegKey();
    *stamp = RegFileStamp();
    std::string target;
    if (!FollowLinks(path, &target)) {
        if (errno == ENOTDIR) return ERROR_SUCCESS;
        return RefuseErrno(path, errno, ERROR_ACCESS_DENIED);
    }
    RegParseError fault;
    LONG error = ERROR_SUCCESS;
    switch (ReadFile(target, root, &fault, &error, stamp)) {
    case FileState::Refused:
        return error;
    case FileState::Damaged:
        return KeepDamaged(target, fault);
    case FileState::Parsed:
    case FileState::Missing:
        break;
    }
    return ERROR_SUCCESS;
}

void RegRefreshFile(const std::string& path, RegKey* root, RegFileStamp* stamp) {
    std::string target;
    struct stat st;
    if (!FollowLinks(path, &target) || stat(target.c_str(), &st) != 0 || SameStamp(*stamp, st)) return;
    RegKey file;
    RegParseError fault;
    LONG error = ERROR_SUCCESS;
    // A file gone, damaged or unreadable is left to the next save, which says what is wrong; the
    // values in memory stay as they are. Saves replace the file whole, so no lock is needed to read it.
    if (ReadFile(target, &file, &fault, &error, stamp, true) == FileState::Parsed)
        RegMergeUnchanged(root, file);
}

int RegLockFile(const std::string& path) {
    std::string target;
    if (!FollowLinks(path, &target)) return -1;
    std::string folderPath = FolderOf(target);
    int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return -1;
    if (LockFolder(folder, target, true)) return folder;
    close(folder);
    return -1;
}

void RegUnlockFile(int lock) {
    if (lock >= 0) close(lock);
}

LONG RegSaveFile(const std::string& path, RegKey* root, RegFileStamp* stamp, int lock, bool patient) {
    std::string target;
    if (!FollowLinks(path, &target)) return RefuseErrno(path, errno, ERROR_ACCESS_DENIED);
    std::string folderPath = FolderOf(target);
    if (!MakeFolders(folderPath)) return SaveFailed(target, errno, ERROR_WRITE_FAULT);
    int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return SaveFailed(target, errno, ERROR_WRITE_FAULT);
    // The lock is held across read, merge and rename, so that two processes saving at once never
    // lose each other's values; released by the close. A lock this process already holds on the same
    // folder is used as it is (a second one would wait for the first). A file system without locks
    // (ENOLCK) still gets an atomic, merged save, only without the lock and so without removing
    // temporary files that another save may be writing.
    struct stat mine, held;
    bool locked = lock >= 0 && fstat(lock, &held) == 0 && fstat(folder, &mine) == 0 &&
                  held.st_dev == mine.st_dev && held.st_ino == mine.st_ino;
    if (!locked) locked = LockFolder(folder, target, patient);
    LONG result = SaveLocked(target, folder, locked, root, stamp);
    close(folder);
    return result;
}
