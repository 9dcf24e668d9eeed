#include "pages/ListPageCore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "readings/DataRecords.h"
#include "readings/ListPageServers.h"
#include "textscan/AsciiText.h"
#include "textscan/Diagnostics.h"
#include "textscan/Regional.h"
#include "textscan/ScanFormatted.h"

namespace qx {

namespace {

constexpr const char* kCaptions[ListColumnCount] = {"StationID", "SensorName", "TimeTag", "Value",
                                                    "Alarm"};

// Appends value as at least `digits` decimal digits (a minus sign first).
void AppendNumber(std::string& out, int value, int digits) {
    char buffer[16];
    char* end = buffer + sizeof buffer;
    char* p = end;
    const bool negative = value < 0;
    std::uint32_t v =
        negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
        --digits;
    } while (v != 0 || digits > 0);
    if (negative) out += '-';
    out.append(p, end);
}

}  // namespace

const char* ListColumnCaption(int column) {
    return column >= 0 && column < ListColumnCount ? kCaptions[column] : "";
}

const std::string& TListRow::Text(int column) const {
    switch (column) {
        case ColStationID: return Station;
        case ColSensorName: return Sensor;
        case ColTimeTag: return Time;
        case ColValue: return Value;
        default: return Alarm;
    }
}

void FormatListTime(TDateTime time, std::string& out) {
    const TDateTimeParts parts = DecodeDateTime(time);
    const TRegionalSettings& regional = Regional();
    out.clear();
    AppendNumber(out, parts.Month, 2);
    out += regional.DateSeparator;
    AppendNumber(out, parts.Day, 2);
    out += regional.DateSeparator;
    AppendNumber(out, parts.Year, 4);
    out += ' ';
    AppendNumber(out, parts.Hour, 2);
    out += regional.TimeSeparator;
    AppendNumber(out, parts.Minute, 2);
    out += regional.TimeSeparator;
    AppendNumber(out, parts.Second, 2);
}

std::string FormatListTime(TDateTime time) {
    std::string out;
    FormatListTime(time, out);
    return out;
}

std::size_t TListPageCore::NameHash::operator()(const NameView& key) const {
    // FNV-1a over the upper-cased names, a byte outside ASCII between them.
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    for (char c : key.Station) mix(static_cast<unsigned char>(AsciiUpper(c)));
    mix(0xFF);
    for (char c : key.Sensor) mix(static_cast<unsigned char>(AsciiUpper(c)));
    return static_cast<std::size_t>(h);
}

const std::vector<int>* TListPageCore::RowsOf(std::string_view station,
                                              std::string_view sensor) const {
    if (!indexValid_) {
        index_.clear();
        for (int i = 0; i < RowCount(); ++i) {
            const TListRow& row = Row(i);
            index_[NameKey{row.Station, row.Sensor}].push_back(i);
        }
        indexValid_ = true;
    }
    const auto it = index_.find(NameView{station, sensor});
    return it == index_.end() ? nullptr : &it->second;
}

void TListPageCore::AddSensor(const std::string& Station, const std::string& Sensor) {
    rows_.push_back(
        TListRow{Station, Sensor, {}, {}, {}, std::nullopt, TReadingServer::None, false});
    if (indexValid_) index_[NameKey{Station, Sensor}].push_back(RowCount() - 1);
}

bool TListPageCore::HasSensor(std::string_view Station, std::string_view Sensor) const {
    return RowsOf(Station, Sensor) != nullptr;
}

void TListPageCore::MarkDirty(int row) {
    if (dirtyFirst_ < 0 || row < dirtyFirst_) dirtyFirst_ = row;
    if (row > dirtyLast_) dirtyLast_ = row;
}

void TListPageCore::MarkRestyled(int row) {
    if (restyledFirst_ < 0 || row < restyledFirst_) restyledFirst_ = row;
    if (row > restyledLast_) restyledLast_ = row;
}

TListHolding& TListPageCore::HoldingOf(TListRow& row) {
    if (!row.Holding) row.Holding.emplace();
    return *row.Holding;
}

int TListPageCore::ShowReading(const SensorReading& Reading) {
    const std::vector<int>* rows = RowsOf(Reading.Station, Reading.Sensor);
    if (!rows) return 0;
    int changed = 0;
    for (const int i : *rows) {
        TListRow& row = rows_[static_cast<std::size_t>(i)];
        if (paused_) {
            TListHolding& holding = HoldingOf(row);
            FormatListTime(Reading.Time, holding.Time);
            holding.Value = Reading.Value;
            holding.Alarm.clear();
            holding.HasReading = true;
            holding.Server = Reading.Server;
            holding.Stale = false;
        } else {
            FormatListTime(Reading.Time, row.Time);
            row.Value = Reading.Value;
            row.Alarm.clear();
            row.Server = Reading.Server;
            if (row.Stale) {
                row.Stale = false;
                MarkRestyled(i);
            }
            MarkDirty(i);
            ++changed;
        }
    }
    return changed;
}

int TListPageCore::ShowSecondaryReading(const SensorReading& Reading) {
    const std::vector<int>* rows = RowsOf(Reading.Station, Reading.Sensor);
    if (!rows) return 0;
    int changed = 0;
    for (const int i : *rows) {
        TListRow& row = rows_[static_cast<std::size_t>(i)];
        if (paused_) {
            HoldingOf(row).Alarm = Reading.Value;
        } else {
            row.Alarm = Reading.Value;
            MarkDirty(i);
            ++changed;
        }
    }
    return changed;
}

int TListPageCore::MarkStale(TReadingServer server) {
    if (server == TReadingServer::None) return 0;
    int marked = 0;
    for (int i = 0; i < RowCount(); ++i) {
        TListRow& row = rows_[static_cast<std::size_t>(i)];
        if (row.Holding && row.Holding->HasReading && row.Holding->Server == server)
            row.Holding->Stale = true;
        if (row.Server == server && !row.Stale) {
            row.Stale = true;
            MarkRestyled(i);
            ++marked;
        }
    }
    return marked;
}

bool TListPageCore::TogglePause() {
    paused_ = !paused_;
    if (!paused_) {
        for (int i = 0; i < RowCount(); ++i) {
            TListRow& row = rows_[static_cast<std::size_t>(i)];
            if (!row.Holding) continue;
            TListHolding& holding = *row.Holding;
            if (holding.HasReading) {
                row.Time = std::move(holding.Time);
                row.Value = std::move(holding.Value);
                row.Server = holding.Server;
                if (row.Stale != holding.Stale) {
                    row.Stale = holding.Stale;
                    MarkRestyled(i);
                }
            }
            row.Alarm = std::move(holding.Alarm);
            row.Holding.reset();
            MarkDirty(i);
        }
    }
    return paused_;
}

void TListPageCore::DiscardHoldingLists() {
    for (TListRow& row : rows_) row.Holding.reset();
}

void TListPageCore::RemoveRows(int first, int count) {
    if (first < 0 || count <= 0 || first >= RowCount()) return;
    count = std::min(count, RowCount() - first);
    rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
    indexValid_ = false;
    dirtyFirst_ = dirtyLast_ = -1;
    restyledFirst_ = restyledLast_ = -1;
}

void TListPageCore::RemoveSensors(std::span<const int> selectedRows) {
    DiscardHoldingLists();
    std::vector<char> remove(rows_.size(), 0);
    for (const int i : selectedRows) {
        if (i >= 0 && i < RowCount()) remove[static_cast<std::size_t>(i)] = 1;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!remove[i]) {
            if (kept != i) rows_[kept] = std::move(rows_[i]);
            ++kept;
        }
    }
    rows_.resize(kept);
    indexValid_ = false;
    dirtyFirst_ = dirtyLast_ = -1;
    restyledFirst_ = restyledLast_ = -1;
}

std::vector<int> TListPageCore::SortByColumn(int column, const TextCompare& compare) {
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    if (column < 0 || column >= ListColumnCount) return order;

    const bool descending = sortTag_[static_cast<std::size_t>(column)] != 0;
    auto compareText = [&compare](const std::string& a, const std::string& b) {
        return compare ? compare(a, b) : std::strcoll(a.c_str(), b.c_str());
    };
    auto result = [&](int a, int b) {
        const TListRow& x = rows_[static_cast<std::size_t>(a)];
        const TListRow& y = rows_[static_cast<std::size_t>(b)];
        int r = 0;
        if (column == ColValue) {
            const double u = ReadingValueNumber(x.Value);
            const double v = ReadingValueNumber(y.Value);
            r = u < v ? -1 : (u > v ? 1 : 0);
        } else {
            r = compareText(x.Text(column), y.Text(column));
        }
        return descending ? -r : r;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return result(a, b) < 0; });

    std::vector<TListRow> sorted;
    sorted.reserve(rows_.size());
    for (const int i : order) sorted.push_back(std::move(rows_[static_cast<std::size_t>(i)]));
    rows_ = std::move(sorted);
    indexValid_ = false;
    dirtyFirst_ = dirtyLast_ = -1;
    restyledFirst_ = restyledLast_ = -1;

    int& tag = sortTag_[static_cast<std::size_t>(column)];
    tag = tag == 0 ? 1 : 0;
    return order;
}

bool TListPageCore::SortDescendingNext(int column) const {
    return column >= 0 && column < ListColumnCount &&
           sortTag_[static_cast<std::size_t>(column)] != 0;
}

bool TListPageCore::TakeDirtyRange(int& first, int& last) {
    if (dirtyFirst_ < 0) return false;
    first = dirtyFirst_;
    last = std::min(dirtyLast_, RowCount() - 1);
    dirtyFirst_ = dirtyLast_ = -1;
    return first <= last;
}

bool TListPageCore::TakeRestyledRange(int& first, int& last) {
    if (restyledFirst_ < 0) return false;
    first = restyledFirst_;
    last = std::min(restyledLast_, RowCount() - 1);
    restyledFirst_ = restyledLast_ = -1;
    return first <= last;
}

std::vector<std::string> TListPageCore::WorkspaceKeys() const {
    std::vector<std::string> keys;
    keys.reserve(rows_.size());
    for (const TListRow& row : rows_) keys.push_back(row.Station + "," + row.Sensor);
    return keys;
}

std::string TListPageCore::HeaderLine() {
    std::string line = kCaptions[0];
    for (int c = 1; c < ListColumnCount; ++c) {
        line += '\t';
        line += kCaptions[c];
    }
    return line;
}

std::string TListPageCore::RowLine(int row) const {
    const TListRow& r = Row(row);
    std::string line = r.Station;
    for (int c = 1; c < ListColumnCount; ++c) {
        line += '\t';
        line += r.Text(c);
    }
    return line;
}

std::string TListPageCore::Text(std::string_view lineEnd, bool endLastLine) const {
    std::string text = HeaderLine();
    for (int i = 0; i < RowCount(); ++i) {
        text += lineEnd;
        text += RowLine(i);
    }
    if (endLastLine) text += lineEnd;
    return text;
}

const TCurrentValues::TStation* TCurrentValues::Station(const std::string& station) {
    if (!serverChosen_) {
        // The enable flags and connections do not change during a load.
        serverChosen_ = true;
        for (const TCurrentDataServer server :
             {TCurrentDataServer::Rtu, TCurrentDataServer::Decode}) {
            if (servers_ && servers_->ServerEnabled(server) && servers_->ServerConnected(server)) {
                server_ = server;
                break;
            }
        }
    }
    if (!server_) return nullptr;
    if (const auto known = stations_.find(station); known != stations_.end())
        return known->second ? &*known->second : nullptr;

    std::optional<TStation>& entry = stations_[station];
    std::string answer;
    if (!servers_->QueryCurrentData(*server_, station + ".$REALTIME", answer)) answer.clear();
    TStation parsed;
    SensorReading reading;
    const bool timed = ForEachDataRecord(answer, reading, [&](SensorReading& record) {
        const std::size_t alarm = record.Sensor.find(":2");
        const bool secondary = alarm != std::string::npos;
        if (secondary) record.Sensor.erase(alarm, 2);
        parsed.Sensors[record.Sensor].push_back({secondary, record.Station, record.Value});
    });
    if (!timed) return nullptr;
    parsed.Time = reading.Time;
    entry = std::move(parsed);
    return &*entry;
}

void TCurrentValues::Fetch(TWatchTab& page, const std::string& station, const std::string& sensor) {
    try {
        const TStation* values = Station(station);
        if (!values) return;
        const auto records = values->Sensors.find(sensor);
        if (records == values->Sensors.end()) return;
        SensorReading reading;
        reading.Source = "?";
        reading.Time = values->Time;
        reading.Server =
            *server_ == TCurrentDataServer::Rtu ? TReadingServer::Rtu : TReadingServer::Decode;
        reading.Sensor = sensor;
        for (const TRecord& record : records->second) {
            reading.Station = record.Station;
            reading.Value = record.Value;
            if (record.Secondary) {
                page.ShowSecondaryReading(reading);
            } else {
                page.ShowReading(reading);
            }
        }
    } catch (...) {
        // The row stays with empty time, value and alarm.
        LogCaught(diagnostics::Pages, "TCurrentValues::Fetch");
    }
}

void FetchCurrentValues(TWatchTab& page, IListPageServers* servers, const std::string& station,
                        const std::string& sensor) {
    TCurrentValues(servers).Fetch(page, station, sensor);
}

void LoadListPageKeys(TWatchTab& page, IListPageServers* servers,
                      const std::vector<std::string>& keys) {
    TCurrentValues values(servers);
    for (const std::string& key : keys) {
        try {
            std::string station;
            std::string sensor;
            ScanText(key, "%P%P", station, sensor);
            page.AddSensor(station, sensor);
            values.Fetch(page, station, sensor);
        } catch (...) {
            // Next key.
            LogCaught(diagnostics::Pages, "LoadListPageKeys");
        }
    }
}

}  // namespace qx
