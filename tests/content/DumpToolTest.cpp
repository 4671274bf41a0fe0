// DumpToolTest.cpp: kestrova-dump run as a user runs it, on resource files made here: what it says
// about bad arguments, paths and headers, an index record cut short, and a resource whose dump the
// compiler would refuse.
#include "store/Compressor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct DumpRun {
    int Exit;
    std::string Out, Err;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DumpTool : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrova-dump-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
    }
    void TearDown() override { fs::remove_all(Folder); }

    // Runs the tool (given 20 s: a read that waits forever fails the test); standard output goes to
    // the file out, or to the folder's "out".
    DumpRun Run(const std::string& args, const std::string& out = std::string()) {
        std::string command = std::string("timeout 20 '") + KESTROVA_DUMP + "' " + args + " >'" +
                              (out.empty() ? (Folder / "out").string() : out) + "' 2>'" +
                              (Folder / "err").string() + "'";
        int status = std::system(command.c_str());
        return DumpRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(Folder / "out"),
                       ReadAll(Folder / "err")};
    }
    // A resource file holding raw bytes, or the compressed form of plain bytes.
    std::string Raw(const std::string& name, const std::vector<uint8_t>& bytes) {
        fs::path path = Folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }
    std::string Resource(const std::string& name, const std::vector<uint8_t>& plain) {
        std::vector<uint8_t> resource;
        EXPECT_EQ(BuildArticleResource(plain.data(), plain.size(), &resource), CompressOk);
        return Raw(name, resource);
    }
    std::string Fifo(const std::string& name) {
        fs::path path = Folder / name;
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        return path.string();
    }
    fs::path Folder;
};

} // namespace

TEST_F(DumpTool, UsageErrorsNameTheArgument) {
    DumpRun r = Run("--bogus");
    EXPECT_EQ(r.Exit, 2);
    EXPECT_EQ(r.Err.substr(0, 41), "kestrova-dump: unknown argument '--bogus'");
    EXPECT_NE(Run("251").Err.find("kestrova-dump: no text 251: texts are 1 to 250"), std::string::npos);
    EXPECT_NE(Run("--file").Err.find("kestrova-dump: --file needs a path"), std::string::npos);
}

TEST_F(DumpTool, FilesThatAreNoResourceSayWhy) {
    struct Case {
        std::string Path;
        const char* Said;
    };
    const Case cases[] = {
        {Folder.string(), ": a folder, not a resource file"},
        {(Folder / "missing").string(), ": cannot read (No such file or directory)"},
        {"/dev/zero", ": more than 1048576 bytes, larger than any resource"},
        {Raw("short", {0, 10, 0}), ": damaged: 3 bytes, fewer than the 10 of a resource's header"},
        {Raw("header", {0, 3, 0, 0, 0, 0, 0, 5, 0, 5, 1}), ": damaged: HeaderLength 3 is below 5"},
        {Raw("compressed", {0, 10, 0, 0, 0, 0, 0, 0, 0, 5, 1}), ": damaged: CompressedLength is 0"},
        {Raw("plain", {0, 10, 0, 0, 0, 0, 0, 5, 0, 0, 1}), ": damaged: PlainLength is 0"},
        {Fifo("fifo"),
         ": damaged: 0 bytes, fewer than the 10 of a resource's header"}, // no writer: not waited for
    };
    for (const Case& c : cases) {
        DumpRun r = Run("--file '" + c.Path + "'");
        EXPECT_EQ(r.Exit, 1) << c.Path;
        EXPECT_EQ(r.Err, c.Path + c.Said + "\n");
    }
}

TEST_F(DumpTool, AnIndexRecordCutShortIsShownAndNamed) {
    // A whole record, then one whose text has no 0 byte: the stream ends inside it.
    std::string path =
        Resource("cut.bin", {0x01, 0x81, 0xCC, 0x01, 'b', 'a', 0x00, 0x03, 0x40, 0x01, 0x02, 'd', 'c'});
    DumpRun r = Run("--file '" + path + "' --index");
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Out.find("heading open large bold : "), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("# cut short at byte 7 (no 0 byte ends it): lesson 3 level=2 hidden : "),
              std::string::npos)
        << r.Out;
    EXPECT_EQ(r.Err, path + ": damaged: record 2 (at byte 7) is cut short: no 0 byte ends it\n");
}

TEST_F(DumpTool, ADumpTheCompilerWouldRefuseSaysWhy) {
    // First records without text: a reader may hold them, the compiler never makes them.
    std::string article = Resource("article.bin", {0xB1, 0x00, 0x00, 0xB1, 0x00, 'A', 0x00, 0x00});
    DumpRun r = Run("--file '" + article + "'");
    EXPECT_EQ(r.Exit, 1);
    EXPECT_FALSE(r.Out.empty());
    EXPECT_NE(r.Err.find(": this dump does not compile back: dump:"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("the first record needs text"), std::string::npos) << r.Err;
    std::string index = Resource(
        "index.bin", {0x01, 0x80, 0x81, 0x01, 0x00, 0x03, 0x80, 0x01, 0x02, 'a', 0x00, 0, 0, 0, 0, 0});
    r = Run("--file '" + index + "' --index");
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Err.find("the first record needs a text"), std::string::npos) << r.Err;
    // A whole text still dumps with status 0.
    EXPECT_EQ(Run("1").Exit, 0);
}

TEST_F(DumpTool, OutputThatCannotBeWrittenIsNoSuccess) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to stand for a full disk";
    // A text, its raw bytes and the statistics, each redirected to a full disk.
    for (const char* args : {"1", "--raw 1", "--stats"}) {
        DumpRun r = Run(args, "/dev/full");
        EXPECT_EQ(r.Exit, 3) << args;
        EXPECT_EQ(r.Err, "kestrova-dump: cannot write the output (No space left on device)\n") << args;
    }
}
