#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace qx {
namespace {

// The program's options are taken out; everything else stays for Qt and the
// window, in order, the program name first.
TEST(CommandLine, TakesItsOwnOptionsAndLeavesTheRest) {
    const struct {
        std::vector<std::string> args;
        bool help, version, trace;
        std::vector<std::string> rest;
    } cases[] = {
        {{"qx"}, false, false, false, {"qx"}},
        {{"qx", "--help"}, true, false, false, {"qx"}},
        {{"qx", "-h"}, true, false, false, {"qx"}},
        {{"qx", "--version"}, false, true, false, {"qx"}},
        {{"qx", "--trace", "DEBUG"}, false, false, true, {"qx", "DEBUG"}},
        {{"qx", "debug", "--trace", "-platform", "offscreen"},
         false,
         false,
         true,
         {"qx", "debug", "-platform", "offscreen"}},
        {{"qx", "--traced", "--HELP"}, false, false, false, {"qx", "--traced", "--HELP"}},
        {{"--help"}, false, false, false, {"--help"}},  // the program's own name
    };
    for (const auto& c : cases) {
        std::vector<std::string> storage = c.args;
        std::vector<char*> argv;
        for (std::string& a : storage) argv.push_back(a.data());
        argv.push_back(nullptr);
        const TCommandLine line = ParseCommandLine(static_cast<int>(storage.size()), argv.data());
        const std::string what = c.args.back();
        EXPECT_EQ(line.Help, c.help) << what;
        EXPECT_EQ(line.Version, c.version) << what;
        EXPECT_EQ(line.Trace, c.trace) << what;
        ASSERT_EQ(line.Rest.size(), c.rest.size() + 1) << what;
        EXPECT_EQ(line.Rest.back(), nullptr);
        for (std::size_t i = 0; i < c.rest.size(); ++i) EXPECT_EQ(line.Rest[i], c.rest[i]) << what;
    }
}

TEST(CommandLine, UsageNamesEveryOptionAndVersionTheProgram) {
    const std::string usage = UsageText("qxrirovozer");
    for (const char* word : {"Usage: qxrirovozer", "--help", "--version", "--trace", "DEBUG"})
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    EXPECT_EQ(usage.back(), '\n');
    EXPECT_EQ(VersionText("1.0.0.7"), "QX RIRovozer 1.0.0.7\n");
}

}  // namespace
}  // namespace qx
