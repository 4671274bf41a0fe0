// ContentFiles.cpp: reading sources and replacing the compiler's output. The output is built in a
// staging folder of ours inside the output folder (.content-new-XXXXXX), so that every rename stays
// on one file system; the previous content folder is moved into it before the new one is moved in,
// and the staging folder (with the previous content) is removed last. Every descriptor is closed
// before the function that opened it returns.
#include "content/ContentFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* StagingPrefix = ".content-new-";
constexpr const char* PreviousName = "previous";

std::string Reason(int error) {
    return std::strerror(error);
}

bool Failed(std::string* errors, const std::string& path, const std::string& what, int error) {
    errors->append(path + ": " + what + " (" + Reason(error) + ")\n");
    return false;
}

// A staged file, open until it is on disk.
struct StagedFile {
    int Fd;
    std::string Shown; // the file's final place, for messages (not the staging one)
};

// Writes bytes to a new file at path, checking every write; the file stays open in *staged.
bool WriteStaged(const std::string& path, const std::string& shown, const void* bytes, size_t size,
                 std::vector<StagedFile>* staged, std::string* errors) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return Failed(errors, shown, "cannot create", errno);
    staged->push_back(StagedFile{fd, shown});
    const char* at = static_cast<const char*>(bytes);
    for (size_t done = 0; done < size;) {
        ssize_t n = write(fd, at + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Failed(errors, shown, "cannot write", n == 0 ? ENOSPC : errno);
        done += size_t(n);
    }
    return true;
}

// Closes every staged file, checking each result, then puts them all on disk with one flush of the
// file system: an fsync each would cost a flush of the disk's cache each (seconds for 251 files).
// syncfs reports any write-back error since folder was opened, which was before the writes.
bool FlushStaged(std::vector<StagedFile>* staged, int folder, bool ok, std::string* errors) {
    for (const StagedFile& f : *staged)
        if (close(f.Fd) != 0 && ok) ok = Failed(errors, f.Shown, "cannot write", errno);
    if (ok && !staged->empty() && syncfs(folder) != 0)
        ok = Failed(errors, staged->back().Shown, "cannot write to disk", errno);
    staged->clear();
    return ok;
}

bool SyncFolder(const std::string& path, std::string* errors) {
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Failed(errors, path, "cannot open the folder", errno);
    bool ok = fsync(fd) == 0;
    int error = errno;
    close(fd);
    return ok || Failed(errors, path, "cannot write the folder to disk", error);
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Staging folders a killed run left behind: a previous content folder still inside one is put
// back when the output has none (the kill came between the two renames), then the folder goes.
void RemoveStaleStaging(const std::string& outFolder, const std::string& live) {
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(outFolder, ignored)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(StagingPrefix, 0) != 0) continue;
        std::string previous = (entry.path() / PreviousName).string();
        if (Exists(previous) && !Exists(live)) rename(previous.c_str(), live.c_str());
        fs::remove_all(entry.path(), ignored);
    }
}

// Moves the staged files into place; undoes what it did on a failure.
bool Commit(const std::string& staging, const std::string& outFolder, const std::string& rcName,
            const std::string& binFolder, std::string* errors) {
    std::string live = outFolder + "/" + binFolder, staged = staging + "/" + binFolder;
    std::string previous = staging + "/" + PreviousName;
    bool hadPrevious = Exists(live);
    if (hadPrevious && rename(live.c_str(), previous.c_str()) != 0)
        return Failed(errors, live, "cannot be replaced", errno);
    if (rename(staged.c_str(), live.c_str()) != 0) {
        int error = errno;
        if (hadPrevious) rename(previous.c_str(), live.c_str());
        return Failed(errors, live, "cannot be replaced", error);
    }
    std::string rc = outFolder + "/" + rcName;
    if (rename((staging + "/" + rcName).c_str(), rc.c_str()) != 0) {
        int error = errno;
        rename(live.c_str(), staged.c_str());
        if (hadPrevious) rename(previous.c_str(), live.c_str());
        return Failed(errors, rc, "cannot be replaced", error);
    }
    return true;
}

// The replace, with the output folder locked.
bool ReplaceLocked(const std::string& outFolder, const std::string& rcName, const std::string& rc,
                   const std::string& binFolder, const std::vector<ContentOutputFile>& files,
                   std::string* errors) {
    std::error_code ec;
    RemoveStaleStaging(outFolder, outFolder + "/" + binFolder);
    std::string staging = outFolder + "/" + StagingPrefix + "XXXXXX";
    if (mkdtemp(staging.data()) == nullptr)
        return Failed(errors, outFolder, "cannot write in the folder", errno);
    // Opened before any file is written, so that syncfs reports every write-back error after it.
    int stagingFd = open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string stagedBins = staging + "/" + binFolder;
    bool ok = stagingFd >= 0 || Failed(errors, outFolder, "cannot write in the folder", errno);
    ok = ok && (mkdir(stagedBins.c_str(), 0755) == 0 ||
                Failed(errors, outFolder, "cannot write in the folder", errno));
    std::vector<StagedFile> staged;
    for (size_t i = 0; ok && i < files.size(); ++i) {
        const ContentOutputFile& f = files[i];
        ok = WriteStaged(stagedBins + "/" + f.Name, outFolder + "/" + binFolder + "/" + f.Name,
                         f.Bytes->data(), f.Bytes->size(), &staged, errors);
    }
    ok = ok &&
         WriteStaged(staging + "/" + rcName, outFolder + "/" + rcName, rc.data(), rc.size(), &staged, errors);
    ok = FlushStaged(&staged, stagingFd, ok, errors);
    if (stagingFd >= 0) close(stagingFd);
    ok = ok && Commit(staging, outFolder, rcName, binFolder, errors);
    // The renames are lasting once the output folder is on disk; the output is already replaced, so
    // a failure here is reported but not undone.
    ok = ok && SyncFolder(outFolder, errors);
    fs::remove_all(staging, ec);
    return ok;
}

} // namespace

SourceRead ReadSourceFile(const std::string& path, std::string* text, std::string* why) {
    text->clear();
    why->clear();
    // Non-blocking, so that a FIFO is refused instead of waited on.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        struct stat st;
        if (error == ENOENT && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return *why = "a link to a missing file", SourceRead::Refused;
        if (error == ENOENT) return SourceRead::Missing;
        return *why = "cannot be read (" + Reason(error) + ")", SourceRead::Refused;
    }
    struct stat st;
    SourceRead result = SourceRead::Refused;
    if (fstat(fd, &st) != 0) {
        *why = "cannot be read (" + Reason(errno) + ")";
    } else if (S_ISDIR(st.st_mode)) {
        *why = "a folder, not a file";
    } else if (!S_ISREG(st.st_mode)) {
        *why = "not a regular file";
    } else if (size_t(st.st_size) > MaxSourceFileBytes) {
        *why = "larger than " + std::to_string(MaxSourceFileBytes) + " bytes";
    } else {
        // The size may change while we read: the buffer grows, never past the bound and one byte.
        text->resize(size_t(st.st_size) + 1);
        size_t have = 0;
        for (;;) {
            if (have == text->size() && have <= MaxSourceFileBytes)
                text->resize(std::min(text->size() * 2, MaxSourceFileBytes + 1));
            if (have == text->size()) break;
            ssize_t n = read(fd, text->data() + have, text->size() - have);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) *why = "cannot be read (" + Reason(errno) + ")";
            if (n <= 0) break;
            have += size_t(n);
        }
        text->resize(have);
        if (why->empty() && have > MaxSourceFileBytes)
            *why = "larger than " + std::to_string(MaxSourceFileBytes) + " bytes";
        if (why->empty()) result = SourceRead::Ok;
    }
    close(fd);
    if (result != SourceRead::Ok) text->clear();
    return result;
}

bool ReplaceContentOutput(const std::string& outFolder, const std::string& rcName, const std::string& rc,
                          const std::string& binFolder, const std::vector<ContentOutputFile>& files,
                          std::string* errors) {
    std::error_code ec;
    fs::create_directories(outFolder, ec);
    if (ec) return Failed(errors, outFolder, "cannot create the folder", ec.value());
    // Two runs into one output take turns, so that neither removes the other's staging folder as
    // stale; a file system without locks goes on unlocked. The close releases the lock.
    int lock = open(outFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (lock >= 0 && flock(lock, LOCK_EX) != 0 && errno == EINTR) {}
    bool ok = ReplaceLocked(outFolder, rcName, rc, binFolder, files, errors);
    if (lock >= 0) close(lock);
    return ok;
}
