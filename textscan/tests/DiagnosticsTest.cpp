#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "textscan/Diagnostics.h"

namespace qx {
namespace {

struct Report {
    std::string category;
    std::string where;
    std::string what;
};

std::vector<Report>& Reports() {
    static std::vector<Report> reports;
    return reports;
}

void Record(const char* category, const char* where, const char* what) {
    Reports().push_back({category, where, what});
}

class DiagnosticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reports().clear();
        previous_ = SetCaughtSink(&Record);
    }
    void TearDown() override { SetCaughtSink(previous_); }

private:
    TCaughtSink previous_ = nullptr;
};

TEST_F(DiagnosticsTest, SinkReceivesCategoryPlaceAndExceptionText) {
    try {
        throw std::invalid_argument("bad key");
    } catch (...) {
        LogCaught(diagnostics::Pages, "LoadKeys");
    }
    try {
        throw std::runtime_error("no answer");
    } catch (const std::exception&) {
        LogCaught(diagnostics::ServerLink, "Query");
    }
    try {
        throw 42;
    } catch (...) {
        LogCaught(diagnostics::TextScan, "Start");
    }
    ASSERT_EQ(Reports().size(), 3u);
    EXPECT_EQ(Reports()[0].category, "qx.pages");
    EXPECT_EQ(Reports()[0].where, "LoadKeys");
    EXPECT_EQ(Reports()[0].what, "bad key");
    EXPECT_EQ(Reports()[1].category, "qx.serverlink");
    EXPECT_EQ(Reports()[1].what, "no answer");
    EXPECT_EQ(Reports()[2].what, "an exception not derived from std::exception");
}

TEST_F(DiagnosticsTest, ReportsTheInnermostHandledExceptionAndNothingOutsideOne) {
    try {
        throw std::runtime_error("outer");
    } catch (...) {
        try {
            throw std::runtime_error("inner");
        } catch (...) {
            LogCaught(diagnostics::Suite, "inner");
        }
        LogCaught(diagnostics::Suite, "outer");
    }
    LogCaught(diagnostics::Suite, "none");
    ASSERT_EQ(Reports().size(), 3u);
    EXPECT_EQ(Reports()[0].what, "inner");
    EXPECT_EQ(Reports()[1].what, "outer");
    EXPECT_EQ(Reports()[2].what, "");
}

TEST_F(DiagnosticsTest, SetCaughtSinkReturnsThePreviousSink) {
    EXPECT_EQ(SetCaughtSink(nullptr), &Record);
    // The default sink is silent without QX_DEBUG_CAUGHT and must not fail.
    try {
        throw std::runtime_error("dropped");
    } catch (...) {
        LogCaught(diagnostics::Readings, "default");
    }
    EXPECT_EQ(SetCaughtSink(&Record), nullptr);
    EXPECT_TRUE(Reports().empty());
}

}  // namespace
}  // namespace qx
