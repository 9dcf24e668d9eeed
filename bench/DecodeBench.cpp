// Decoding throughput: one data text of 20 records routed to 16 pages that
// watch nothing, through the scanner-based decoder and through a
// hand-written decoder of the same format (memchr and from_chars).
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "pages/WatchTab.h"
#include "protocol/Identifiers.h"
#include "readings/PageVector.h"
#include "serverlink/DataDecoder.h"
#include "serverlink/SetupLookup.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

constexpr int kRecords = 20;
constexpr int kPages = 16;

std::string DataText() {
    std::string text = "05/12/2009 10:15:00";
    for (int i = 0; i < kRecords; ++i) {
        text += ",STATION" + std::to_string(i % 4) + ".SENSOR" + std::to_string(i) + "," +
                std::to_string(12.5 + i);
    }
    return text;
}

// Pages that watch nothing, as the router sees them.
class Pages : public TPageVector {
public:
    Pages() {
        for (TWatchTab& page : pages_) Add(&page);
    }

private:
    std::array<TWatchTab, kPages> pages_;
};

void Decode_subject(benchmark::State& state) {
    ScopedRegional regional('/', ':');
    Pages pages;
    TSetupQueryLookup setup([](const std::string&) { return std::string(); });
    TDataDecoder decoder(std::string(IID_IQXRTDCom), pages, setup);
    const std::string text = DataText();
    for (auto _ : state) {
        decoder.Buffer.EventSourceId = IID_IQXRtuDataCOM;
        decoder.Buffer.EventMessageType = "$REALTIME";
        decoder.Buffer.EventText = text;
        decoder.DecodeDataMessage();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

// The same format decoded by hand, without the scanner.
bool Field(const char*& p, const char* end, char separator, unsigned& value) {
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || next == end || *next != separator) return false;
    p = next + 1;
    return true;
}

void Decode_baseline(benchmark::State& state) {
    Pages pages;
    const std::string source = DataText();
    std::string type;
    std::string text;
    for (auto _ : state) {
        type = "$REALTIME";
        text = source;
        const char* p = text.data();
        const char* end = p + text.size();
        unsigned mo = 0, d = 0, y = 0, h = 0, mi = 0, s = 0;
        if (!Field(p, end, '/', mo) || !Field(p, end, '/', d) || !Field(p, end, ' ', y) ||
            !Field(p, end, ':', h) || !Field(p, end, ':', mi))
            continue;
        std::from_chars(p, end, s);
        SensorReading reading;
        reading.Source = type;
        reading.Time = SecondsToDateTime(
            DateTimeSeconds(static_cast<int>(y), static_cast<int>(mo), static_cast<int>(d),
                            static_cast<int>(h), static_cast<int>(mi), static_cast<int>(s)));
        const char* comma =
            static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
        p = comma ? comma + 1 : end;
        while (p < end) {
            const char* dot =
                static_cast<const char*>(std::memchr(p, '.', static_cast<std::size_t>(end - p)));
            if (!dot) dot = end;
            reading.Station.assign(p, dot);
            p = dot < end ? dot + 1 : end;
            const char* c1 =
                static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
            if (!c1) c1 = end;
            reading.Sensor.assign(p, c1);
            p = c1 < end ? c1 + 1 : end;
            const char* c2 =
                static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
            if (!c2) c2 = end;
            reading.Value.assign(p, c2);
            p = c2 < end ? c2 + 1 : end;
            for (int i = 0; i < pages.PageCount(); ++i) pages.Page(i)->ShowReading(reading);
        }
        benchmark::DoNotOptimize(reading);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(Decode_subject)->Name("Decode/subject");
BENCHMARK(Decode_baseline)->Name("Decode/baseline");

}  // namespace
}  // namespace qx
