#include "suite/SuiteFile.h"
#include "textscan/AsciiText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "textscan/TimeScale.h"
#include "workspace/MemIniFile.h"

namespace qx::suite {

namespace {

bool StartsWithName(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> items;
    while (true) {
        const std::size_t end = text.find(separator);
        const std::string_view item = TrimBlanks(text.substr(0, end));
        if (!item.empty()) items.emplace_back(item);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return items;
}

std::optional<double> ParseReal(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> ParseBool(std::string_view text) {
    text = TrimBlanks(text);
    for (const char* yes : {"1", "yes", "true", "on"})
        if (SameName(text, yes)) return true;
    for (const char* no : {"0", "no", "false", "off"})
        if (SameName(text, no)) return false;
    return std::nullopt;
}

// What keeps a name usable in data texts, setup answers and section names;
// empty when it is fine.
std::string NameProblem(std::string_view name, bool station) {
    if (name.empty()) return "is empty";
    for (const char c : name) {
        if (c == ',') return "holds ','";
        if (c == '\r' || c == '\n' || c == '\0') return "holds a line break";
        if (station && c == '.') return "holds '.'";
        if (c == '[' || c == ']' || c == '=') return std::string("holds '") + c + "'";
    }
    if (!station && name.find(":2") != std::string_view::npos)
        return "holds \":2\" (the alarm mark)";
    return {};
}

// Parses the text of a setup value into the type the default has.
std::optional<TSetupValue> ParseSetupValue(const TSetupValue& like, std::string_view text) {
    switch (like.index()) {
        case 0: return TSetupValue(std::string(text));
        case 1:
            if (const auto b = ParseBool(text)) return TSetupValue(*b);
            return std::nullopt;
        case 2:
            if (const auto i = ParseInteger(text); i && *i >= 0 && *i <= 65535)
                return TSetupValue(static_cast<std::uint16_t>(*i));
            return std::nullopt;
        case 3:
            if (const auto i = ParseInteger(text); i && *i >= -32768 && *i <= 32767)
                return TSetupValue(static_cast<std::int16_t>(*i));
            return std::nullopt;
        default:
            if (const auto i = ParseInteger(text); i &&
                                                   *i >= std::numeric_limits<std::int32_t>::min() &&
                                                   *i <= std::numeric_limits<std::int32_t>::max())
                return TSetupValue(static_cast<std::int32_t>(*i));
            return std::nullopt;
    }
}

const char* TypeName(const TSetupValue& v) {
    switch (v.index()) {
        case 0: return "text";
        case 1: return "a boolean";
        case 2: return "a whole number 0 to 65535";
        case 3: return "a whole number -32768 to 32767";
        default: return "a 32-bit whole number";
    }
}

// Reads keys of one file and collects the messages.
class TReader {
public:
    TReader(const TMemIniFile& ini, const std::string& fileName, TSuiteLoad& out)
        : ini_(ini), file_(fileName), out_(out) {}

    void Error(const std::string& section, const std::string& text) {
        out_.Errors.push_back(Where(section) + text);
    }
    void Warn(const std::string& section, const std::string& text) {
        out_.Warnings.push_back(Where(section) + text);
    }

    std::optional<std::string> Text(const std::string& section, const std::string& key) const {
        if (!ini_.ValueExists(section, key)) return std::nullopt;
        return std::string(TrimBlanks(ini_.ReadString(section, key, "")));
    }

    double Real(const std::string& section, const std::string& key, double def, double min,
                double max) {
        const auto text = Text(section, key);
        if (!text) return def;
        const auto value = ParseReal(*text);
        if (!value || *value < min || *value > max) {
            Warn(section, key + "=" + *text + " is not a number from " + Shortest(min) + " to " +
                              Shortest(max) + "; using " + Shortest(def));
            return def;
        }
        return *value;
    }

    std::optional<double> OptionalReal(const std::string& section, const std::string& key) {
        const auto text = Text(section, key);
        if (!text || text->empty()) return std::nullopt;
        const auto value = ParseReal(*text);
        if (!value) Warn(section, key + "=" + *text + " is not a number; ignored");
        return value;
    }

    std::int64_t Integer(const std::string& section, const std::string& key, std::int64_t def,
                         std::int64_t min, std::int64_t max) {
        const auto text = Text(section, key);
        if (!text) return def;
        const auto value = ParseInteger(*text);
        if (!value || *value < min || *value > max) {
            Warn(section, key + "=" + *text + " is not a whole number from " + std::to_string(min) +
                              " to " + std::to_string(max) + "; using " + std::to_string(def));
            return def;
        }
        return *value;
    }

    std::optional<bool> Bool(const std::string& section, const std::string& key) {
        const auto text = Text(section, key);
        if (!text) return std::nullopt;
        const auto value = ParseBool(*text);
        if (!value) Warn(section, key + "=" + *text + " is not yes or no; ignored");
        return value;
    }

    // Sets record value n from the text, keeping the default's type.
    template <std::size_t N>
    void SetupValue(const std::string& section, const std::string& key,
                    std::array<TSetupValue, N>& record, std::size_t n) {
        const auto text = ini_.ValueExists(section, key)
                              ? std::optional(ini_.ReadString(section, key, ""))
                              : std::nullopt;
        if (!text) return;
        if (auto parsed = ParseSetupValue(record[n], TrimBlanks(*text))) {
            record[n] = std::move(*parsed);
        } else {
            Warn(section,
                 key + "=" + *text + " is not " + TypeName(record[n]) + "; the default is kept");
        }
    }

    // Warns about keys of the section that are neither known nor ValueN
    // (when valueKeys is set).
    void CheckKeys(const std::string& section, std::initializer_list<std::string_view> known,
                   bool valueKeys) {
        for (const std::string& key : ini_.ReadSection(section)) {
            const bool isKnown = std::any_of(known.begin(), known.end(),
                                             [&](std::string_view k) { return SameName(k, key); });
            const bool isValue = valueKeys && StartsWithName(key, "Value") && key.size() > 5 &&
                                 ParseInteger(std::string_view(key).substr(5)).has_value();
            if (!isKnown && !isValue) Warn(section, "unknown key " + key + "; ignored");
        }
    }

private:
    std::string Where(const std::string& section) const {
        return section.empty() ? file_ + ": " : file_ + ": [" + section + "] ";
    }
    static std::string Shortest(double v) {
        std::ostringstream s;
        s << v;
        return s.str();
    }

    const TMemIniFile& ini_;
    const std::string& file_;
    TSuiteLoad& out_;
};

// Applies the ValueN keys of a section to a record; fixed lists the values
// the suite sets itself.
template <std::size_t N>
void ReadValueKeys(TReader& r, const TMemIniFile& ini, const std::string& section,
                   std::array<TSetupValue, N>& record, std::initializer_list<std::size_t> fixed) {
    for (const std::string& key : ini.ReadSection(section)) {
        if (!StartsWithName(key, "Value") || key.size() <= 5) continue;
        const auto n = ParseInteger(std::string_view(key).substr(5));
        if (!n) continue;
        if (*n < 0 || static_cast<std::size_t>(*n) >= N) {
            r.Warn(section,
                   key + ": there are only values 0 to " + std::to_string(N - 1) + "; ignored");
            continue;
        }
        const auto index = static_cast<std::size_t>(*n);
        if (std::find(fixed.begin(), fixed.end(), index) != fixed.end()) {
            r.Warn(section, key + ": this value comes from the suite's structure; ignored");
            continue;
        }
        r.SetupValue(section, key, record, index);
    }
}

constexpr const char* kSuite = "Suite";
constexpr const char* kGeneral = "General";
constexpr std::string_view kStationPrefix = "Station ";
constexpr std::string_view kSensorPrefix = "Sensor ";
constexpr std::string_view kTagsPrefix = "Tags ";

std::optional<TGeneratorKind> GeneratorByName(std::string_view name) {
    static constexpr std::pair<std::string_view, TGeneratorKind> kinds[] = {
        {"constant", TGeneratorKind::Constant}, {"ramp", TGeneratorKind::Ramp},
        {"sine", TGeneratorKind::Sine},         {"walk", TGeneratorKind::Walk},
        {"step", TGeneratorKind::Step},         {"text", TGeneratorKind::Text}};
    for (const auto& [key, kind] : kinds)
        if (SameName(key, name)) return kind;
    return std::nullopt;
}

void ReadSensor(TReader& r, const TMemIniFile& ini, const std::string& station,
                TSensorDef& sensor) {
    const std::string section = std::string(kSensorPrefix) + station + "." + sensor.Name;
    sensor.Setup = DefaultSensorSetup(station, sensor.Name);
    if (!ini.SectionExists(section)) return;
    r.CheckKeys(section,
                {"Equation", "RtuSensorName", "RawList", "Enabled", "IsText", "Generator", "Value",
                 "Min", "Max", "Period", "Step", "Decimals", "Texts", "Alarm", "AlarmTag",
                 "AlarmHigh", "AlarmLow"},
                true);

    ReadValueKeys(r, ini, section, sensor.Setup, {SensorStation, SensorName});
    r.SetupValue(section, "Equation", sensor.Setup, SensorEquation);
    r.SetupValue(section, "RtuSensorName", sensor.Setup, SensorRtuName);
    r.SetupValue(section, "RawList", sensor.Setup, SensorRawList);
    r.SetupValue(section, "Enabled", sensor.Setup, SensorEnabled);
    r.SetupValue(section, "IsText", sensor.Setup, SensorIsText);

    TGeneratorSettings& g = sensor.Generator;
    const auto generator = r.Text(section, "Generator");
    if (generator) {
        if (const auto kind = GeneratorByName(*generator)) {
            g.Kind = *kind;
        } else {
            r.Error(section, "Generator=" + *generator +
                                 " is not one of constant, ramp, sine, walk, step, text");
        }
    } else if (std::get<bool>(sensor.Setup[SensorIsText])) {
        g.Kind = TGeneratorKind::Text;
    }
    if (!ini.ValueExists(section, "IsText") && !ini.ValueExists(section, "Value8"))
        sensor.Setup[SensorIsText] = g.Kind == TGeneratorKind::Text;

    constexpr double big = 1e15;
    g.Min = r.Real(section, "Min", 0, -big, big);
    g.Max = r.Real(section, "Max", 100, -big, big);
    if (g.Min > g.Max) {
        r.Warn(section, "Min is above Max; the two are swapped");
        std::swap(g.Min, g.Max);
    }
    const double middle = (g.Min + g.Max) / 2;
    g.Value = r.Real(section, "Value", g.Kind == TGeneratorKind::Walk ? middle : 0, -big, big);
    g.Period = r.Real(section, "Period", 60, 0.001, 1e9);
    g.Step = r.Real(section, "Step", (g.Max - g.Min) / 20, 0, big);
    g.Decimals = static_cast<int>(r.Integer(section, "Decimals", 2, 0, 9));
    if (const auto texts = r.Text(section, "Texts")) g.Texts = SplitList(*texts, '|');
    for (const std::string& text : g.Texts) {
        if (text.find(',') != std::string::npos || text.find_first_of("\r\n") != std::string::npos)
            r.Error(section, "the text value \"" + text + "\" holds ','");
    }
    if (g.Kind == TGeneratorKind::Text && g.Texts.empty()) {
        r.Warn(section, "a text sensor without Texts; it shows OFF and ON");
        g.Texts = {"OFF", "ON"};
    }

    TAlarmSettings& a = sensor.Alarm;
    a.On = r.Bool(section, "Alarm").value_or(false);
    a.Tag = r.Text(section, "AlarmTag").value_or("");
    if (a.Tag.empty()) a.Tag = sensor.Name;
    a.High = r.OptionalReal(section, "AlarmHigh");
    a.Low = r.OptionalReal(section, "AlarmLow");
    if (a.On) {
        if (const std::string problem = NameProblem(a.Tag, false); !problem.empty())
            r.Error(section, "the alarm tag \"" + a.Tag + "\" " + problem);
        if (g.Kind == TGeneratorKind::Text) r.Warn(section, "a text sensor's alarm is always OK");
    }
}

void ReadStation(TReader& r, const TMemIniFile& ini, const std::vector<std::string>& sections,
                 double defaultInterval, TStationDef& station) {
    const std::string section = std::string(kStationPrefix) + station.Name;
    r.CheckKeys(section, {"Server", "Sensors", "Interval"}, false);
    if (const auto server = r.Text(section, "Server")) {
        const auto kind = ServerByKey(*server);
        if (!kind || *kind == TServer::Setup) {
            r.Error(section, "Server=" + *server + " is not one of rtu, mbrtu, decode");
        } else {
            station.Server = *kind;
        }
    }
    station.Interval = r.Real(section, "Interval", defaultInterval, 0.0001, 86400);

    // The sensors: the Sensors list, or else every sensor section of the
    // station in file order.
    const std::string sensorPrefix = std::string(kSensorPrefix) + station.Name + ".";
    std::vector<std::string> names;
    const auto list = r.Text(section, "Sensors");
    if (list) names = SplitList(*list, ',');
    for (const std::string& s : sections) {
        if (!StartsWithName(s, sensorPrefix)) continue;
        const std::string name(TrimBlanks(std::string_view(s).substr(sensorPrefix.size())));
        const bool listed =
            std::any_of(names.begin(), names.end(), [&](auto& n) { return SameName(n, name); });
        if (!list) {
            if (!listed) names.push_back(name);
        } else if (!listed) {
            r.Warn(s, "the sensor is not in the Sensors list of its station; ignored");
        }
    }
    for (const std::string& name : names) {
        if (const std::string problem = NameProblem(name, false); !problem.empty()) {
            r.Error(section, "the sensor name \"" + name + "\" " + problem);
            continue;
        }
        if (std::any_of(station.Sensors.begin(), station.Sensors.end(),
                        [&](auto& s) { return SameName(s.Name, name); })) {
            r.Error(section, "the sensor " + name + " is listed twice");
            continue;
        }
        TSensorDef& sensor = station.Sensors.emplace_back();
        sensor.Name = name;
        ReadSensor(r, ini, station.Name, sensor);
    }

    // Alarm tags: each companion owns its tag, then the Tags section.
    auto addTag = [&](const std::string& where, const std::string& tag, const std::string& owner) {
        for (const TTagDef& t : station.Tags) {
            if (SameName(t.Tag, tag)) {
                r.Warn(where, "the tag " + tag + " is given twice; the first is used");
                return;
            }
        }
        station.Tags.push_back({tag, owner});
    };
    for (const TSensorDef& sensor : station.Sensors)
        if (sensor.Alarm.On) addTag(sensorPrefix + sensor.Name, sensor.Alarm.Tag, sensor.Name);
    const std::string tagSection = std::string(kTagsPrefix) + station.Name;
    for (const std::string& tag : ini.ReadSection(tagSection)) {
        const std::string owner(TrimBlanks(ini.ReadString(tagSection, tag, "")));
        const auto sensor = std::find_if(station.Sensors.begin(), station.Sensors.end(),
                                         [&](auto& s) { return SameName(s.Name, owner); });
        if (sensor == station.Sensors.end()) {
            r.Warn(tagSection,
                   tag + "=" + owner + " does not name a sensor of the station; ignored");
        } else if (const std::string problem = NameProblem(tag, false); !problem.empty()) {
            r.Error(tagSection, "the tag \"" + tag + "\" " + problem);
        } else {
            addTag(tagSection, tag, sensor->Name);
        }
    }
}

std::string JoinNames(const std::vector<TStationDef>& stations) {
    std::string list;
    for (const TStationDef& s : stations) {
        if (!list.empty()) list += ',';
        list += s.Name;
    }
    return list;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    return SameIgnoringAsciiCase(a, b);
}

std::optional<TServer> ServerByKey(std::string_view key) {
    for (const TServer s : {TServer::Setup, TServer::Decode, TServer::Rtu, TServer::ZOViz})
        if (SameName(Names(s).Key, key)) return s;
    return std::nullopt;
}

TGeneralSetup DefaultGeneralSetup(const std::string& home, std::int32_t created) {
    TGeneralSetup g;
    for (std::size_t i = 0; i < GeneralSetupSize; ++i) {
        if (i <= 6 || (i >= 20 && i <= 22) || i == 28) {
            g[i] = std::string();
        } else if (i == 8 || i == 9) {
            g[i] = std::uint16_t{60000};
        } else if ((i >= 10 && i <= 12) || i == 26 || i == 34 || i == 36) {
            g[i] = std::int32_t{0};
        } else {
            g[i] = false;
        }
    }
    g[GeneralLogDirectory] = home + "LOG/";
    g[GeneralRawDirectory] = home + "RAW/";
    g[10] = std::int32_t{180000};
    g[11] = std::int32_t{2000};
    g[26] = std::int32_t{998877};
    g[GeneralCreated] = created;
    return g;
}

TSensorSetup DefaultSensorSetup(const std::string& station, const std::string& sensor) {
    TSensorSetup s;
    for (std::size_t i = 0; i < SensorSetupSize; ++i) s[i] = std::string();
    s[SensorStation] = station;
    s[SensorName] = sensor;
    s[SensorRtuName] = sensor;
    s[SensorEnabled] = true;
    s[7] = std::int16_t{2};
    s[SensorIsText] = false;
    s[SensorDataFile] = std::string("QX_DATA1");
    return s;
}

const TStationDef* TSuiteDef::FindStation(std::string_view name) const {
    for (const TStationDef& s : Stations)
        if (SameName(s.Name, name)) return &s;
    return nullptr;
}

const TSensorDef* TSuiteDef::FindSensor(std::string_view station, std::string_view sensor) const {
    const TStationDef* s = FindStation(station);
    if (!s) return nullptr;
    for (const TSensorDef& d : s->Sensors)
        if (SameName(d.Name, sensor)) return &d;
    return nullptr;
}

TSuiteLoad ParseSuite(std::string_view text, const std::string& fileName, const std::string& home) {
    TSuiteLoad out;
    TMemIniFile ini;
    ini.SetText(text);
    TReader r(ini, fileName, out);
    TSuiteDef suite;
    suite.FileName = fileName;

    const std::vector<std::string> sections = ini.ReadSections();
    for (const std::string& s : sections) {
        const bool known = SameName(s, kSuite) || SameName(s, kGeneral) ||
                           StartsWithName(s, kStationPrefix) || StartsWithName(s, kSensorPrefix) ||
                           StartsWithName(s, kTagsPrefix);
        if (!known) r.Warn(s, "unknown section; ignored");
    }

    r.CheckKeys(kSuite, {"Stations", "Serve", "SetupLoadDelay", "TimeTag", "Seed", "Interval"},
                false);
    suite.SetupLoadDelayMs = static_cast<int>(r.Integer(kSuite, "SetupLoadDelay", 0, 0, 3600000));
    suite.TimeTagPeriod = r.Real(kSuite, "TimeTag", 60, 0, 86400);
    suite.Seed = static_cast<std::uint32_t>(r.Integer(kSuite, "Seed", 1, 0, 0xFFFFFFFF));
    const double interval = r.Real(kSuite, "Interval", 5, 0.0001, 86400);

    // The stations: the Stations list, or else every station section in
    // file order.
    std::vector<std::string> names;
    const auto list = r.Text(kSuite, "Stations");
    if (list) names = SplitList(*list, ',');
    for (const std::string& s : sections) {
        if (!StartsWithName(s, kStationPrefix)) continue;
        const std::string name(TrimBlanks(std::string_view(s).substr(kStationPrefix.size())));
        const bool listed =
            std::any_of(names.begin(), names.end(), [&](auto& n) { return SameName(n, name); });
        if (!list) {
            if (!listed) names.push_back(name);
        } else if (!listed) {
            r.Warn(s, "the station is not in the Stations list; ignored");
        }
    }
    for (const std::string& name : names) {
        if (const std::string problem = NameProblem(name, true); !problem.empty()) {
            r.Error(kSuite, "the station name \"" + name + "\" " + problem);
            continue;
        }
        if (suite.FindStation(name)) {
            r.Error(kSuite, "the station " + name + " is listed twice");
            continue;
        }
        TStationDef& station = suite.Stations.emplace_back();
        station.Name = name;
        ReadStation(r, ini, sections, interval, station);
    }
    for (const std::string& s : sections) {
        if (!StartsWithName(s, kTagsPrefix) && !StartsWithName(s, kSensorPrefix)) continue;
        const std::string_view rest = std::string_view(s).substr(
            StartsWithName(s, kTagsPrefix) ? kTagsPrefix.size() : kSensorPrefix.size());
        const std::string_view station = TrimBlanks(rest.substr(0, rest.find('.')));
        if (!suite.FindStation(station)) r.Warn(s, "no such station; ignored");
    }

    // The general setup: defaults, the ValueN keys, then the named keys.
    suite.General = DefaultGeneralSetup(home, NowSeconds());
    r.CheckKeys(kGeneral,
                {"LogDirectory", "RawDirectory", "RtuEnabled", "DecodeEnabled", "ZOVizEnabled"},
                true);
    auto uses = [&](TServer server) {
        return std::any_of(suite.Stations.begin(), suite.Stations.end(),
                           [&](const TStationDef& s) { return s.Server == server; });
    };
    suite.General[GeneralRtuEnabled] = uses(TServer::Rtu);
    suite.General[GeneralDecodeEnabled] = uses(TServer::Decode);
    suite.General[GeneralZOVizEnabled] = uses(TServer::ZOViz);
    ReadValueKeys(r, ini, kGeneral, suite.General, {GeneralStations});
    r.SetupValue(kGeneral, "LogDirectory", suite.General, GeneralLogDirectory);
    r.SetupValue(kGeneral, "RawDirectory", suite.General, GeneralRawDirectory);
    r.SetupValue(kGeneral, "RtuEnabled", suite.General, GeneralRtuEnabled);
    r.SetupValue(kGeneral, "DecodeEnabled", suite.General, GeneralDecodeEnabled);
    r.SetupValue(kGeneral, "ZOVizEnabled", suite.General, GeneralZOVizEnabled);
    suite.General[GeneralStations] = JoinNames(suite.Stations);

    // The data servers on the bus: the Serve list, or else those the general
    // setup enables.
    suite.Serve[static_cast<int>(TServer::Decode)] =
        std::get<bool>(suite.General[GeneralDecodeEnabled]);
    suite.Serve[static_cast<int>(TServer::Rtu)] = std::get<bool>(suite.General[GeneralRtuEnabled]);
    suite.Serve[static_cast<int>(TServer::ZOViz)] =
        std::get<bool>(suite.General[GeneralZOVizEnabled]);
    if (const auto serve = r.Text(kSuite, "Serve")) {
        for (int i = 1; i < 4; ++i) suite.Serve[i] = false;
        for (const std::string& key : SplitList(*serve, ',')) {
            const auto server = ServerByKey(key);
            if (!server) {
                r.Warn(kSuite, "Serve: " + key + " is not one of rtu, mbrtu, decode; ignored");
            } else {
                suite.Serve[static_cast<int>(*server)] = true;
            }
        }
    }
    for (const TStationDef& s : suite.Stations) {
        if (!suite.Serves(s.Server))
            r.Warn(std::string(kStationPrefix) + s.Name,
                   "its server " + std::string(Names(s.Server).Key) +
                       " is not served; no readings are sent");
    }

    if (out.Errors.empty()) out.Suite = std::move(suite);
    return out;
}

TSuiteLoad LoadSuiteFile(const std::string& fileName) {
    namespace fs = std::filesystem;
    auto fail = [&](const std::string& why) {
        TSuiteLoad out;
        out.Errors.push_back(fileName + ": " + why);
        return out;
    };
    std::error_code ec;
    const fs::file_status status = fs::status(fileName, ec);
    if (!fs::exists(status)) return fail("no such suite file");
    if (!fs::is_regular_file(status)) return fail("not a file");
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return fail("the suite file cannot be read");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return fail("the suite file cannot be read");
    std::string home = fs::absolute(fs::path(fileName), ec).parent_path().string();
    if (home.empty() || home.back() != '/') home += '/';
    return ParseSuite(text, fileName, home);
}

}  // namespace qx::suite
