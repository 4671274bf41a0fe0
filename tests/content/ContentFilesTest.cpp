// ContentFilesTest.cpp: the content compiler at its edges: columns and line ends in sources, the
// index's deepest level, sources that cannot be read, and an output folder that is replaced whole
// or left as it was when a write fails.
#include "content/ContentFiles.h"
#include "content/ArticleSource.h"
#include "content/ContentCompiler.h"
#include "content/IndexSource.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// A failure of the flush that puts the staged output on disk, armed by a test. This definition
// takes the place of the C library's for the whole program; unarmed it passes the call on.
static int SyncFailure = 0;

extern "C" int syncfs(int fd) {
    if (SyncFailure != 0) {
        errno = SyncFailure;
        return -1;
    }
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "syncfs"));
    return real(fd);
}

namespace {

namespace fs = std::filesystem;

std::string ArticleError(const std::string& source) {
    std::vector<uint8_t> plain;
    SourceError error{};
    EXPECT_FALSE(CompileArticleSource(source, "t.txt", &plain, &error));
    return FormatSourceError(error);
}

std::string IndexError(const std::string& source) {
    std::vector<uint8_t> stream;
    SourceError error{};
    EXPECT_FALSE(CompileIndexSource(source, "index.txt", &stream, &error));
    return FormatSourceError(error);
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Every file below root with its bytes, to see that a folder is exactly as it was.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream bytes;
        if (e.is_regular_file()) bytes << in.rdbuf();
        files[fs::relative(e.path(), root).string()] = bytes.str();
    }
    return files;
}

// Runs check in a child process as a user whom permissions bind (root is not one: as root the child
// acts as nobody) and says whether it returned true. Its errors go to the child's stderr.
template <class Check>
bool AsUserBoundByPermissions(Check check) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A good content folder (every text the same small one) with out/ compiled from it once.
struct Compiled {
    fs::path Root, Out;
    explicit Compiled(const std::string& name) {
        Root = fs::temp_directory_path() / ("kestrova-content-files-" + name);
        fs::remove_all(Root);
        fs::create_directories(Root / ContentTextsFolder);
        for (int n = 1; n <= ContentTextCount; ++n)
            Write(ContentTextPath(Root.string(), n), "@heading א\n");
        Write(Root / ContentIndexFile, "heading : א\n  lesson 1 : ב\n");
        Out = Root / "out";
        std::string errors;
        EXPECT_EQ(CompileContent(Root.string(), Out.string(), &errors), ContentOk) << errors;
        // The next run has something new to write.
        Write(ContentTextPath(Root.string(), 1), "@heading אבגדהוזחט\n");
    }
    ~Compiled() { fs::remove_all(Root); }
};

// Compiles c in a child whose files may not pass 40 bytes, a stand-in for a full disk: every write
// past it fails. The child's status is its ContentResult times 10, plus 1 when the errors gave the
// system's reason.
int CompileOnAFullDisk(const Compiled& c) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string errors;
        ContentResult result = CompileContent(c.Root.string(), c.Out.string(), &errors);
        bool said = errors.find(": cannot write (File too large)") != std::string::npos;
        _exit(int(result) * 10 + said);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ContentSource, ColumnsCountFromTheStartOfTheLine) {
    EXPECT_EQ(ArticleError("@p\n        א\xff\n"), "t.txt:2: invalid UTF-8 at column 10");
    EXPECT_EQ(ArticleError("@heading   אב~\n"),
              "t.txt:1: the letter code cannot carry '~' (U+007E) at column 14");
    EXPECT_EQ(
        ArticleError("\t\tא \\x0\n"),
        "t.txt:1: bad escape at column 5: write \\xHH for a byte from 01 to FF, or \\\\ for a backslash");
    EXPECT_EQ(IndexError("heading : א\n        lesson 1 : א~\n").substr(0, 77),
              "index.txt:2: the letter code cannot carry '~' (U+007E) at column 21");
    // A broken byte anywhere in a line is named by its column, never quoted in a message.
    EXPECT_EQ(IndexError("heading : א\n        \xff lesson 1 : א\n"),
              "index.txt:2: invalid UTF-8 at column 9");
    EXPECT_EQ(ArticleError("@p\xd7\n"), "t.txt:1: invalid UTF-8 at column 3");
}

TEST(ContentSource, CarriageReturnsAloneEndLines) {
    std::vector<uint8_t> unix, mac, dos;
    SourceError error;
    ASSERT_TRUE(CompileArticleSource("@heading א\n\nב\nג\n", "t.txt", &unix, &error));
    ASSERT_TRUE(CompileArticleSource("@heading א\r\rב\rג\r", "t.txt", &mac, &error))
        << FormatSourceError(error);
    ASSERT_TRUE(CompileArticleSource("@heading א\r\n\r\nב\r\nג", "t.txt", &dos, &error));
    EXPECT_EQ(mac, unix);
    EXPECT_EQ(dos, unix);
    EXPECT_EQ(ArticleError("@heading א\r@box\r"), "t.txt:2: unknown directive '@box' (known: @heading, "
                                                  "@subheading, @p, @rule)");
    std::vector<uint8_t> index, macIndex;
    ASSERT_TRUE(CompileIndexSource("heading : א\n  lesson 1 : ב\n", "i", &index, &error));
    ASSERT_TRUE(CompileIndexSource("heading : א\r  lesson 1 : ב\r", "i", &macIndex, &error));
    EXPECT_EQ(macIndex, index);
}

TEST(ContentSource, IndexLevelsStopAt255) {
    std::string deepest = "heading : א\n", deeper;
    for (int level = 2; level <= 255; ++level)
        deepest += std::string(size_t(level - 1) * 2, ' ') + "label : ב\n";
    deeper = deepest + std::string(510, ' ') + "label : ג\n";
    std::vector<uint8_t> stream;
    SourceError error;
    EXPECT_TRUE(CompileIndexSource(deepest, "index.txt", &stream, &error)) << FormatSourceError(error);
    EXPECT_EQ(IndexError(deeper), "index.txt:256: indented past level 255 (510 spaces)");
}

TEST(ContentSource, PathsThatCannotBeReadSayWhatIsWrong) {
    fs::path root = fs::temp_directory_path() / "kestrova-content-paths";
    fs::remove_all(root);
    fs::create_directories(root / "folder");
    fs::create_symlink("nowhere", root / "dangling");
    fs::create_symlink("loop", root / "loop");
    fs::create_symlink("/dev/zero", root / "zero");
    ASSERT_EQ(mkfifo((root / "fifo").c_str(), 0600), 0);
    Write(root / "big", "");
    fs::resize_file(root / "big", MaxSourceFileBytes + 1);
    Write(root / "good", "א");
    std::string text, why;
    struct Case {
        const char* Name;
        SourceRead Result;
        const char* Why;
    };
    const Case cases[] = {{"folder", SourceRead::Refused, "a folder, not a file"},
                          {"dangling", SourceRead::Refused, "a link to a missing file"},
                          {"loop", SourceRead::Refused, "cannot be read (Too many levels of symbolic links)"},
                          {"zero", SourceRead::Refused, "not a regular file"},
                          {"fifo", SourceRead::Refused, "not a regular file"},
                          {"big", SourceRead::Refused, "larger than 4194304 bytes"},
                          {"missing", SourceRead::Missing, ""},
                          {"good", SourceRead::Ok, ""}};
    alarm(10); // a FIFO must be refused, not waited on
    for (const Case& c : cases) {
        EXPECT_EQ(ReadSourceFile((root / c.Name).string(), &text, &why), c.Result) << c.Name;
        EXPECT_EQ(why, c.Why) << c.Name;
    }
    alarm(0);
    EXPECT_EQ(text, "א");
    fs::permissions(root / "good", fs::perms::none);
    EXPECT_TRUE(AsUserBoundByPermissions([&] {
        std::string text, why;
        SourceRead read = ReadSourceFile((root / "good").string(), &text, &why);
        std::fprintf(stderr, "%s\n", why.c_str());
        return read == SourceRead::Refused && why == "cannot be read (Permission denied)";
    }));
    fs::remove_all(root);
}

TEST(ContentCompiler, SourcesThatCannotBeReadAreNamedInTheErrors) {
    Compiled c("unreadable");
    fs::remove(ContentTextPath(c.Root.string(), 3));
    fs::create_directory(ContentTextPath(c.Root.string(), 3));
    fs::remove(c.Root / ContentIndexFile);
    fs::create_symlink("gone.txt", c.Root / ContentIndexFile);
    std::string errors;
    EXPECT_EQ(CompileContent(c.Root.string(), c.Out.string(), &errors), ContentSourceError);
    EXPECT_NE(errors.find("texts/003.txt: a folder, not a file\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("index.txt: a link to a missing file\n"), std::string::npos) << errors;
}

TEST(ContentCompiler, FoldersThatCannotBeOpenedAreOneLineEach) {
    Compiled c("folders");
    std::string errors;
    const std::string none = (c.Root / "none").string();
    EXPECT_EQ(CompileContent(none, c.Out.string(), &errors), ContentSourceError);
    EXPECT_EQ(errors, none + ": no such folder\n");
    errors.clear();
    const std::string index = (c.Root / ContentIndexFile).string();
    EXPECT_EQ(CompileContent(index, c.Out.string(), &errors), ContentSourceError);
    EXPECT_EQ(errors, index + ": not a folder\n");
    // The texts folder: one line for it, and the index is still checked.
    const fs::path texts = c.Root / ContentTextsFolder, moved = c.Root / "moved";
    fs::rename(texts, moved);
    fs::create_symlink("nowhere", texts);
    fs::remove(c.Root / ContentIndexFile);
    errors.clear();
    EXPECT_EQ(CompileContent(c.Root.string(), c.Out.string(), &errors), ContentSourceError);
    EXPECT_EQ(errors,
              texts.string() + ": a link to a missing folder\n" + index + ": missing section index\n");
    fs::remove(texts);
    fs::rename(moved, texts);
    fs::permissions(texts, fs::perms::none);
    EXPECT_TRUE(AsUserBoundByPermissions([&] {
        std::string errors;
        ContentResult result = CompileContent(c.Root.string(), (c.Root / "out2").string(), &errors);
        std::fputs(errors.c_str(), stderr);
        return result == ContentSourceError &&
               errors.rfind(texts.string() + ": cannot be read (Permission denied)\n", 0) == 0 &&
               errors.find("001.txt") == std::string::npos;
    }));
    fs::permissions(texts, fs::perms::owner_all);
}

TEST(ContentCompiler, AFailedWriteLeavesTheOutputAsItWasAndSaysWhy) {
    Compiled c("full");
    const auto before = Snapshot(c.Out);
    EXPECT_EQ(CompileOnAFullDisk(c), ContentWriteError * 10 + 1);
    EXPECT_EQ(Snapshot(c.Out), before);
}

TEST(ContentCompiler, WhatAKilledRunLeftIsPutRightByTheNext) {
    // A run killed between its two renames: its staging folder holds the previous content, the
    // output has none. The next run puts it back even when that run's own write then fails.
    Compiled c("killed");
    const auto before = Snapshot(c.Out);
    const fs::path staging = c.Out / ".content-new-kill01";
    fs::create_directories(staging / ContentBinFolder);
    Write(staging / ContentBinFolder / "1001.bin", "half");
    fs::rename(c.Out / ContentBinFolder, staging / "previous");
    EXPECT_EQ(CompileOnAFullDisk(c), ContentWriteError * 10 + 1);
    EXPECT_EQ(Snapshot(c.Out), before);
    // A run killed while writing: the next good run leaves nothing of it.
    fs::create_directories(staging / ContentBinFolder);
    Write(staging / ContentBinFolder / "1001.bin", "half");
    std::string errors;
    ASSERT_EQ(CompileContent(c.Root.string(), c.Out.string(), &errors), ContentOk) << errors;
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_EQ(Snapshot(c.Out).size(), before.size());
}

TEST(ContentCompiler, OutputThatDoesNotReachTheDiskIsAFailedWrite) {
    // Every write succeeded, but the flush to disk reports a lost write-back (a disk error, or a
    // full disk found only at write-back on some file systems).
    Compiled c("sync");
    const auto before = Snapshot(c.Out);
    std::string errors;
    SyncFailure = EIO;
    ContentResult result = CompileContent(c.Root.string(), c.Out.string(), &errors);
    SyncFailure = 0;
    EXPECT_EQ(result, ContentWriteError);
    EXPECT_NE(errors.find(": cannot write to disk (Input/output error)"), std::string::npos) << errors;
    EXPECT_EQ(Snapshot(c.Out), before);
}

TEST(ContentCompiler, ARunReplacesTheWholeOutputOrNone) {
    Compiled c("whole");
    // The old content.rc cannot be replaced: the new resources that were already moved in go back.
    fs::remove(c.Out / ContentRcFile);
    fs::create_directories(c.Out / ContentRcFile / "inside");
    const auto before = Snapshot(c.Out);
    std::string errors;
    EXPECT_EQ(CompileContent(c.Root.string(), c.Out.string(), &errors), ContentWriteError);
    EXPECT_NE(errors.find("content.rc: cannot be replaced (Is a directory)"), std::string::npos) << errors;
    EXPECT_EQ(Snapshot(c.Out), before);
    // Once it can, the whole output is new and nothing of ours is left beside it.
    fs::remove_all(c.Out / ContentRcFile);
    Write(c.Out / ContentBinFolder / "1001.bin.tmp", "stale");
    errors.clear();
    ASSERT_EQ(CompileContent(c.Root.string(), c.Out.string(), &errors), ContentOk) << errors;
    EXPECT_FALSE(fs::exists(c.Out / ContentBinFolder / "1001.bin.tmp"));
    EXPECT_EQ(Snapshot(c.Out).size(), before.size() - 1); // content.rc is a file again, not a folder
    EXPECT_NE(Snapshot(c.Out).at("content/1001.bin"), before.at("content/1001.bin"));
}
