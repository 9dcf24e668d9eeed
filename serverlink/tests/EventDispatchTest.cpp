#include <gtest/gtest.h>

#include <vector>

#include "serverlink/EventDispatch.h"

namespace qx {
namespace {

using suite::TServer;
using Strings = std::vector<std::string>;

// Records the actions asked for, with the buffer as it was at that moment.
class RecordingHandler : public IServerEventHandler {
public:
    TEventBuffer& EventBuffer() override { return buffer; }
    void DecodeDataMessage() override { Record("decode"); }
    void HandleRefreshRequest() override { Record("refresh"); }
    void HandleShutdownRequest() override { Record("shutdown"); }
    void HandleServerShutdown(TServer server) override {
        actions.push_back("server shutdown " + std::string(suite::Names(server).Key));
    }

    void Record(const std::string& action) {
        actions.push_back(action + " " + buffer.EventSourceId + "|" + buffer.EventMessageType +
                          "|" + buffer.EventText);
    }

    TEventBuffer buffer{"old-sender", "old-type", "old-text"};
    Strings actions;
};

const TSetupValue Sender = std::string("{SENDER}");
const TSetupValue Type = std::string("$REALTIME");
const TSetupValue Text = std::string("05/12/2009 10:15:00,ST1.AIR,1");

struct Case {
    int id;
    TSetupValues arguments;
    Strings actions;
    TEventBuffer buffer;  // afterwards
};

TEST(SetupEventDispatch, EachIdActsOnItsArguments) {
    const Case cases[] = {
        {1, {Sender}, {"refresh {SENDER}|old-type|old-text"}, {"{SENDER}", "old-type", "old-text"}},
        {2,
         {Sender, Type},
         {"refresh {SENDER}|old-type|old-text"},
         {"{SENDER}", "old-type", "old-text"}},
        {3,
         {Sender},
         {"shutdown {SENDER}|old-type|old-text"},
         {"{SENDER}", "old-type", "old-text"}},
        {4, {Sender}, {}, {"{SENDER}", "old-type", "old-text"}},
        {5,
         {Sender, Type, Text},
         {"decode {SENDER}|$REALTIME|05/12/2009 10:15:00,ST1.AIR,1"},
         {"{SENDER}", "$REALTIME", "05/12/2009 10:15:00,ST1.AIR,1"}},
        // Text from any scalar: a numeric sender is still a sender.
        {1, {std::int64_t{7}}, {"refresh 7|old-type|old-text"}, {"7", "old-type", "old-text"}},
        // Too few arguments, unknown ids, values that are not scalars: ignored.
        {1, {}, {}, {"old-sender", "old-type", "old-text"}},
        {3, {}, {}, {"old-sender", "old-type", "old-text"}},
        {5, {Sender, Type}, {}, {"old-sender", "old-type", "old-text"}},
        {1, {TUnconvertible{}}, {}, {"old-sender", "old-type", "old-text"}},
        {5, {Sender, Type, TUnconvertible{}}, {}, {"old-sender", "old-type", "old-text"}},
        {0, {Sender}, {}, {"old-sender", "old-type", "old-text"}},
        {6, {Sender, Type, Text}, {}, {"old-sender", "old-type", "old-text"}},
        {-1, {Sender}, {}, {"old-sender", "old-type", "old-text"}},
    };
    int row = 0;
    for (const Case& c : cases) {
        RecordingHandler handler;
        DispatchSetupEvent(c.id, c.arguments, handler);
        EXPECT_EQ(handler.actions, c.actions) << "row " << row;
        EXPECT_EQ(handler.buffer.EventSourceId, c.buffer.EventSourceId) << "row " << row;
        EXPECT_EQ(handler.buffer.EventMessageType, c.buffer.EventMessageType) << "row " << row;
        EXPECT_EQ(handler.buffer.EventText, c.buffer.EventText) << "row " << row;
        ++row;
    }
}

TEST(DataServerEventDispatch, DataAndShutdownOfEachServer) {
    for (TServer server : {TServer::Decode, TServer::Rtu, TServer::ZOViz}) {
        const std::string key(suite::Names(server).Key);
        const Case cases[] = {
            {1,
             {Sender, Type, Text, std::string("extra")},
             {"decode {SENDER}|$REALTIME|05/12/2009 10:15:00,ST1.AIR,1"},
             {"{SENDER}", "$REALTIME", "05/12/2009 10:15:00,ST1.AIR,1"}},
            {2, {}, {"server shutdown " + key}, {"old-sender", "old-type", "old-text"}},
            {2,
             {TUnconvertible{}},
             {"server shutdown " + key},
             {"old-sender", "old-type", "old-text"}},
            {1, {Sender, Type}, {}, {"old-sender", "old-type", "old-text"}},
            {1, {Sender, TUnconvertible{}, Text}, {}, {"old-sender", "old-type", "old-text"}},
            {5, {Sender, Type, Text}, {}, {"old-sender", "old-type", "old-text"}},
            {3, {}, {}, {"old-sender", "old-type", "old-text"}},
        };
        int row = 0;
        for (const Case& c : cases) {
            RecordingHandler handler;
            DispatchDataServerEvent(server, c.id, c.arguments, handler);
            EXPECT_EQ(handler.actions, c.actions) << key << " row " << row;
            EXPECT_EQ(handler.buffer.EventSourceId, c.buffer.EventSourceId)
                << key << " row " << row;
            EXPECT_EQ(handler.buffer.EventText, c.buffer.EventText) << key << " row " << row;
            ++row;
        }
    }
}

}  // namespace
}  // namespace qx
