#include <gtest/gtest.h>

#include <sstream>

#include "textscan/Regional.h"
#include "tools/qxtext/QxText.h"

namespace qx {
namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun Qx(std::vector<std::string> args, const std::string& input = "") {
    ScopedRegional keep('/', ':');  // the tool sets separators; restore after
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunQxText(args, in, out, err);
    return {status, out.str(), err.str()};
}

TEST(QxText, ScanPrintsTypedOutputsPositionAndResult) {
    struct Case {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {{"scan", "%P%P", "ABC,DEF"}, "text\tABC\ntext\tDEF\nposition\t8\nresult\ttrue\n"},
        {{"scan", "%s.%P%P", "ST1.AIR,12.5,ST2.X,1", "14"},
         "text\tST2\ntext\tX\ntext\t1\nposition\t21\nresult\ttrue\n"},
        {{"scan", "%c%b%W%I%E%x", "Ayes7,-3,0.1,0.1"},
         "char\tA\nbool\ttrue\nu16\t7\ni32\t-3\nf32\t0.1\nf64\t0.1\nposition\t17\nresult\ttrue\n"},
        {{"scan", "%[%B%]%c", "maybe"}, "bool\tfalse\nchar\t\\0\nposition\t6\nresult\ttrue\n"},
        {{"scan", "%s\\t%p", "a\\tb\\\\c"}, "text\ta\ntext\tb\\\\c\nposition\t6\nresult\ttrue\n"},
        {{"--date-sep", ".", "scan", "%J", "05.12.2009 10:15:00"},
         "i32\t768824100\nposition\t20\nresult\ttrue\n"},
        {{"scan", "%W", "70000"}, "u16\t0\nposition\t6\nresult\tfalse\n"},
    };
    for (const Case& c : cases) {
        const ToolRun r = Qx(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[1];
    }
}

TEST(QxText, FormatConvertsValuesByTheirDirectives) {
    struct Case {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {{"format", "%P%P", "a", "b"}, "a,b\n"},
        {{"format", "%p%p", "a", "b"}, "ab\n"},
        {{"format", "%05l|%b|%c", "-42", "yes", "x"}, "-0042|Yes|x\n"},
        {{"format", "%J%n", "768824100"}, "05/12/2009 10:15:00\\r\\n\n"},
        {{"--time-sep", "-", "format", "%t", "-5400"}, "-01-30-00\n"},
        {{"format", "%.10r", "1.5"}, "1.5\n"},
    };
    for (const Case& c : cases) {
        const ToolRun r = Qx(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[1];
    }
}

TEST(QxText, DecodePrintsReadingsAndLookups) {
    const std::string input =
        "rtu\t$realtime\t05/12/2009 10:15:00,ST1.AIR,12.5,ST1.AIR:2,7,ST2.X:2,1\n"
        "\n"
        "app\t$REALTIME\t05/12/2009 10:15:00,ST1.AIR,1\n"
        "{634CE680-AC8D-489F-9074-C6FBBB996B52}\t$CURRENT\t05/12/2009 10:15:00,A.B,x\\ty\n";
    const ToolRun r =
        Qx({"decode", "--setup", "TAGINFO:ST1,AIR=WIND", "--setup-fail", "TAGINFO:ST2,X"}, input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "reading\tST1\tAIR\t$REALTIME\t2009-05-12 10:15:00\t12.5\n"
              "lookup\tTAGINFO:ST1,AIR\n"
              "secondary\tST1\tWIND\t$REALTIME\t2009-05-12 10:15:00\t7\n"
              "lookup\tTAGINFO:ST2,X\n"
              "secondary\tST2\tX\t$REALTIME\t2009-05-12 10:15:00\t1\n"
              "reading\tA\tB\t$CURRENT\t2009-05-12 10:15:00\tx\\ty\n");
}

TEST(QxText, BadUseGivesOneLineErrorAndStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"scan"},
        {"scan", "%P"},
        {"scan", "%P", "x", "notanumber"},
        {"scan", "%P", "x", "1", "extra"},
        {"format", "%i", "abc"},
        {"format", "%i"},
        {"format", "%i", "1", "2"},
        {"format", "%c", "xy"},
        {"format", "%b", "maybe"},
        {"format", "%r", "1.5.5"},
        {"frobnicate"},
        {"scan", "%P", "x", "--date-sep"},
        {"scan", "%P", "x", "--date-sep", "ab"},
        {"scan", "%P", "x", "--bogus", "1"},
        {"decode", "--setup", "noequals"},
        {"scan", "%P", "x", "--setup", "a=b"},
    };
    for (const auto& args : cases) {
        const ToolRun r = Qx(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_TRUE(r.out.empty());
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
    const ToolRun malformed = Qx({"decode"}, "rtu\t$REALTIME 05/12/2009 10:15:00,A.B,1\n");
    EXPECT_EQ(malformed.status, 2);
    EXPECT_NE(malformed.err.find("line 1"), std::string::npos);
}

}  // namespace
}  // namespace qx
