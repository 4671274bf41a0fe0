// The reader's own options: what they print, what they leave for the platform, and the settings
// file --registry selects.
#include "ReaderOptions.h"
#include "platform/Win32Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs the options over args (the program name is added) with captured output.
struct OptionsRun {
    bool Exits = false;
    int ExitCode = -1;
    std::vector<std::string> Left; // what the platform gets, without the program name
    std::string Out, Err;
};

std::string ReadAll(FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += char(c);
    std::fclose(file);
    return text;
}

OptionsRun RunOptions(std::vector<std::string> args) {
    args.insert(args.begin(), "kestrova");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = int(args.size());
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    OptionsRun run;
    run.Exits = ReaderHandleOptionsTo(&argc, argv.data(), &run.ExitCode, out, err);
    if (!run.Exits) {
        EXPECT_EQ(argv[argc], nullptr);
        for (int i = 1; i < argc; ++i)
            run.Left.push_back(argv[i]);
    }
    run.Out = ReadAll(out);
    run.Err = ReadAll(err);
    return run;
}

using Args = std::vector<std::string>;

} // namespace

TEST(ReaderOptions, HelpAndVersionPrintToStandardOutputAndSucceed) {
    OptionsRun help = RunOptions({"--headless", "--help"});
    EXPECT_TRUE(help.Exits);
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_EQ(help.Err, "");
    for (const char* option :
         {"--help", "--version", "--registry FILE", "--headless", "--script FILE", "-e '"})
        EXPECT_NE(help.Out.find(option), std::string::npos) << option;

    OptionsRun version = RunOptions({"--version"});
    EXPECT_TRUE(version.Exits);
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, "kestrova " KESTROVA_VERSION "\n");
    EXPECT_EQ(std::string(ReaderVersionText()) + "\n", version.Out);
}

TEST(ReaderOptions, AFailedWriteToStandardOutputIsNotSuccess) {
    FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    std::string program = "kestrova", option = "--help";
    char* argv[] = {program.data(), option.data(), nullptr};
    int argc = 2, code = -1;
    EXPECT_TRUE(ReaderHandleOptionsTo(&argc, argv, &code, full, stderr));
    EXPECT_EQ(code, 1);
    std::fclose(full);
}

TEST(ReaderOptions, EverythingElseIsLeftForThePlatformInOrder) {
    OptionsRun run =
        RunOptions({"--headless", "--script", "--help", "-e", "--version; quit", "/today", "--later", "x"});
    EXPECT_FALSE(run.Exits);
    EXPECT_EQ(run.Left,
              (Args{"--headless", "--script", "--help", "-e", "--version; quit", "/today", "--later", "x"}));
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(RunOptions({}).Left, Args{});
    // A value-taking option at the very end has no value to protect; the platform reports it.
    EXPECT_EQ(RunOptions({"-e"}).Left, Args{"-e"});
    EXPECT_EQ(RunOptions({"--registryfile"}).Left, Args{"--registryfile"});
    // After "--" nothing is an option of the reader's.
    EXPECT_EQ(RunOptions({"--headless", "--", "--help", "--registry"}).Left,
              (Args{"--headless", "--", "--help", "--registry"}));
}

TEST(ReaderOptions, RegistryWithoutAFileIsAUsageError) {
    for (const Args& args : {Args{"--registry"}, Args{"--registry="}, Args{"--registry", ""}}) {
        OptionsRun run = RunOptions(args);
        EXPECT_TRUE(run.Exits);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_NE(run.Err.find("--registry needs a file name"), std::string::npos);
        EXPECT_EQ(run.Out, "");
    }
}

// --registry FILE, relative to the current folder, is where the next registry write goes, for
// both spellings, and a later reset without a path keeps it.
TEST(ReaderOptions, RegistrySelectsTheSettingsFile) {
    std::string folder = testing::TempDir() + "kestrova-options-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    const char* saved = getenv("KESTROVA_REGISTRY");
    std::string savedValue = saved ? saved : "";

    for (const Args& args :
         {Args{"--registry", "one.reg", "--headless"}, Args{"--headless", "--registry=two.reg"}}) {
        OptionsRun run = RunOptions(args);
        EXPECT_FALSE(run.Exits);
        EXPECT_EQ(run.Left, Args{"--headless"});
    }
    std::string expected = folder + "/two.reg";
    EXPECT_STREQ(getenv("KESTROVA_REGISTRY"), expected.c_str());
    ASSERT_EQ(chdir(previous), 0); // the path was made absolute when given
    PlatformResetRegistry(nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Test", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD value = 7;
    EXPECT_EQ(
        RegSetValueExW(key, u"Seven", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
        ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    struct stat info {};
    EXPECT_EQ(stat(expected.c_str(), &info), 0);
    EXPECT_NE(stat((folder + "/one.reg").c_str(), &info), 0);

    if (saved)
        setenv("KESTROVA_REGISTRY", savedValue.c_str(), 1);
    else
        unsetenv("KESTROVA_REGISTRY");
    PlatformResetRegistry(nullptr);
    std::remove(expected.c_str());
    rmdir(folder.c_str());
}
