#include <gtest/gtest.h>

#include <stdexcept>

#include "services/AutomationRegistry.h"
#include "services/Conversations.h"

namespace qx::services {
namespace {

// Records what the registry reports ending.
struct TEndings {
    std::vector<TObjectId> Ended;
    int LastEnded = 0;
    void Attach(TAutomationRegistry& r) {
        r.OnObjectEnded = [this](TObjectId id) { Ended.push_back(id); };
        r.OnLastObjectEnded = [this] { ++LastEnded; };
    }
};

std::vector<std::string> Clients(const std::vector<TSink>& sinks) {
    std::vector<std::string> names;
    for (const TSink& s : sinks) names.push_back(s.Client);
    return names;
}

TEST(AutomationRegistry, ObjectsAreNumberedAndEachHasItsOwnSinksInAdviseOrder) {
    TAutomationRegistry r;
    const TObjectId a = r.Create(":1.1");
    const TObjectId b = r.Create(":1.1");
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_EQ(r.Advise(a, ":1.3"), 1u);
    EXPECT_EQ(r.Advise(a, ":1.2"), 2u);
    EXPECT_EQ(r.Advise(b, ":1.2"), 1u);  // cookies count per object
    EXPECT_EQ(r.Advise(a, ":1.4"), 3u);
    EXPECT_EQ(r.Advise(a, ":1.2"), 4u);  // a connection may advise twice
    EXPECT_EQ(r.Advise(99, ":1.2"), 0u);

    EXPECT_EQ(Clients(r.Sinks(a)), (std::vector<std::string>{":1.3", ":1.2", ":1.4", ":1.2"}));
    // Only the connection that advised a cookie may take it back.
    EXPECT_EQ(r.Unadvise(a, ":1.3", 2), TCallResult::NoConnection);
    EXPECT_EQ(r.Unadvise(a, ":1.2", 2), TCallResult::Ok);
    EXPECT_EQ(r.Unadvise(a, ":1.2", 2), TCallResult::NoConnection);
    EXPECT_EQ(r.Unadvise(7, ":1.2", 1), TCallResult::NoObject);
    EXPECT_EQ(Clients(r.Sinks(a)), (std::vector<std::string>{":1.3", ":1.4", ":1.2"}));
    EXPECT_EQ(r.Advise(a, ":1.5"), 5u);  // cookies are not given twice
    EXPECT_EQ(Clients(r.Sinks(b)), (std::vector<std::string>{":1.2"}));
}

TEST(AutomationRegistry, BroadcastSkipsSinksItCannotReachAndStopsAtAnException) {
    TAutomationRegistry r;
    const TObjectId a = r.Create(":1.1");
    int delivered = -1;
    int calls = 0;
    EXPECT_EQ(r.Broadcast(
                  a, [&](const TSink&) { return ++calls, true; }, &delivered),
              TCallResult::Ok);
    EXPECT_EQ(calls, 0);  // no sink: nothing sent, and no failure
    EXPECT_EQ(delivered, 0);

    for (const char* c : {":1.2", ":1.3", ":1.4"}) r.Advise(a, c);
    std::vector<std::string> reached;
    EXPECT_EQ(r.Broadcast(
                  a,
                  [&](const TSink& s) {
                      if (s.Client == ":1.3") return false;  // gone
                      reached.push_back(s.Client);
                      return true;
                  },
                  &delivered),
              TCallResult::Ok);
    EXPECT_EQ(reached, (std::vector<std::string>{":1.2", ":1.4"}));
    EXPECT_EQ(delivered, 2);

    reached.clear();
    EXPECT_THROW(r.Broadcast(a,
                             [&](const TSink& s) {
                                 reached.push_back(s.Client);
                                 if (s.Client == ":1.3") throw std::runtime_error("out of memory");
                                 return true;
                             }),
                 std::runtime_error);
    EXPECT_EQ(reached, (std::vector<std::string>{":1.2", ":1.3"}));
    EXPECT_EQ(r.Broadcast(42, [](const TSink&) { return true; }), TCallResult::NoObject);
}

TEST(AutomationRegistry, ReferencesAreCountedPerConnection) {
    TAutomationRegistry r;
    TEndings endings;
    endings.Attach(r);
    const TObjectId a = r.Create(":1.1");
    EXPECT_EQ(r.AddRef(a, ":1.2"), TCallResult::Ok);
    EXPECT_EQ(r.AddRef(a, ":1.2"), TCallResult::Ok);
    // A connection cannot release what it does not hold: the others'
    // references stay.
    EXPECT_EQ(r.Release(a, ":1.3"), TCallResult::NoReference);
    EXPECT_EQ(r.Release(a, ":1.1"), TCallResult::Ok);
    EXPECT_EQ(r.Release(a, ":1.1"), TCallResult::NoReference);
    EXPECT_EQ(r.Release(a, ":1.2"), TCallResult::Ok);
    EXPECT_TRUE(r.Exists(a));
    EXPECT_TRUE(endings.Ended.empty());
    EXPECT_EQ(r.Release(a, ":1.2"), TCallResult::Ok);
    EXPECT_FALSE(r.Exists(a));
    EXPECT_EQ(endings.Ended, std::vector<TObjectId>{a});
    EXPECT_EQ(endings.LastEnded, 1);
    EXPECT_EQ(r.Release(a, ":1.2"), TCallResult::NoObject);
    EXPECT_EQ(r.AddRef(a, ":1.2"), TCallResult::NoObject);
    EXPECT_EQ(r.Create(":1.1"), a + 1);  // numbers are not used again
}

TEST(AutomationRegistry, AConnectionThatGoesTakesItsReferencesAndSinksWithIt) {
    TAutomationRegistry r;
    TEndings endings;
    endings.Attach(r);
    const TObjectId mine = r.Create(":1.1");
    const TObjectId shared = r.Create(":1.1");
    const TObjectId theirs = r.Create(":1.2");
    r.AddRef(shared, ":1.2");
    r.AddRef(shared, ":1.1");
    r.Advise(theirs, ":1.1");
    r.Advise(theirs, ":1.2");
    r.Advise(theirs, ":1.1");
    EXPECT_TRUE(r.Knows(":1.1"));
    EXPECT_FALSE(r.Knows(":1.9"));

    r.ClientGone(":1.1");
    EXPECT_EQ(endings.Ended, std::vector<TObjectId>{mine});
    EXPECT_EQ(endings.LastEnded, 0);
    EXPECT_EQ(r.Objects(), (std::vector<TObjectId>{shared, theirs}));
    EXPECT_EQ(Clients(r.Sinks(theirs)), std::vector<std::string>{":1.2"});
    EXPECT_FALSE(r.Knows(":1.1"));

    r.ClientGone(":1.2");
    EXPECT_EQ(endings.Ended, (std::vector<TObjectId>{mine, shared, theirs}));
    EXPECT_EQ(endings.LastEnded, 1);
    EXPECT_EQ(r.ObjectCount(), 0u);
    r.ClientGone(":1.2");
    EXPECT_EQ(endings.LastEnded, 1);
}

TEST(Conversations, EachBelongsToItsConnectionAndAllEndInOpeningOrder) {
    TConversationList list;
    EXPECT_EQ(list.Open(":1.1", "System"), 1u);
    EXPECT_EQ(list.Open(":1.2", "Any"), 2u);
    EXPECT_EQ(list.Open(":1.1", ""), 3u);
    ASSERT_NE(list.Find(2, ":1.2"), nullptr);
    EXPECT_EQ(list.Find(2, ":1.2")->Topic, "Any");
    EXPECT_EQ(list.Find(2, ":1.1"), nullptr);
    EXPECT_FALSE(list.Close(2, ":1.1"));
    EXPECT_TRUE(list.Close(3, ":1.1"));
    EXPECT_FALSE(list.Close(3, ":1.1"));
    EXPECT_EQ(list.Open(":1.3", "Any"), 4u);

    list.ClientGone(":1.3");
    EXPECT_FALSE(list.Knows(":1.3"));
    const std::vector<TConversation> ended = list.TakeAll();
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[0].Id, 1u);
    EXPECT_EQ(ended[0].Client, ":1.1");
    EXPECT_EQ(ended[1].Id, 2u);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.TakeAll().empty());
}

}  // namespace
}  // namespace qx::services
