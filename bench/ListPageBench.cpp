// List page throughput: readings applied to one list page of 1,000 watched
// rows, one reading in ten for a watched sensor and the rest for other
// sensors of the same stations.
//
// Subject: the list page widget (TfrmListTab, its table model, name index
// and view) reached through TWatchTab::ShowReading as the router calls it,
// with the pending repaint emitted once per 1,000 readings (one frame at a
// rate of 60,000 readings a second).
//
// Baseline: the plainest structure that does the same updates, a
// std::vector of rows searched through a std::unordered_map from the
// upper-cased "station.sensor" text to the row, built into a reused buffer
// per reading; a matching row gets the same time text (FormatListTime),
// value and cleared alarm. No model, no view, no repaint: the ratio is what
// the page's bookkeeping costs on top of the updates themselves.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <string>
#include <unordered_map>
#include <vector>

#include "bench/BenchApplication.h"
#include "pages/ListModel.h"
#include "pages/ListPageCore.h"
#include "pages/ListTab.h"
#include "textscan/AsciiText.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

constexpr int kStations = 100;
constexpr int kSensorsPerStation = 10;  // 1,000 watched rows
constexpr int kReadings = 10'000;       // the cycle of readings, 10% watched
constexpr int kReadingsPerFrame = 1'000;

std::string Station(int i) {
    return "STATION" + std::to_string(i);
}

// Readings in the order they arrive: every tenth one is for a watched
// sensor, the others for unwatched sensors of the same stations.
std::vector<SensorReading> Readings() {
    std::vector<SensorReading> readings;
    readings.reserve(kReadings);
    const TDateTime start = EncodeDateTime({2009, 5, 12, 10, 15, 0});
    for (int n = 0; n < kReadings; ++n) {
        const int row = (n / 10) % (kStations * kSensorsPerStation);
        SensorReading r;
        r.Station = Station(row / kSensorsPerStation);
        r.Sensor = (n % 10 == 0 ? "SENSOR" : "OTHER") + std::to_string(row % kSensorsPerStation);
        r.Source = "$REALTIME";
        r.Time = start + n / 86400.0;
        r.Value = std::to_string(12.5 + n % 97);
        readings.push_back(std::move(r));
    }
    return readings;
}

void ListPage_subject(benchmark::State& state) {
    EnsureBenchApplication();
    ScopedRegional regional('/', ':');
    TfrmListTab page;
    for (int s = 0; s < kStations; ++s) {
        for (int i = 0; i < kSensorsPerStation; ++i)
            page.AddSensor(Station(s), "SENSOR" + std::to_string(i));
    }
    TWatchTab& watch = page;
    const std::vector<SensorReading> readings = Readings();
    std::size_t next = 0;
    for (auto _ : state) {
        for (int i = 0; i < kReadingsPerFrame; ++i) {
            watch.ShowReading(readings[next]);
            next = next + 1 == readings.size() ? 0 : next + 1;
        }
        page.Model()->FlushChanges();
    }
    state.SetItemsProcessed(state.iterations() * kReadingsPerFrame);
}

struct PlainRow {
    std::string Station;
    std::string Sensor;
    std::string Time;
    std::string Value;
    std::string Alarm;
};

void AppendUpper(std::string& out, const std::string& text) {
    for (const char c : text) out += AsciiUpper(c);
}

void ListPage_baseline(benchmark::State& state) {
    ScopedRegional regional('/', ':');
    std::vector<PlainRow> rows;
    std::unordered_map<std::string, int> index;
    std::string key;
    for (int s = 0; s < kStations; ++s) {
        for (int i = 0; i < kSensorsPerStation; ++i) {
            rows.push_back(PlainRow{Station(s), "SENSOR" + std::to_string(i), {}, {}, {}});
            key.clear();
            AppendUpper(key, rows.back().Station);
            key += '.';
            AppendUpper(key, rows.back().Sensor);
            index.emplace(key, static_cast<int>(rows.size()) - 1);
        }
    }
    const std::vector<SensorReading> readings = Readings();
    std::size_t next = 0;
    for (auto _ : state) {
        for (int i = 0; i < kReadingsPerFrame; ++i) {
            const SensorReading& r = readings[next];
            next = next + 1 == readings.size() ? 0 : next + 1;
            key.clear();
            AppendUpper(key, r.Station);
            key += '.';
            AppendUpper(key, r.Sensor);
            const auto it = index.find(key);
            if (it == index.end()) continue;
            PlainRow& row = rows[static_cast<std::size_t>(it->second)];
            FormatListTime(r.Time, row.Time);
            row.Value = r.Value;
            row.Alarm.clear();
        }
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadingsPerFrame);
}

BENCHMARK(ListPage_subject)->Name("ListPage/subject");
BENCHMARK(ListPage_baseline)->Name("ListPage/baseline");

}  // namespace
}  // namespace qx
