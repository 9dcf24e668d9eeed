#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "protocol/Identifiers.h"
#include "serverlink/DataDecoder.h"
#include "serverlink/SetupLookup.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

std::string Stamp(TDateTime time) {
    const TDateTimeParts p = DecodeDateTime(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
    return text;
}

// Records every reading it is shown, as one line of text.
class RecordingPage : public IReadingSink {
public:
    explicit RecordingPage(std::vector<std::string>& log, std::string name)
        : log_(log), name_(std::move(name)) {}
    void ShowReading(const SensorReading& r) override { Record("reading", r); }
    void ShowSecondaryReading(const SensorReading& r) override { Record("secondary", r); }

protected:
    void Record(const char* kind, const SensorReading& r) {
        log_.push_back(name_ + " " + kind + " " + r.Station + "|" + r.Sensor + "|" + r.Source +
                       "|" + Stamp(r.Time) + "|" + r.Value);
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

// Throws for readings of one sensor.
class ThrowingPage : public RecordingPage {
public:
    using RecordingPage::RecordingPage;
    void ShowReading(const SensorReading& r) override {
        if (r.Sensor == "BAD") throw std::runtime_error("page failure");
        RecordingPage::ShowReading(r);
    }
};

class Pages : public IPageList {
public:
    int PageCount() const override { return static_cast<int>(pages.size()); }
    IReadingSink* Page(int i) const override { return pages[static_cast<std::size_t>(i)].get(); }
    std::vector<std::unique_ptr<IReadingSink>> pages;
};

class FakeSetup : public ISetupLookup {
public:
    bool LookupSetupValue(const std::string& key, const std::string& p1, const std::string& p2,
                          const std::string& p3, std::string& answer) override {
        const std::string request = BuildSetupRequest(key, p1, p2, p3);
        requests.push_back(request);
        return lookup.LookupSetupValue(key, p1, p2, p3, answer);
    }
    std::map<std::string, std::string> answers;
    std::vector<std::string> requests;
    bool fail = false;

private:
    TSetupQueryLookup lookup{[this](const std::string& request) -> std::string {
        if (fail) throw std::runtime_error("setup server gone");
        const auto it = answers.find(request);
        return it == answers.end() ? std::string() : it->second;
    }};
};

class Decoder : public testing::Test {
protected:
    Decoder() {
        pages.pages.push_back(std::make_unique<RecordingPage>(log, "p0"));
        pages.pages.push_back(std::make_unique<RecordingPage>(log, "p1"));
    }
    std::vector<std::string> Decode(std::string_view sender, std::string type, std::string text) {
        log.clear();
        decoder.Buffer = {std::string(sender), std::move(type), std::move(text)};
        decoder.DecodeDataMessage();
        return log;
    }
    // Only page 0's lines, for cases where both pages see the same.
    std::vector<std::string> First(const std::vector<std::string>& lines) {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.rfind("p0 ", 0) == 0) out.push_back(l.substr(3));
        return out;
    }

    ScopedRegional regional{'/', ':'};
    std::vector<std::string> log;
    Pages pages;
    FakeSetup setup;
    TDataDecoder decoder{std::string(IID_IQXRTDCom), pages, setup};
};

using Lines = std::vector<std::string>;

TEST_F(Decoder, RecordsBecomeReadingsForEveryPageInOrder) {
    EXPECT_EQ(
        Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,ST1.AIR,12.5,ST1.BATT,13.1"),
        (Lines{"p0 reading ST1|AIR|$REALTIME|2009-05-12 10:15:00|12.5",
               "p1 reading ST1|AIR|$REALTIME|2009-05-12 10:15:00|12.5",
               "p0 reading ST1|BATT|$REALTIME|2009-05-12 10:15:00|13.1",
               "p1 reading ST1|BATT|$REALTIME|2009-05-12 10:15:00|13.1"}));
}

TEST_F(Decoder, MessagesTable) {
    struct Case {
        std::string_view sender;
        const char* type;
        const char* text;
        Lines readings;  // page 0's lines
    } cases[] = {
        {IID_IQXDecodeCom,
         "$realtime",
         "05/12/2009 10:15:00,A.B,1",
         {"reading A|B|$REALTIME|2009-05-12 10:15:00|1"}},
        {IID_IQXMBRTUDataCOM,
         "$GoesTimed",
         "05/12/2009 10:15:00,A.B,1",
         {"reading A|B|$GOESTIMED|2009-05-12 10:15:00|1"}},
        {IID_IQXRtuDataCOM, "$STATUS", "05/12/2009 10:15:00,A.B,1", {}},
        {IID_IQXRtuDataCOM, "", "05/12/2009 10:15:00,A.B,1", {}},
        {IID_IQXRTDCom, "$REALTIME", "05/12/2009 10:15:00,A.B,1", {}},
        {"{634ce680-ac8d-489f-9074-c6fbbb996b52}", "$REALTIME", "05/12/2009 10:15:00,A.B,1", {}},
        {IID_IQXSetupCom, "$REALTIME", "05/12/2009 10:15:00,A.B,1", {}},
        {"", "$REALTIME", "05/12/2009 10:15:00,A.B,1", {}},
        {IID_IQXRtuDataCOM,
         "$TIMETAG",
         "05/12/2009 10:15:00.25 UTC,ST1.AIR,1",
         {"reading ST1|AIR|$TIMETAG|2009-05-12 10:15:00|1"}},
        {IID_IQXRtuDataCOM, "$CURRENT", "05/12/2009 10:15:00", {}},
        {IID_IQXRtuDataCOM, "$CURRENT", "05/12/2009 10:15:00,", {}},
        {IID_IQXRtuDataCOM,
         "$GOESRANDOM",
         "5/1/2009 7:05:09,A.B,1",
         {"reading A|B|$GOESRANDOM|2009-05-01 07:05:09|1"}},
        {IID_IQXRtuDataCOM,
         "$REALTIME",
         "05/12/09 10:15:00,A.B,1",
         {"reading A|B|$REALTIME|1984-12-31 10:15:00|1"}},
        {IID_IQXRtuDataCOM, "$REALTIME", "05/12 10:15:00,A.B,1", {}},
        {IID_IQXRtuDataCOM, "$REALTIME", "", {}},
        {IID_IQXRtuDataCOM,
         "$REALTIME",
         "05/12/2009 10:15:00,ST1.AIR,1,garbage",
         {"reading ST1|AIR|$REALTIME|2009-05-12 10:15:00|1",
          "reading garbage||$REALTIME|2009-05-12 10:15:00|"}},
        {IID_IQXRtuDataCOM,
         "$REALTIME",
         "05/12/2009 10:15:00,A.B,1,\r\n",
         {"reading A|B|$REALTIME|2009-05-12 10:15:00|1",
          "reading \r\n||$REALTIME|2009-05-12 10:15:00|"}},
        {IID_IQXRtuDataCOM,
         "$REALTIME",
         "05/12/2009 10:15:00,A.B,,C.D,x y",
         {"reading A|B|$REALTIME|2009-05-12 10:15:00|",
          "reading C|D|$REALTIME|2009-05-12 10:15:00|x y"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(First(Decode(c.sender, c.type, c.text)), c.readings) << c.type << " " << c.text;
    }
}

// Records which server each reading came from.
class ServerPage : public IReadingSink {
public:
    void ShowReading(const SensorReading& r) override { servers.push_back(r.Server); }
    void ShowSecondaryReading(const SensorReading& r) override { servers.push_back(r.Server); }
    std::vector<TReadingServer> servers;
};

TEST_F(Decoder, EveryReadingKnowsTheDataServerWhoseIdentifierItCameWith) {
    auto page = std::make_unique<ServerPage>();
    ServerPage& seen = *page;
    pages.pages.clear();
    pages.pages.push_back(std::move(page));
    const struct {
        std::string_view sender;
        TReadingServer server;
    } cases[] = {{IID_IQXDecodeCom, TReadingServer::Decode},
                 {IID_IQXRtuDataCOM, TReadingServer::Rtu},
                 {IID_IQXMBRTUDataCOM, TReadingServer::ZOViz}};
    for (const auto& c : cases) {
        seen.servers.clear();
        Decode(c.sender, "$REALTIME", "05/12/2009 10:15:00,A.B,1,A.B:2,HI,A.C,2");
        EXPECT_EQ(seen.servers, std::vector<TReadingServer>(3, c.server)) << c.sender;
    }
}

TEST_F(Decoder, EmbeddedNulIsSteppedOver) {
    const std::string text("05/12/2009 10:15:00,A.B,1,\0C.D,2", 32);
    EXPECT_EQ(First(Decode(IID_IQXRtuDataCOM, "$REALTIME", text)),
              (Lines{"reading A|B|$REALTIME|2009-05-12 10:15:00|1",
                     "reading C|D|$REALTIME|2009-05-12 10:15:00|2"}));
}

TEST_F(Decoder, UpperCasesTheBufferedTypeInPlace) {
    Decode(IID_IQXRtuDataCOM, "$status", "");
    EXPECT_EQ(decoder.Buffer.EventMessageType, "$STATUS");
}

TEST_F(Decoder, SecondaryReadingsGoToTheOwningSensor) {
    const char* text = "05/12/2009 10:15:00,ST1.AIR:2,7";
    struct Case {
        const char* answer;  // null: the setup call fails
        const char* sensor;
    } cases[] = {
        {"WIND", "WIND"}, {"ERROR", "AIR"}, {"", "AIR"}, {nullptr, "AIR"}, {"error", "error"}};
    for (const Case& c : cases) {
        decoder.ForgetTagOwners();
        setup.requests.clear();
        setup.fail = c.answer == nullptr;
        if (c.answer) setup.answers["TAGINFO:ST1,AIR"] = c.answer;
        EXPECT_EQ(
            First(Decode(IID_IQXRtuDataCOM, "$REALTIME", text)),
            Lines{"secondary ST1|" + std::string(c.sensor) + "|$REALTIME|2009-05-12 10:15:00|7"})
            << (c.answer ? c.answer : "(failed call)");
        EXPECT_EQ(setup.requests, Lines{"TAGINFO:ST1,AIR"});
    }
}

// The owner of a tag is asked once until the setup may have changed; a query
// that failed is asked again by the next reading.
TEST_F(Decoder, TagOwnersAreAskedOnceUntilForgotten) {
    const char* text = "05/12/2009 10:15:00,ST1.AIR:2,7,ST1.AIR:2,8";
    setup.answers["TAGINFO:ST1,AIR"] = "WIND";
    EXPECT_EQ(First(Decode(IID_IQXRtuDataCOM, "$REALTIME", text)),
              (Lines{"secondary ST1|WIND|$REALTIME|2009-05-12 10:15:00|7",
                     "secondary ST1|WIND|$REALTIME|2009-05-12 10:15:00|8"}));
    setup.answers["TAGINFO:ST1,AIR"] = "GUST";
    Decode(IID_IQXRtuDataCOM, "$REALTIME", text);
    EXPECT_EQ(setup.requests, Lines{"TAGINFO:ST1,AIR"});
    decoder.ForgetTagOwners();
    EXPECT_EQ(First(Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,ST1.AIR:2,9")),
              Lines{"secondary ST1|GUST|$REALTIME|2009-05-12 10:15:00|9"});

    setup.requests.clear();
    setup.fail = true;
    Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,ST2.X:2,1");
    Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,ST2.X:2,2");
    EXPECT_EQ(setup.requests, (Lines{"TAGINFO:ST2,X", "TAGINFO:ST2,X"}));
}

// A setup server that answers later: readings of other sensors go on, alarm
// readings wait for their owner and keep their order, one query per tag.
class LaterSetup : public IAsyncSetupLookup {
public:
    void LookupSetupValueAsync(const std::string& key, const std::string& p1, const std::string& p2,
                               const std::string& p3, Done done) override {
        asked.push_back(BuildSetupRequest(key, p1, p2, p3));
        pending.push_back(std::move(done));
    }
    void Answer(std::size_t i, bool answered, const std::string& owner) {
        pending.at(i)(answered && owner != "ERROR", answered, owner);
    }
    Lines asked;
    std::vector<Done> pending;
};

TEST_F(Decoder, AlarmReadingsWaitForTheirOwnerInOrderWithoutHoldingUpOthers) {
    LaterSetup later;
    TDataDecoder async(std::string(IID_IQXRTDCom), pages, later);
    auto decode = [&](const char* text) {
        log.clear();
        async.Buffer = {std::string(IID_IQXRtuDataCOM), "$REALTIME", text};
        async.DecodeDataMessage();
        return First(log);
    };
    EXPECT_EQ(decode("05/12/2009 10:15:00,A.T:2,1,A.U:2,2,A.V,3,A.T:2,4"),
              Lines{"reading A|V|$REALTIME|2009-05-12 10:15:00|3"});
    EXPECT_EQ(later.asked, (Lines{"TAGINFO:A,T", "TAGINFO:A,U"}));
    log.clear();
    later.Answer(1, true, "OWNU");  // U's answer first: it still waits behind T
    EXPECT_TRUE(log.empty());
    later.Answer(0, false, "");  // T's query failed: T keeps its base name
    EXPECT_EQ(First(log), (Lines{"secondary A|T|$REALTIME|2009-05-12 10:15:00|1",
                                 "secondary A|OWNU|$REALTIME|2009-05-12 10:15:00|2",
                                 "secondary A|T|$REALTIME|2009-05-12 10:15:00|4"}));
    EXPECT_EQ(async.TagOwners().Waiting(), 0u);

    // Forgotten while a query is out: its late answer is ignored, the
    // waiting reading is asked about again.
    decode("05/12/2009 10:15:00,A.W:2,5");
    async.ForgetTagOwners();
    log.clear();
    later.Answer(2, true, "STALE");
    EXPECT_TRUE(log.empty());
    later.Answer(3, true, "FRESH");
    EXPECT_EQ(First(log), Lines{"secondary A|FRESH|$REALTIME|2009-05-12 10:15:00|5"});
}

// A setup server that never answers: beyond the bound of queries in flight,
// tags take their own names at once instead of piling up calls.
TEST_F(Decoder, UnansweredQueriesAreBounded) {
    LaterSetup later;
    TDataDecoder async(std::string(IID_IQXRTDCom), pages, later);
    std::string text = "05/12/2009 10:15:00";
    for (std::size_t i = 0; i < TTagOwners::MaxOutstanding + 10; ++i)
        text += ",S.T" + std::to_string(i) + ":2,1";
    async.Buffer = {std::string(IID_IQXRtuDataCOM), "$REALTIME", text};
    async.DecodeDataMessage();
    EXPECT_EQ(later.asked.size(), TTagOwners::MaxOutstanding);
    EXPECT_EQ(async.TagOwners().Waiting(), TTagOwners::MaxOutstanding + 10);
    for (std::size_t i = 0; i < later.pending.size(); ++i) later.Answer(i, false, "");
    EXPECT_EQ(async.TagOwners().Waiting(), 0u);
    EXPECT_EQ(async.TagOwners().Outstanding(), 0u);
}

TEST_F(Decoder, SecondaryTagAnywhereInTheSensorName) {
    setup.answers["TAGINFO:S,XY"] = "OWNER";
    EXPECT_EQ(First(Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,S.X:2Y,1,.B:2,2")),
              (Lines{"secondary S|OWNER|$REALTIME|2009-05-12 10:15:00|1",
                     "secondary |B|$REALTIME|2009-05-12 10:15:00|2"}));
    EXPECT_EQ(setup.requests, (Lines{"TAGINFO:S,XY", "TAGINFO,B"}));
}

TEST_F(Decoder, AFailingPageEndsOnlyThatReadingsDelivery) {
    pages.pages.insert(pages.pages.begin() + 1, std::make_unique<ThrowingPage>(log, "bad"));
    EXPECT_EQ(Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,A.BAD,1,A.OK,2"),
              (Lines{"p0 reading A|BAD|$REALTIME|2009-05-12 10:15:00|1",
                     "p0 reading A|OK|$REALTIME|2009-05-12 10:15:00|2",
                     "bad reading A|OK|$REALTIME|2009-05-12 10:15:00|2",
                     "p1 reading A|OK|$REALTIME|2009-05-12 10:15:00|2"}));
}

TEST_F(Decoder, EmptyPageSlotsAreSkipped) {
    pages.pages[0].reset();
    EXPECT_EQ(Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,A.B,1"),
              Lines{"p1 reading A|B|$REALTIME|2009-05-12 10:15:00|1"});
}

TEST_F(Decoder, DateFieldsFollowTheRegionalSeparators) {
    ScopedRegional german('.', ':');
    EXPECT_EQ(First(Decode(IID_IQXRtuDataCOM, "$REALTIME", "05.12.2009 10:15:00,A.B,1")),
              Lines{"reading A|B|$REALTIME|2009-05-12 10:15:00|1"});
    EXPECT_EQ(First(Decode(IID_IQXRtuDataCOM, "$REALTIME", "05/12/2009 10:15:00,A.B,1")), Lines{});
}

TEST(SetupRequest, PartsAreJoinedOnlyWhenPresent) {
    struct Case {
        const char* key;
        const char* p1;
        const char* p2;
        const char* p3;
        const char* request;
    } cases[] = {
        {"TAGINFO", "ST1", "", "AIR", "TAGINFO:ST1,AIR"},
        {"TAGINFO", "", "", "AIR", "TAGINFO,AIR"},
        {"TAGINFO", "ST1", "", "", "TAGINFO:ST1"},
        {"Station", "ST1", "X", "Sensors", "Station:ST1:X,Sensors"},
        {"", "", "", "AIR", "AIR"},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildSetupRequest(c.key, c.p1, c.p2, c.p3), c.request);
}

}  // namespace
}  // namespace qx
