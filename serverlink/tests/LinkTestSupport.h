// The main window as the server link sees it, for tests: a recording host,
// pages that log their readings, and waiting helpers.
#pragma once

#include <QTest>
#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "readings/PageVector.h"
#include "serverlink/ServerLink.h"
#include "serverlink/tests/FakePicker.h"

namespace qx {

using Strings = std::vector<std::string>;

class FakeHost : public IServerLinkHost {
public:
    void AddStatusMessage(const std::string& text) override { messages.push_back(text); }
    void ShowErrorDialog(const std::string& text) override {
        dialogs.push_back(text);
        if (onDialog) onDialog(text);
    }
    void SetCaption(const std::string& text) override { caption = text; }
    void RequestShutdown() override {
        ++shutdowns;
        if (onShutdown) onShutdown();
    }
    std::string NodeName(suite::TServer server) const override {
        return nodes[static_cast<std::size_t>(server)];
    }
    IPickerLists& Picker() override { return picker; }
    void ServerHealthChanged(suite::TServer server) override {
        ++healthChanges[static_cast<std::size_t>(server)];
    }

    int Count(const std::string& message) const {
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }

    Strings messages;
    Strings dialogs;
    std::string caption;
    int shutdowns = 0;
    std::array<std::string, 4> nodes;
    std::array<int, 4> healthChanges{};
    FakePicker picker;
    std::function<void(const std::string&)> onDialog;
    std::function<void()> onShutdown;
};

// Logs "station.sensor=value source" for readings, with "alarm " in front
// for secondary ones, and "stale QX Rtu" when a server's readings go stale.
class LogPage : public IReadingSink {
public:
    void ShowReading(const SensorReading& r) override {
        log.push_back(r.Station + "." + r.Sensor + "=" + r.Value + " " + r.Source);
    }
    void ShowSecondaryReading(const SensorReading& r) override {
        log.push_back("alarm " + r.Station + "." + r.Sensor + "=" + r.Value + " " + r.Source);
    }
    void ServerLost(TReadingServer server) override {
        log.push_back(std::string("stale ") + ReadingServerTitle(server));
    }
    bool Has(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    Strings log;
};

// One logging page behind the link.
class OnePage : public IPageList {
public:
    int PageCount() const override { return list.PageCount(); }
    IReadingSink* Page(int index) const override { return list.Page(index); }
    std::unique_ptr<LogPage> page = std::make_unique<LogPage>();

private:
    TPageVector list{page.get()};
};

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// A pumped wait, shortened so that tests do not sit through the real pauses.
inline void ShortWait(std::chrono::milliseconds time) {
    QTest::qWait(static_cast<int>(std::min<std::chrono::milliseconds::rep>(time.count(), 10)));
}

const std::string Retrieving = "Retrieving setup parameters from QX Setup..";
const std::string Error4 =
    "Error 4: An instance of the \"QXSetup.Applications\" OLE Automation class could not be "
    "created.  "
    "Is QX Setup running?";

}  // namespace qx
