// Readings from the demo suite through the bus into list-page rows.
//
// The demo suite (qxsetup) runs on a private bus and raises the same RTU
// data event, 20 readings long, back to back through its control method
// EmitRepeated. Each run times one burst from the request until the last
// event has been handled.
//
// Subject: the program's server link (attached by its connect sequence,
// subscribed like the program) decodes every event and routes each reading
// to a list page of 1,000 rows that watches the event's 20 sensors.
//
// Baseline: the same signals through QtDBus into an empty slot that only
// counts them: the bare rate the bus and QtDBus allow. The ratio
// (baseline/subject) is what decoding and the page add on top; at most 1.33
// keeps the program at 75% of the bare rate.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "bench/BenchApplication.h"
#include "pages/ListTab.h"
#include "protocol/SuiteProtocol.h"
#include "readings/PageVector.h"
#include "serverlink/ServerLink.h"
#include "system/QtText.h"
#include "testsupport/PrivateBus.h"
#include "textscan/Regional.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

constexpr int kEventsPerBurst = 10'000;
constexpr int kReadingsPerEvent = 20;

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A private bus with the demo suite on it, for the whole benchmark run.
class SuiteOnPrivateBus {
public:
    static SuiteOnPrivateBus* Get() {
        static SuiteOnPrivateBus* instance = [] {
            auto* s = new SuiteOnPrivateBus;
            if (!s->Start()) {
                delete s;
                return static_cast<SuiteOnPrivateBus*>(nullptr);
            }
            // At exit the private bus goes, and the suite ends with it.
            daemonPid_ = s->daemon_.ProcessId();
            std::atexit([] {
                if (daemonPid_ > 0) ::kill(static_cast<pid_t>(daemonPid_), SIGTERM);
            });
            return s;
        }();
        return instance;
    }

    QDBusConnection& Bus() { return *bus_; }

    // Starts a burst of identical RTU events; the reply comes once all are sent.
    QDBusPendingCall Burst(const QString& text, int count) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            ToQString(suite::SetupServer.BusName), ToQString(suite::ControlPath),
            ToQString(suite::ControlInterface), "EmitRepeated");
        call.setArguments({"rtu", "$REALTIME", text, count});
        return bus_->asyncCall(call, 120000);
    }

private:
    bool Start() {
        if (!daemon_.Start()) return false;
        const QString address = daemon_.Address();
        bus_ = std::make_unique<QDBusConnection>(daemon_.Connect("bench-bus"));
        if (!bus_->isConnected()) return false;
        suite_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        suite_.start(QX_SETUP_EXE, {"--bus", address, "--setup-load-delay", "0"});
        if (!suite_.waitForStarted(5000)) return false;
        const bool up = WaitFor(
            [&] {
                return bus_->interface()
                    ->isServiceRegistered(ToQString(suite::RtuServer.BusName))
                    .value();
            },
            10000);
        if (!up) return false;
        // Only the bursts: no generated readings in between.
        QDBusMessage quiet = QDBusMessage::createMethodCall(
            ToQString(suite::SetupServer.BusName), ToQString(suite::ControlPath),
            ToQString(suite::ControlInterface), "SetGenerating");
        quiet.setArguments({false});
        bus_->call(quiet);
        return true;
    }

    static inline qint64 daemonPid_ = 0;
    TPrivateBus daemon_;
    QProcess suite_;
    std::unique_ptr<QDBusConnection> bus_;
};

// One event: 20 readings of station BENCH.
QString BurstText() {
    std::string text = "12/10/2026 10:15:00";
    for (int s = 1; s <= kReadingsPerEvent; ++s)
        text += ",BENCH.S" + std::to_string(s) + "," + std::to_string(s) + ".25";
    return ToQString(text);
}

class QuietHost final : public IServerLinkHost, public IPickerLists {
public:
    void AddStatusMessage(const std::string&) override {}
    void ShowErrorDialog(const std::string& text) override {
        std::fprintf(stderr, "bench: %s\n", text.c_str());
    }
    void SetCaption(const std::string&) override {}
    void RequestShutdown() override {}
    std::string NodeName(suite::TServer) const override { return {}; }
    IPickerLists& Picker() override { return *this; }
    void ClearStations() override {}
    void AddStation(const std::string&) override {}
    int StationCount() const override { return 0; }
    void SelectFirstStation() override {}
    bool SelectedStation(std::string&) const override { return false; }
    void ClearSensors() override {}
    void AddSensor(const std::string&) override {}
    void AddSensorRow(const TSensorSetup&) override {}
    int SensorCount() const override { return 0; }
    void SelectFirstSensor() override {}
};

// The list page and a counter behind it, as the link's page list.
class BenchPages final : public IPageList {
public:
    class Counter final : public TWatchTab {
    public:
        void ShowReading(const SensorReading&) override { ++readings; }
        long long readings = 0;
    };

    BenchPages() {
        for (int s = 1; s <= 980; ++s)
            list.AddSensor("OTHER" + std::to_string(s / 10), "X" + std::to_string(s));
        for (int s = 1; s <= kReadingsPerEvent; ++s)
            list.AddSensor("BENCH", "S" + std::to_string(s));
    }
    int PageCount() const override { return 2; }
    TWatchTab* Page(int index) const override {
        return index == 0 ? static_cast<TWatchTab*>(const_cast<TfrmListTab*>(&list))
                          : static_cast<TWatchTab*>(const_cast<Counter*>(&counter));
    }

    TfrmListTab list;
    Counter counter;
};

}  // namespace

class BareEventCounter : public QObject {
    Q_OBJECT
public:
    long long events = 0;
public slots:
    void Event(int, const QVariantList&) { ++events; }
};

namespace {

// The program's server link to the demo suite on the private bus, after its
// connect sequence; null (the run skipped) when it did not connect.
std::unique_ptr<TServerLink> ConnectedLink(benchmark::State& state, IServerLinkHost& host,
                                           const IPageList& pages) {
    EnsureBenchApplication();
    SuiteOnPrivateBus* suite = SuiteOnPrivateBus::Get();
    if (!suite) {
        state.SkipWithError("no private bus or demo suite");
        return nullptr;
    }
    TServerLinkOptions options;
    options.LocalBus = suite->Bus();
    options.HomeDirectory = QX_HOME;
    auto link = std::make_unique<TServerLink>(host, pages, options);
    link->FileReset1Execute();
    if (!link->Connection(suite::TServer::Rtu).HasSink()) {
        state.SkipWithError("the link did not connect to the RTU server");
        return nullptr;
    }
    return link;
}

void BusPage_subject(benchmark::State& state) {
    ScopedRegional regional('/', ':');
    QuietHost host;
    BenchPages pages;
    const std::unique_ptr<TServerLink> connected = ConnectedLink(state, host, pages);
    if (!connected) return;
    TServerLink& link = *connected;
    SuiteOnPrivateBus* suite = SuiteOnPrivateBus::Get();
    const QString text = BurstText();
    long long readings = 0;
    for (auto _ : state) {
        const long long target =
            pages.counter.readings + static_cast<long long>(kEventsPerBurst) * kReadingsPerEvent;
        QDBusPendingCall burst = suite->Burst(text, kEventsPerBurst);
        if (!WaitFor([&] { return pages.counter.readings >= target; }, 120000)) {
            state.SkipWithError("readings stopped arriving");
            break;
        }
        readings += static_cast<long long>(kEventsPerBurst) * kReadingsPerEvent;
        burst.waitForFinished();
    }
    link.CloseAllConnections();
    state.SetItemsProcessed(readings);
}

void BusPage_baseline(benchmark::State& state) {
    EnsureBenchApplication();
    SuiteOnPrivateBus* suite = SuiteOnPrivateBus::Get();
    if (!suite) {
        state.SkipWithError("no private bus or demo suite");
        return;
    }
    // Subscribed like the link: the RTU server's events, from its owner.
    QDBusConnection& bus = suite->Bus();
    QDBusMessage reg = QDBusMessage::createMethodCall(
        ToQString(suite::RtuServer.BusName), ToQString(suite::RtuServer.ObjectPath),
        ToQString(suite::RtuServer.Interface), "RegisterMessageType");
    reg.setArguments({ToQString(IID_IQXRTDCom), "$REALTIME"});
    bus.call(reg);
    BareEventCounter counter;
    bus.connect(ToQString(suite::RtuServer.BusName), ToQString(suite::RtuServer.ObjectPath),
                ToQString(suite::RtuServer.EventInterface), "Event", &counter,
                SLOT(Event(int, QVariantList)));
    const QString text = BurstText();
    long long readings = 0;
    for (auto _ : state) {
        const long long target = counter.events + kEventsPerBurst;
        QDBusPendingCall burst = suite->Burst(text, kEventsPerBurst);
        if (!WaitFor([&] { return counter.events >= target; }, 120000)) {
            state.SkipWithError("events stopped arriving");
            break;
        }
        readings += static_cast<long long>(kEventsPerBurst) * kReadingsPerEvent;
        burst.waitForFinished();
    }
    bus.disconnect(ToQString(suite::RtuServer.BusName), ToQString(suite::RtuServer.ObjectPath),
                   ToQString(suite::RtuServer.EventInterface), "Event", &counter,
                   SLOT(Event(int, QVariantList)));
    state.SetItemsProcessed(readings);
}

// A workspace of 16 list pages loading their rows, each fetching current
// values from the demo suite's servers as the program does at start. The
// rows name the demo suite's stations, so every fetch gets a real answer.
void LoadWorkspace(benchmark::State& state, int rowsPerPage) {
    ScopedRegional regional('/', ':');
    QuietHost host;
    TPageVector none;
    const std::unique_ptr<TServerLink> connected = ConnectedLink(state, host, none);
    if (!connected) return;
    TServerLink& link = *connected;
    constexpr int kPages = 16;
    const char* const stations[] = {"WX1", "RIVER1", "PUMP1"};
    TMemIniFile ini;
    for (int p = 0; p < kPages; ++p) {
        for (int r = 0; r < rowsPerPage; ++r) {
            const std::string key =
                std::string(stations[r % 3]) + ",S" + std::to_string(p) + "_" + std::to_string(r);
            ini.WriteInteger("WatchList" + std::to_string(p), key, 1);
        }
    }
    long long rows = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<TfrmListTab>> pages;
        for (int p = 0; p < kPages; ++p) {
            pages.push_back(std::make_unique<TfrmListTab>(nullptr, &link));
            pages.back()->LoadFromWorkspace(ini, "WatchList" + std::to_string(p));
        }
        QCoreApplication::processEvents();
        rows += static_cast<long long>(kPages) * rowsPerPage;
    }
    link.CloseAllConnections();
    state.SetItemsProcessed(rows);
}

void WorkspaceLoad_100(benchmark::State& state) {
    LoadWorkspace(state, 100);
}
void WorkspaceLoad_1000(benchmark::State& state) {
    LoadWorkspace(state, 1000);
}

}  // namespace

BENCHMARK(WorkspaceLoad_100)
    ->Name("WorkspaceLoad/16x100")
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WorkspaceLoad_1000)
    ->Name("WorkspaceLoad/16x1000")
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BusPage_subject)
    ->Name("BusPage/subject")
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BusPage_baseline)
    ->Name("BusPage/baseline")
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace qx

#include "BusBench.moc"
