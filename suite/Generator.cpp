#include "suite/Generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "textscan/AsciiText.h"

namespace qx::suite {

namespace {

// The whole periods elapsed at t, never negative.
double Periods(double t, double period) {
    return period > 0 ? std::max(0.0, t / period) : 0;
}

}  // namespace

std::string FormatReal(double v, int decimals) {
    decimals = std::clamp(decimals, 0, 9);
    if (!std::isfinite(v)) v = 0;
    const double scale = std::pow(10.0, decimals);
    if (std::round(std::fabs(v) * scale) == 0) v = 0;  // no "-0.00"
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

std::string_view AlarmState(const TAlarmSettings& alarm, double value) {
    if (alarm.High && value > *alarm.High) return "HIGH";
    if (alarm.Low && value < *alarm.Low) return "LOW";
    return "OK";
}

std::uint32_t SensorSeed(std::uint32_t suiteSeed, std::string_view station,
                         std::string_view sensor) {
    // FNV-1a over the names, upper-cased so that the name's spelling in the
    // file does not matter.
    std::uint32_t h = 2166136261u ^ suiteSeed;
    auto mix = [&](std::string_view s) {
        for (const char c : s) h = (h ^ static_cast<unsigned char>(AsciiUpper(c))) * 16777619u;
        h = (h ^ 0x2Eu) * 16777619u;
    };
    mix(station);
    mix(sensor);
    return h;
}

TGenerator::TGenerator(const TGeneratorSettings& settings, std::uint32_t seed)
    : settings_(settings),
      random_(seed),
      number_(settings.Kind == TGeneratorKind::Walk
                  ? std::clamp(settings.Value, settings.Min, settings.Max)
                  : settings.Value) {
    Advance(0);
}

void TGenerator::Advance(double t) {
    const TGeneratorSettings& s = settings_;
    switch (s.Kind) {
        case TGeneratorKind::Constant: number_ = s.Value; break;
        case TGeneratorKind::Ramp: {
            const double p = Periods(t, s.Period);
            number_ = s.Min + (s.Max - s.Min) * (p - std::floor(p));
            break;
        }
        case TGeneratorKind::Sine:
            number_ = (s.Min + s.Max) / 2 +
                      (s.Max - s.Min) / 2 * std::sin(2 * std::numbers::pi * Periods(t, s.Period));
            break;
        case TGeneratorKind::Walk:
            if (t > 0 && s.Step > 0) {
                std::uniform_real_distribution<double> step(-s.Step, s.Step);
                number_ = std::clamp(number_ + step(random_), s.Min, s.Max);
            }
            break;
        case TGeneratorKind::Step:
            number_ = static_cast<std::int64_t>(std::floor(Periods(t, s.Period))) % 2 == 0 ? s.Min
                                                                                           : s.Max;
            break;
        case TGeneratorKind::Text: {
            number_ = 0;
            if (s.Texts.empty()) {
                text_.clear();
            } else {
                const auto n = static_cast<std::uint64_t>(std::floor(Periods(t, s.Period)));
                text_ = s.Texts[n % s.Texts.size()];
            }
            return;
        }
    }
    text_ = FormatReal(number_, s.Decimals);
}

}  // namespace qx::suite
