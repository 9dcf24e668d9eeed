// Regional settings as read once at start, and the date patterns built from
// their separators. Plain data: the program fills it from the system locale,
// tests pin their own with ScopedRegional.
#pragma once

#include <string>

namespace qx {

struct TRegionalSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    // Qt-style date and time patterns ("MM/dd/yyyy", "HH:mm:ss").
    std::string ShortDateFormat = "MM/dd/yyyy";
    std::string LongTimeFormat = "HH:mm:ss";
};

// Scan and output patterns of dates and times; month, day, year order always.
struct TDatePatterns {
    std::string TimePattern;         // %w T %w T %w
    std::string DatePattern;         // %w D %w D %w
    std::string DateTimePattern;     // DatePattern " " TimePattern
    std::string TimeOutPattern;      // %02w T %02w T %02w
    std::string DateOutPattern;      // %02w D %02w D %04w
    std::string DateTimeOutPattern;  // DateOutPattern " " TimeOutPattern
};

TDatePatterns BuildDatePatterns(char dateSeparator, char timeSeparator);

// The settings in force and the patterns built from them. Until SetRegional
// is called they are the defaults above ("/" and ":").
const TRegionalSettings& Regional();
const TDatePatterns& DatePatterns();

// Replaces the settings and rebuilds the patterns. Called once at start-up
// (before any scanning) and by tests.
void SetRegional(const TRegionalSettings& settings);

// Pins regional settings for the lifetime of the object, then restores.
class ScopedRegional {
public:
    explicit ScopedRegional(const TRegionalSettings& settings);
    ScopedRegional(char dateSeparator, char timeSeparator);
    ~ScopedRegional();
    ScopedRegional(const ScopedRegional&) = delete;
    ScopedRegional& operator=(const ScopedRegional&) = delete;

private:
    TRegionalSettings saved_;
};

}  // namespace qx
