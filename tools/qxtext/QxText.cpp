#include "tools/qxtext/QxText.h"

#include <charconv>
#include <cstdio>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>

#include "protocol/Identifiers.h"
#include "readings/PageVector.h"
#include "serverlink/DataDecoder.h"
#include "serverlink/SetupLookup.h"
#include "textscan/Diagnostics.h"
#include "textscan/FormatValues.h"
#include "textscan/Regional.h"
#include "textscan/ScanSlots.h"

namespace qx {
namespace {

constexpr const char* kUsage =
    "usage: qxtext scan FORMAT TEXT [POSITION]\n"
    "       qxtext format FORMAT VALUE...\n"
    "       qxtext decode [--setup REQUEST=ANSWER]... [--setup-fail REQUEST]...\n"
    "options: --date-sep C  --time-sep C  (default: the system locale's separators)\n"
    "decode reads SENDER<TAB>TYPE<TAB>TEXT lines; SENDER is decode, rtu, mbrtu, app or an\n"
    "identifier text. Escapes \\t \\r \\n \\\\ are decoded in FORMAT, TEXT and VALUE.\n";

// Bad use of the tool: reported as one line, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::vector<std::string> positional;
    std::optional<char> dateSeparator;
    std::optional<char> timeSeparator;
    std::map<std::string, std::string> setupAnswers;
    std::set<std::string> setupFailures;
    bool help = false;
};

char SeparatorArgument(const std::string& option, const std::string& value) {
    const std::string decoded = DecodeEscapes(value);
    if (decoded.size() != 1)
        throw UsageError(option + " takes one character, not \"" + value + "\"");
    return decoded[0];
}

Options ParseOptions(const std::vector<std::string>& args) {
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg != "--date-sep" && arg != "--time-sep" && arg != "--setup" && arg != "--setup-fail")
            throw UsageError("unknown option " + arg);
        if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--date-sep") {
            options.dateSeparator = SeparatorArgument(arg, value);
        } else if (arg == "--time-sep") {
            options.timeSeparator = SeparatorArgument(arg, value);
        } else if (arg == "--setup") {
            const auto eq = value.find('=');
            if (eq == std::string::npos)
                throw UsageError("--setup takes REQUEST=ANSWER, not \"" + value + "\"");
            options.setupAnswers[DecodeEscapes(value.substr(0, eq))] =
                DecodeEscapes(value.substr(eq + 1));
        } else {
            options.setupFailures.insert(DecodeEscapes(value));
        }
    }
    return options;
}

std::int64_t IntegerArgument(const std::string& text, std::size_t index) {
    std::int64_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || end != last)
        throw UsageError("value " + std::to_string(index) + " \"" + text + "\" is not an integer");
    return value;
}

double RealArgument(const std::string& text, std::size_t index) {
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || end != last)
        throw UsageError("value " + std::to_string(index) + " \"" + text + "\" is not a number");
    return value;
}

bool BoolArgument(const std::string& text, std::size_t index) {
    std::string lower;
    for (const char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (lower == "true" || lower == "yes" || lower == "1") return true;
    if (lower == "false" || lower == "no" || lower == "0") return false;
    throw UsageError("value " + std::to_string(index) + " \"" + text + "\" is not true or false");
}

int Scan(const Options& o, std::ostream& out) {
    if (o.positional.size() < 3) throw UsageError("scan needs FORMAT and TEXT");
    if (o.positional.size() > 4)
        throw UsageError("scan takes FORMAT, TEXT and an optional POSITION");
    const std::string format = DecodeEscapes(o.positional[1]);
    const std::string text = DecodeEscapes(o.positional[2]);
    int position = 1;
    if (o.positional.size() == 4) {
        const std::int64_t p = IntegerArgument(o.positional[3], 3);
        if (p < INT32_MIN || p > INT32_MAX) throw UsageError("POSITION is out of range");
        position = static_cast<int>(p);
    }
    ScanSlots slots(format);
    const bool result = ScanFormattedDynamic(text, position, format, slots.outputs());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const std::string value = slots.ValueText(i);
        const bool nulChar = slots.kind(i) == ScanKind::Char && value == "\\0";
        out << ScanSlots::KindName(slots.kind(i)) << '\t'
            << (nulChar ? value : EncodeEscapes(value)) << '\n';
    }
    out << "position\t" << position << "\nresult\t" << (result ? "true" : "false") << '\n';
    return 0;
}

int Format(const Options& o, std::ostream& out) {
    if (o.positional.size() < 2) throw UsageError("format needs FORMAT");
    const std::string format = DecodeEscapes(o.positional[1]);
    std::vector<FormatKind> kinds;
    ForEachFormatValue(format, [&](FormatKind kind) { kinds.push_back(kind); });
    const std::size_t given = o.positional.size() - 2;
    if (given < kinds.size())
        throw UsageError("the format takes " + std::to_string(kinds.size()) + " values, " +
                         std::to_string(given) + " given");
    if (given > kinds.size())
        throw UsageError("the format takes only " + std::to_string(kinds.size()) + " values, " +
                         std::to_string(given) + " given");

    std::vector<std::string> texts;  // decoded texts the values point into
    texts.reserve(kinds.size());
    std::vector<FormatValue> values;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const std::string& raw = o.positional[i + 2];
        texts.push_back(DecodeEscapes(raw));
        const std::string& text = texts.back();
        switch (kinds[i]) {
            case FormatKind::Text: values.emplace_back(std::string_view(text)); break;
            case FormatKind::Char:
                if (text.size() != 1 && raw != "\\0")
                    throw UsageError("value " + std::to_string(i + 1) + " \"" + raw +
                                     "\" is not one character");
                values.emplace_back(raw == "\\0" ? '\0' : text[0]);
                break;
            case FormatKind::Bool: values.emplace_back(BoolArgument(text, i + 1)); break;
            case FormatKind::Integer: values.emplace_back(IntegerArgument(text, i + 1)); break;
            case FormatKind::Real: values.emplace_back(RealArgument(text, i + 1)); break;
            case FormatKind::None: break;
        }
    }
    try {
        out << EncodeEscapes(FormatValuesDynamic(format, values)) << '\n';
    } catch (const std::invalid_argument& e) {
        LogCaught(diagnostics::QxText, "Format");
        throw UsageError(e.what());
    }
    return 0;
}

std::string Stamp(TDateTime time) {
    const TDateTimeParts p = DecodeDateTime(time);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
    return text;
}

// Prints every reading it is shown.
class PrintingPage final : public IReadingSink {
public:
    explicit PrintingPage(std::ostream& out) : out_(out) {}
    void ShowReading(const SensorReading& r) override { Print("reading", r); }
    void ShowSecondaryReading(const SensorReading& r) override { Print("secondary", r); }

private:
    void Print(const char* kind, const SensorReading& r) {
        out_ << kind << '\t' << EncodeEscapes(r.Station) << '\t' << EncodeEscapes(r.Sensor) << '\t'
             << EncodeEscapes(r.Source) << '\t' << Stamp(r.Time) << '\t' << EncodeEscapes(r.Value)
             << '\n';
    }
    std::ostream& out_;
};

std::string SenderId(const std::string& sender) {
    if (sender == "decode") return std::string(IID_IQXDecodeCom);
    if (sender == "rtu") return std::string(IID_IQXRtuDataCOM);
    if (sender == "mbrtu") return std::string(IID_IQXMBRTUDataCOM);
    if (sender == "app") return std::string(IID_IQXRTDCom);
    return sender;
}

int Decode(const Options& o, std::istream& in, std::ostream& out) {
    if (o.positional.size() > 1) throw UsageError("decode reads its events from standard input");
    PrintingPage page(out);
    TPageVector pages{&page};
    TSetupQueryLookup setup([&](const std::string& request) {
        out << "lookup\t" << EncodeEscapes(request) << '\n';
        if (o.setupFailures.count(request)) throw std::runtime_error("setup call failed");
        const auto it = o.setupAnswers.find(request);
        return it == o.setupAnswers.end() ? std::string() : it->second;
    });
    TDataDecoder decoder(std::string(IID_IQXRTDCom), pages, setup);

    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos)
            throw UsageError("line " + std::to_string(number) + " is not SENDER<TAB>TYPE<TAB>TEXT");
        decoder.Buffer.EventSourceId = SenderId(line.substr(0, tab1));
        decoder.Buffer.EventMessageType = DecodeEscapes(line.substr(tab1 + 1, tab2 - tab1 - 1));
        decoder.Buffer.EventText = DecodeEscapes(line.substr(tab2 + 1));
        decoder.DecodeDataMessage();
    }
    return 0;
}

}  // namespace

std::string DecodeEscapes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            const char decoded = next == 't'    ? '\t'
                                 : next == 'r'  ? '\r'
                                 : next == 'n'  ? '\n'
                                 : next == '\\' ? '\\'
                                                : '\0';
            if (decoded != '\0') {
                out += decoded;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string EncodeEscapes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\\': out += "\\\\"; break;
            case '\0': out += "\\0"; break;
            default: out += c;
        }
    }
    return out;
}

int RunQxText(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
    try {
        const Options options = ParseOptions(args);
        if (options.help) {
            out << kUsage;
            return 0;
        }
        if (options.positional.empty())
            throw UsageError("a command is needed: scan, format or decode");
        const std::string& command = options.positional[0];
        if (command != "scan" && command != "format" && command != "decode")
            throw UsageError("unknown command " + command);
        if (command != "decode" &&
            (!options.setupAnswers.empty() || !options.setupFailures.empty()))
            throw UsageError("--setup and --setup-fail belong to decode");

        TRegionalSettings regional = Regional();
        if (options.dateSeparator) regional.DateSeparator = *options.dateSeparator;
        if (options.timeSeparator) regional.TimeSeparator = *options.timeSeparator;
        SetRegional(regional);

        if (command == "scan") return Scan(options, out);
        if (command == "format") return Format(options, out);
        return Decode(options, in, out);
    } catch (const std::exception& e) {
        // Usage errors and failures alike.
        LogCaught(diagnostics::QxText, "RunQxText");
        err << "qxtext: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace qx
