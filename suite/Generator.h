// The readings of one sensor: a value that follows the sensor's generator
// over time, written as the data text carries it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "suite/SuiteFile.h"

namespace qx::suite {

class TGenerator {
public:
    TGenerator(const TGeneratorSettings& settings, std::uint32_t seed);

    // Takes the reading at t seconds after the suite started. A random walk
    // takes one step per reading; the others depend on t alone.
    void Advance(double t);

    // The last reading: as text (numbers with the configured decimals, "." as
    // the point) and as a number (0 for text sensors).
    const std::string& Text() const { return text_; }
    double Number() const { return number_; }

private:
    TGeneratorSettings settings_;
    std::mt19937 random_;
    double number_ = 0;
    std::string text_;
};

// v with that many decimals, "." as the point, never "-0".
std::string FormatReal(double v, int decimals);

// The alarm companion's value for a reading: "HIGH" above the high limit,
// "LOW" below the low limit, otherwise "OK".
std::string_view AlarmState(const TAlarmSettings& alarm, double value);

// A seed for one sensor: the suite's seed mixed with the names, the same
// on every run.
std::uint32_t SensorSeed(std::uint32_t suiteSeed, std::string_view station,
                         std::string_view sensor);

}  // namespace qx::suite
