// The list page's rows and rules, without a widget: one row per watched
// sensor with the time and value of its last reading and its last alarm
// value, pause with per-row holding lists, sorting per column, and the
// tab-separated text of the table. The widget (ListTab.h) shows this state.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pages/WatchTab.h"

namespace qx {

class IListPageServers;
enum class TCurrentDataServer;

enum ListColumn : int {
    ColStationID,
    ColSensorName,
    ColTimeTag,
    ColValue,
    ColAlarm,
    ListColumnCount
};

// "StationID", "SensorName", "TimeTag", "Value", "Alarm".
const char* ListColumnCaption(int column);

// What arrived for a row while the page was paused.
struct TListHolding {
    std::string Time;
    std::string Value;
    std::string Alarm;
    // A normal reading arrived: Time and Value replace the shown ones on
    // resume. Without one only Alarm is applied, so a row that got nothing
    // but alarm values keeps showing its earlier time and value.
    bool HasReading = false;
    TReadingServer Server = TReadingServer::None;  // of the held reading
    bool Stale = false;                            // its server went away after it arrived
};

struct TListRow {
    std::string Station;
    std::string Sensor;
    std::string Time;  // "mm/dd/yyyy hh:nn:ss" with the regional separators
    std::string Value;
    std::string Alarm;
    std::optional<TListHolding> Holding;  // only during a pause, after the row's first update
    // The server whose reading the row shows, and whether that server has
    // gone away since: the shown time and value are then out of date.
    TReadingServer Server = TReadingServer::None;
    bool Stale = false;

    const std::string& Text(int column) const;
};

// The shown time of a reading: "mm/dd/yyyy hh:nn:ss" with the date and time
// separators of the regional settings.
std::string FormatListTime(TDateTime time);
void FormatListTime(TDateTime time, std::string& out);

class TListPageCore {
public:
    // Compares two texts: negative, 0 or positive.
    using TextCompare = std::function<int(const std::string&, const std::string&)>;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const TListRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    bool Paused() const { return paused_; }

    // Appends a row with empty time, value and alarm; the list is not re-sorted.
    void AddSensor(const std::string& Station, const std::string& Sensor);
    bool HasSensor(std::string_view Station, std::string_view Sensor) const;

    // Write the reading into every row of the sensor (or into its holding list
    // while paused). Return how many rows changed on screen.
    int ShowReading(const SensorReading& Reading);
    int ShowSecondaryReading(const SensorReading& Reading);

    // The server left the bus: every row showing (or holding) a reading of
    // it is stale until its next reading. Returns how many rows turned stale.
    int MarkStale(TReadingServer server);

    // Inverts the pause; on resume every holding list is applied and dropped.
    // Returns the new state.
    bool TogglePause();

    // Drops every row's holding list, then deletes the given rows (any order;
    // duplicates and rows out of range are ignored).
    void RemoveSensors(std::span<const int> selectedRows);
    void DiscardHoldingLists();
    // Deletes count rows from first on; holding lists are left alone.
    void RemoveRows(int first, int count);

    // Sorts once by the column, descending when its direction flag is set,
    // then inverts the flag. Text columns use compare (default: the C
    // library's locale collation); Value compares as numbers. Equal rows keep
    // their order. Returns, for each new row, the row it was before.
    std::vector<int> SortByColumn(int column, const TextCompare& compare = {});
    bool SortDescendingNext(int column) const;

    // The rows changed on screen since the last call, as one range; false
    // when none. Structural changes (remove, sort) clear it: they redraw all.
    bool TakeDirtyRange(int& first, int& last);
    // The rows whose stale mark changed since the last call, as one range
    // (they are redrawn whole, not only their reading's columns).
    bool TakeRestyledRange(int& first, int& last);

    // The workspace keys of the rows in row order: station "," sensor.
    std::vector<std::string> WorkspaceKeys() const;

    // Tab-separated text: the header line of the column captions and one line
    // per row, without line end.
    static std::string HeaderLine();
    std::string RowLine(int row) const;
    // Every line joined with lineEnd; with endLastLine the last line ends too.
    std::string Text(std::string_view lineEnd, bool endLastLine) const;

private:
    struct NameKey {
        std::string Station;
        std::string Sensor;
    };
    struct NameView {
        std::string_view Station;
        std::string_view Sensor;
    };
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(const NameView& key) const;
        std::size_t operator()(const NameKey& key) const {
            return (*this)(NameView{key.Station, key.Sensor});
        }
    };
    struct NameEqual {
        using is_transparent = void;
        static NameView View(const NameKey& k) { return {k.Station, k.Sensor}; }
        static NameView View(const NameView& k) { return k; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            const NameView x = View(a);
            const NameView y = View(b);
            return SameName(x.Station, y.Station) && SameName(x.Sensor, y.Sensor);
        }
    };
    using Index = std::unordered_map<NameKey, std::vector<int>, NameHash, NameEqual>;

    const std::vector<int>* RowsOf(std::string_view station, std::string_view sensor) const;
    void MarkDirty(int row);
    void MarkRestyled(int row);
    TListHolding& HoldingOf(TListRow& row);

    std::vector<TListRow> rows_;
    // (station, sensor) to its rows; rebuilt lazily after rows move.
    mutable Index index_;
    mutable bool indexValid_ = true;
    bool paused_ = false;
    std::array<int, ListColumnCount> sortTag_{};
    int dirtyFirst_ = -1;
    int dirtyLast_ = -1;
    int restyledFirst_ = -1;
    int restyledLast_ = -1;
};

// The current values a page load fetches: asks the RTU server (enabled and
// connected), else the decode server, else nothing, for station ".$REALTIME",
// and hands the answer's records of a sensor to the page's ShowReading and
// ShowSecondaryReading with Source "?". The answer holds every sensor of the
// station, so each station is asked once per load and its records are found
// by sensor name instead of walking the answer for every row.
class TCurrentValues {
public:
    explicit TCurrentValues(IListPageServers* servers) : servers_(servers) {}

    // The fetch of one workspace key. Errors are discarded: the row stays as
    // it is.
    void Fetch(TWatchTab& page, const std::string& station, const std::string& sensor);

private:
    struct TRecord {
        bool Secondary;
        std::string Station;
        std::string Value;
    };
    struct TStation {
        TDateTime Time = 0;
        // The records of each sensor (":2" removed for alarm values), in the
        // order of the answer.
        std::unordered_map<std::string, std::vector<TRecord>> Sensors;
    };
    const TStation* Station(const std::string& station);

    IListPageServers* servers_;
    bool serverChosen_ = false;
    std::optional<TCurrentDataServer> server_;
    std::unordered_map<std::string, std::optional<TStation>> stations_;
};

// The fetch of a single key, as a page does for a sensor the operator adds.
void FetchCurrentValues(TWatchTab& page, IListPageServers* servers, const std::string& station,
                        const std::string& sensor);

// For each key in order: splits it with "%P%P" into station and sensor, calls
// page.AddSensor and fetches the current values. An error in one key is
// discarded and the next key is processed.
void LoadListPageKeys(TWatchTab& page, IListPageServers* servers,
                      const std::vector<std::string>& keys);

}  // namespace qx
