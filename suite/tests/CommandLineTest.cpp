#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "suite/CommandLine.h"

namespace qx::suite {
namespace {

TCommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(CommandLine, ServeOptions) {
    const TCommandLine line =
        Parse({"--suite", "a.suite", "--setup-load-delay", "250", "--bus", "tcp:host=x,port=1"});
    EXPECT_TRUE(line.Error.empty()) << line.Error;
    EXPECT_EQ(line.Mode, TMode::Serve);
    EXPECT_EQ(line.SuiteFile, "a.suite");
    EXPECT_EQ(line.SetupLoadDelayMs, 250);
    EXPECT_EQ(line.BusAddress, "tcp:host=x,port=1");
    EXPECT_EQ(Parse({}).Mode, TMode::Serve);
    EXPECT_FALSE(Parse({}).SetupLoadDelayMs.has_value());
}

TEST(CommandLine, Commands) {
    struct Case {
        std::vector<std::string> args;
        TMode mode;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {{"--emit", "rtu", "$REALTIME", "05/12/2009 10:15:00,A.B,1"},
         TMode::Emit,
         {"rtu", "$REALTIME", "05/12/2009 10:15:00,A.B,1"}},
        {{"--refresh"}, TMode::Refresh, {}},
        {{"--refresh", "{X}"}, TMode::Refresh, {"{X}"}},
        {{"--refresh", "--bus", "unix:path=/x"}, TMode::Refresh, {}},
        {{"--shutdown", "MBRTU"}, TMode::Shutdown, {"MBRTU"}},
        {{"--bus", "unix:path=/x", "--quit"}, TMode::Quit, {}},
        {{"--help"}, TMode::Help, {}},
    };
    for (const Case& c : cases) {
        const TCommandLine line = Parse(c.args);
        EXPECT_TRUE(line.Error.empty()) << c.args[0] << ": " << line.Error;
        EXPECT_EQ(line.Mode, c.mode) << c.args[0];
        EXPECT_EQ(line.Arguments, c.arguments) << c.args[0];
    }
}

TEST(CommandLine, BadUse) {
    const std::vector<std::string> cases[] = {
        {"--suite"},
        {"--setup-load-delay", "soon"},
        {"--setup-load-delay", "-1"},
        {"--emit", "rtu", "$REALTIME"},
        {"--emit", "pager", "$REALTIME", "x"},
        {"--shutdown"},
        {"--shutdown", "pager"},
        {"--quit", "--refresh"},
        {"--emit", "rtu", "T", "x", "--quit"},
        {"--suite", "a.suite", "--quit"},
        {"--verbose"},
        {"demo.suite"},
    };
    for (const auto& args : cases) EXPECT_FALSE(Parse(args).Error.empty()) << args[0];
}

}  // namespace
}  // namespace qx::suite
