#include "suite/SuiteRuntime.h"

#include "suite/DataText.h"

namespace qx::suite {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && SameName(s.substr(s.size() - suffix.size()), suffix);
}

const std::string* TagOwner(const TStationDef& station, std::string_view tag) {
    for (const TTagDef& t : station.Tags)
        if (SameName(t.Tag, tag)) return &t.Sensor;
    return nullptr;
}

}  // namespace

TStationFeed::TStationFeed(const TStationDef& def, std::uint32_t suiteSeed, std::int32_t seconds)
    : def_(&def),
      alarms_(def.Sensors.size()),
      alarmChanged_(def.Sensors.size(), false),
      seconds_(seconds) {
    generators_.reserve(def.Sensors.size());
    for (std::size_t i = 0; i < def.Sensors.size(); ++i) {
        const TSensorDef& sensor = def.Sensors[i];
        generators_.emplace_back(sensor.Generator, SensorSeed(suiteSeed, def.Name, sensor.Name));
        if (sensor.Alarm.On) alarms_[i] = AlarmState(sensor.Alarm, generators_[i].Number());
    }
}

void TStationFeed::Advance(double t, std::int32_t seconds) {
    seconds_ = seconds;
    for (std::size_t i = 0; i < generators_.size(); ++i) {
        generators_[i].Advance(t);
        const TAlarmSettings& alarm = def_->Sensors[i].Alarm;
        if (!alarm.On) continue;
        const std::string_view state = AlarmState(alarm, generators_[i].Number());
        alarmChanged_[i] = state != alarms_[i];
        alarms_[i] = state;
    }
}

std::string TStationFeed::CurrentText() const {
    TDataText text(seconds_);
    std::string tag;
    for (std::size_t i = 0; i < generators_.size(); ++i) {
        const TSensorDef& sensor = def_->Sensors[i];
        text.Add(def_->Name, sensor.Name, generators_[i].Text());
        if (sensor.Alarm.On) {
            tag.assign(sensor.Alarm.Tag).append(":2");
            text.Add(def_->Name, tag, alarms_[i]);
        }
    }
    return text.Take();
}

std::string TStationFeed::AlarmChangeText() const {
    TDataText text(seconds_);
    bool any = false;
    for (std::size_t i = 0; i < generators_.size(); ++i) {
        if (!alarmChanged_[i]) continue;
        const TSensorDef& sensor = def_->Sensors[i];
        text.Add(def_->Name, sensor.Name, generators_[i].Text());
        text.Add(def_->Name, sensor.Alarm.Tag + ":2", alarms_[i]);
        any = true;
    }
    return any ? text.Take() : std::string();
}

std::string_view TStationFeed::ReadingType() const {
    return def_->Server == TServer::Decode ? TypeGoesTimed : TypeRealtime;
}

TSuiteRuntime::TSuiteRuntime(TSuiteDef suite, std::int32_t seconds) : suite_(std::move(suite)) {
    feeds_.reserve(suite_.Stations.size());
    for (const TStationDef& station : suite_.Stations)
        feeds_.emplace_back(station, suite_.Seed, seconds);
}

std::string TSuiteRuntime::QuerySetup(std::string_view request, bool loaded) const {
    static const std::string error = "ERROR";
    if (SameName(request, "SetupLoad")) return loaded ? "OK" : "LOADING";
    if (SameName(request, "General,Stations"))
        return std::get<std::string>(suite_.General[GeneralStations]);

    // "Station:" station ",Sensors"
    constexpr std::string_view stationKey = "Station:";
    constexpr std::string_view sensorsKey = ",Sensors";
    if (StartsWith(request, stationKey) && EndsWith(request, sensorsKey) &&
        request.size() >= stationKey.size() + sensorsKey.size()) {
        const std::string_view name = request.substr(
            stationKey.size(), request.size() - stationKey.size() - sensorsKey.size());
        const TStationDef* station = suite_.FindStation(name);
        if (!station) return error;
        std::string list;
        for (const TSensorDef& sensor : station->Sensors) {
            if (!list.empty()) list += ',';
            list += sensor.Name;
        }
        return list;
    }

    // "TAGINFO:" station "," tag; without a station ("TAGINFO," tag) every
    // station is searched.
    constexpr std::string_view tagKey = "TAGINFO";
    if (StartsWith(request, tagKey)) {
        std::string_view rest = request.substr(tagKey.size());
        std::string_view stationName;
        if (!rest.empty() && rest.front() == ':') {
            rest.remove_prefix(1);
            const std::size_t comma = rest.find(',');
            if (comma == std::string_view::npos) return error;
            stationName = rest.substr(0, comma);
            rest.remove_prefix(comma);
        }
        if (rest.size() < 2 || rest.front() != ',') return error;
        const std::string_view tag = rest.substr(1);
        for (const TStationDef& station : suite_.Stations) {
            if (!stationName.empty() && !SameName(station.Name, stationName)) continue;
            if (const std::string* owner = TagOwner(station, tag)) return *owner;
        }
        return error;
    }
    return error;
}

const TSensorSetup* TSuiteRuntime::SensorSetup(std::string_view station,
                                               std::string_view sensor) const {
    const TSensorDef* def = suite_.FindSensor(station, sensor);
    return def ? &def->Setup : nullptr;
}

std::string TSuiteRuntime::CurrentData(std::string_view request) const {
    const std::size_t dot = request.find('.');
    if (dot == std::string_view::npos || !SameName(request.substr(dot + 1), TypeRealtime))
        return {};
    const std::string_view name = request.substr(0, dot);
    for (const TStationFeed& feed : feeds_)
        if (SameName(feed.Def().Name, name)) return feed.CurrentText();
    return {};
}

}  // namespace qx::suite
