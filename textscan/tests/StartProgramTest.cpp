#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "textscan/StartProgram.h"

namespace qx {
namespace {

class StartProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "qx-start-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void WriteFile(const std::string& name, const std::string& text, mode_t mode) const {
        std::ofstream(Path(name)) << text;
        ASSERT_EQ(::chmod(Path(name).c_str(), mode), 0);
    }

    // The started program runs on its own: wait a bounded time for its work.
    static bool AppearsSoon(const std::string& path) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (::access(path.c_str(), F_OK) == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    static bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

    std::string dir_;
};

TEST_F(StartProgramTest, ReportsWhetherTheProcessStarted) {
    WriteFile("plain", "not a program\n", 0644);
    struct Case {
        std::string Line;
        bool Expected;
    };
    const Case cases[] = {
        {"/bin/true", true},
        {"true", true},  // found on PATH
        {"  \"/bin/true\"  \"a b\" c", true},
        {"/bin/false", true},  // started; its exit code is not our business
        {"/bin/true" + std::string(512 - 9, ' '), true},
        {"/bin/true" + std::string(513 - 9, ' '), false},
        {"", false},
        {"   ", false},
        {"\"\" x", false},
        {"qx-no-such-program-here", false},
        {"/qx/no/such/program", false},  // exec fails in the child
        {Path("plain"), false},          // not executable
        {dir_, false},                   // a directory
    };
    for (const auto& c : cases) EXPECT_EQ(StartProgram(c.Line), c.Expected) << '"' << c.Line << '"';
}

TEST_F(StartProgramTest, LeavesNoChildBehind) {
    ASSERT_TRUE(StartProgram("/bin/true"));
    ASSERT_FALSE(StartProgram("/qx/no/such/program"));
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(StartProgramTest, RunsWithArguments) {
    ASSERT_TRUE(StartProgram("touch \"" + Path("one") + "\""));
    EXPECT_TRUE(AppearsSoon(Path("one")));
}

TEST_F(StartProgramTest, QuotesGroupWordsWithBlanks) {
    ASSERT_TRUE(StartProgram("touch \"" + Path("a b") + "\" " + Path("c")));
    EXPECT_TRUE(AppearsSoon(Path("c")));
    EXPECT_TRUE(AppearsSoon(Path("a b")));
    EXPECT_FALSE(Exists(Path("a")));
}

TEST_F(StartProgramTest, LooksUpThePath) {
    WriteFile("qx-probe", "#!/bin/sh\ntouch \"$1\"\n", 0755);
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath != nullptr ? oldPath : "";
    ::setenv("PATH", (dir_ + ":" + saved).c_str(), 1);
    const bool started = StartProgram("qx-probe " + Path("probed"));
    ::setenv("PATH", saved.c_str(), 1);
    ASSERT_TRUE(started);
    EXPECT_TRUE(AppearsSoon(Path("probed")));
}

}  // namespace
}  // namespace qx
