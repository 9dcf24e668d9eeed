#include <gtest/gtest.h>

#include "serverlink/ServerHealth.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

using suite::TServer;

const TDateTime kLostAt = EncodeDateTime({2026, 12, 10, 13, 20, 59});

class ServerHealthTest : public testing::Test {
protected:
    ScopedRegional regional{'/', ':'};
    TDateTime now = kLostAt;
    TServerHealth health{[this] { return now; }};
};

TEST_F(ServerHealthTest, OnlyAnAttachedServerCanBeLostAndTheLossKeepsItsTime) {
    EXPECT_FALSE(health.NameLost(TServer::Rtu));  // never attached: nothing to report
    EXPECT_EQ(health.Status(TServer::Rtu).State, THealthState::Unused);

    health.SetAttached(TServer::Rtu);
    EXPECT_TRUE(health.NameLost(TServer::Rtu));
    EXPECT_EQ(health.Status(TServer::Rtu).State, THealthState::Lost);
    EXPECT_EQ(health.Status(TServer::Rtu).Since, kLostAt);
    now += 1.0 / 24;
    EXPECT_FALSE(health.NameLost(TServer::Rtu));  // reported once
    // A Refresh that finds it still missing keeps the time of the loss.
    health.SetNotRunning(TServer::Rtu);
    EXPECT_EQ(health.Status(TServer::Rtu).State, THealthState::Lost);
    EXPECT_EQ(health.Status(TServer::Rtu).Since, kLostAt);
    EXPECT_TRUE(health.WantsAttach(TServer::Rtu));

    health.SetAttached(TServer::Rtu);
    EXPECT_FALSE(health.WantsAttach(TServer::Rtu));
    EXPECT_TRUE(health.NameLost(TServer::Rtu));
    EXPECT_EQ(health.Status(TServer::Rtu).Since, now);
    // The servers are kept apart.
    EXPECT_EQ(health.Status(TServer::Decode).State, THealthState::Unused);
}

TEST_F(ServerHealthTest, AShutdownIsNoLossAndWhoIsAttachedAgainWhenItAppears) {
    health.SetAttached(TServer::Decode);
    health.ShutDown(TServer::Decode);
    EXPECT_EQ(health.Status(TServer::Decode).State, THealthState::NotRunning);
    EXPECT_FALSE(health.NameLost(TServer::Decode));  // its name goes after the goodbye

    const struct {
        void (TServerHealth::*set)(TServer);
        bool wanted;
    } cases[] = {
        {&TServerHealth::SetUnused, false},
        {&TServerHealth::SetAttached, false},
        {&TServerHealth::SetNotRunning, true},
        {&TServerHealth::SetFailed, true},
    };
    for (const auto& c : cases) {
        TServerHealth fresh;
        (fresh.*c.set)(TServer::ZOViz);
        EXPECT_EQ(fresh.WantsAttach(TServer::ZOViz), c.wanted)
            << static_cast<int>(fresh.Status(TServer::ZOViz).State);
    }
}

TEST_F(ServerHealthTest, IndicatorTextsForEveryState) {
    const struct {
        TServer server;
        TServerStatus status;
        const char* text;
        const char* accessible;
        const char* tipStart;
    } cases[] = {
        {TServer::Setup,
         {THealthState::Attached, 0},
         "Setup: attached",
         "QX Setup server: attached",
         "The QX Setup server is attached."},
        {TServer::Rtu,
         {THealthState::Attached, 0},
         "Rtu: attached",
         "QX Rtu server: attached",
         "The QX Rtu server is attached; its readings arrive."},
        {TServer::Decode,
         {THealthState::NotRunning, 0},
         "Decode: not running",
         "QX Decode server: not running",
         "The QX Decode server is not running. When it starts, it is attached by itself."},
        {TServer::Setup,
         {THealthState::NotRunning, 0},
         "Setup: not running",
         "QX Setup server: not running",
         "The QX Setup server is not running. When it starts, the setup is read again by itself."},
        {TServer::ZOViz,
         {THealthState::Failed, 0},
         "ZOViz: not attached",
         "QX ZOViz server: not attached",
         "The QX ZOViz server runs but could not be attached."},
        {TServer::ZOViz,
         {THealthState::Unused, 0},
         "ZOViz: not used",
         "QX ZOViz server: not used",
         "The QX ZOViz server is not used"},
        {TServer::Rtu,
         {THealthState::Lost, kLostAt},
         "Rtu: lost since 13:20:59",
         "QX Rtu server: lost since 13:20:59",
         "The QX Rtu server left the bus at 13:20:59 on 12/10/2026; the rows it fed are grey"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IndicatorText(c.server, c.status), c.text);
        EXPECT_EQ(IndicatorAccessibleName(c.server, c.status), c.accessible);
        const std::string tip = IndicatorToolTip(c.server, c.status);
        EXPECT_EQ(tip.rfind(c.tipStart, 0), 0u) << tip;
    }
    // The regional time separator.
    ScopedRegional dots{'-', '.'};
    EXPECT_EQ(IndicatorText(TServer::Rtu, {THealthState::Lost, kLostAt}),
              "Rtu: lost since 13.20.59");
}

TEST(ServerHealthMessages, AreNumberedWhereTheyReportAnError) {
    EXPECT_EQ(ServerGoneMessage(TServer::Rtu), "Error 1100: The QX Rtu server has gone away");
    EXPECT_EQ(ServerGoneMessage(TServer::Setup), "Error 1100: The QX Setup server has gone away");
    EXPECT_EQ(ServerBackMessage(TServer::ZOViz),
              "The QX ZOViz server is back: attached and subscribed again");
    EXPECT_EQ(ServerBackMessage(TServer::Setup),
              "The QX Setup server is back: its setup is read again");
    EXPECT_EQ(ServerBackFailedMessage(TServer::Decode),
              "Error 1101: The QX Decode server is back but could not be attached");
    EXPECT_EQ(ReadingServerOf(TServer::Setup), TReadingServer::None);
    EXPECT_EQ(ReadingServerOf(TServer::ZOViz), TReadingServer::ZOViz);
}

}  // namespace
}  // namespace qx
