#include "textscan/Regional.h"

#include <utility>

namespace qx {

namespace {

struct RegionalState {
    TRegionalSettings Settings;
    TDatePatterns Patterns = BuildDatePatterns(Settings.DateSeparator, Settings.TimeSeparator);
};

// Function-local so that the defaults are usable during static
// initialisation of other translation units.
RegionalState& State() {
    static RegionalState state;
    return state;
}

// A separator as pattern text: "%" would start a directive, so it is doubled.
std::string Literal(char separator) {
    return separator == '%' ? std::string("%%") : std::string(1, separator);
}

std::string ThreeFields(const char* first, const char* second, const char* third, char separator) {
    const std::string sep = Literal(separator);
    return std::string(first) + sep + second + sep + third;
}

}  // namespace

TDatePatterns BuildDatePatterns(char dateSeparator, char timeSeparator) {
    TDatePatterns patterns;
    patterns.TimePattern = ThreeFields("%w", "%w", "%w", timeSeparator);
    patterns.DatePattern = ThreeFields("%w", "%w", "%w", dateSeparator);
    patterns.DateTimePattern = patterns.DatePattern + " " + patterns.TimePattern;
    patterns.TimeOutPattern = ThreeFields("%02w", "%02w", "%02w", timeSeparator);
    patterns.DateOutPattern = ThreeFields("%02w", "%02w", "%04w", dateSeparator);
    patterns.DateTimeOutPattern = patterns.DateOutPattern + " " + patterns.TimeOutPattern;
    return patterns;
}

const TRegionalSettings& Regional() {
    return State().Settings;
}

const TDatePatterns& DatePatterns() {
    return State().Patterns;
}

void SetRegional(const TRegionalSettings& settings) {
    RegionalState& state = State();
    TDatePatterns patterns = BuildDatePatterns(settings.DateSeparator, settings.TimeSeparator);
    state.Settings = settings;
    state.Patterns = std::move(patterns);
}

ScopedRegional::ScopedRegional(const TRegionalSettings& settings) : saved_(Regional()) {
    SetRegional(settings);
}

ScopedRegional::ScopedRegional(char dateSeparator, char timeSeparator) : saved_(Regional()) {
    TRegionalSettings settings = saved_;
    settings.DateSeparator = dateSeparator;
    settings.TimeSeparator = timeSeparator;
    SetRegional(settings);
}

ScopedRegional::~ScopedRegional() {
    SetRegional(saved_);
}

}  // namespace qx
