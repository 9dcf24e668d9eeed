// Plain value types of the chart: colours, marker styles, rectangles, value
// ranges. No Qt, so the model and its tests run without a window.
#pragma once

#include <array>
#include <cstdint>

namespace qx {

// A colour as 0xAARRGGBB. Alpha 0 means "not set": the renderer then uses
// the theme's colour for that element.
struct TChartColor {
    std::uint32_t argb = 0;

    static constexpr TChartColor Rgb(int r, int g, int b) {
        return {0xFF000000u | (static_cast<std::uint32_t>(r & 0xFF) << 16) |
                (static_cast<std::uint32_t>(g & 0xFF) << 8) | static_cast<std::uint32_t>(b & 0xFF)};
    }
    constexpr int Red() const { return static_cast<int>((argb >> 16) & 0xFF); }
    constexpr int Green() const { return static_cast<int>((argb >> 8) & 0xFF); }
    constexpr int Blue() const { return static_cast<int>(argb & 0xFF); }
    constexpr int Alpha() const { return static_cast<int>(argb >> 24); }
    constexpr bool IsSet() const { return Alpha() != 0; }
    friend constexpr bool operator==(TChartColor, TChartColor) = default;
};

// The colours series get as they are added, in order.
inline constexpr std::array<TChartColor, 37> SeriesPalette = {
    TChartColor::Rgb(255, 0, 0),     TChartColor::Rgb(255, 0, 0),
    TChartColor::Rgb(0, 128, 0),     TChartColor::Rgb(0, 0, 255),
    TChartColor::Rgb(255, 0, 255),   TChartColor::Rgb(0, 128, 128),
    TChartColor::Rgb(0, 0, 128),     TChartColor::Rgb(128, 0, 0),
    TChartColor::Rgb(0, 255, 0),     TChartColor::Rgb(128, 128, 0),
    TChartColor::Rgb(128, 0, 128),   TChartColor::Rgb(0, 255, 255),
    TChartColor::Rgb(0, 0, 0),       TChartColor::Rgb(128, 128, 64),
    TChartColor::Rgb(64, 0, 64),     TChartColor::Rgb(64, 0, 128),
    TChartColor::Rgb(128, 0, 255),   TChartColor::Rgb(255, 0, 128),
    TChartColor::Rgb(255, 128, 128), TChartColor::Rgb(0, 128, 255),
    TChartColor::Rgb(255, 128, 192), TChartColor::Rgb(255, 128, 255),
    TChartColor::Rgb(0, 128, 192),   TChartColor::Rgb(128, 128, 192),
    TChartColor::Rgb(255, 0, 255),   TChartColor::Rgb(128, 64, 64),
    TChartColor::Rgb(255, 128, 64),  TChartColor::Rgb(0, 128, 128),
    TChartColor::Rgb(0, 64, 128),    TChartColor::Rgb(128, 0, 64),
    TChartColor::Rgb(128, 0, 0),     TChartColor::Rgb(0, 128, 0),
    TChartColor::Rgb(0, 0, 160),     TChartColor::Rgb(128, 0, 128),
    TChartColor::Rgb(128, 128, 0),   TChartColor::Rgb(166, 202, 240),
    TChartColor::Rgb(192, 220, 192),
};

// Point markers. SmallDot and None exist for completeness; the first ten
// are the ones a cycle of distinct markers walks through.
enum class TMarkerStyle : std::uint8_t {
    Rectangle,
    Circle,
    Triangle,
    DownTriangle,
    Cross,
    DiagonalCross,
    Star,
    Diamond,
    LeftTriangle,
    RightTriangle,
    SmallDot,
    None,
};

// Axes are named by ids: the four built-in axes have fixed negative ids,
// custom axes get ids from 0 up that are never reused.
using TAxisId = int;
inline constexpr TAxisId kLeftAxis = -1;
inline constexpr TAxisId kBottomAxis = -2;
inline constexpr TAxisId kRightAxis = -3;
inline constexpr TAxisId kTopAxis = -4;

struct TRectD {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool Contains(double x, double y) const {
        return x >= left && x <= Right() && y >= top && y <= Bottom();
    }
};

// A closed range [min, max]; valid is false for the extent of no values.
struct TValueRange {
    double min = 0;
    double max = 0;
    bool valid = false;

    void Include(double v) {
        if (!valid) {
            min = max = v;
            valid = true;
        } else {
            if (v < min) min = v;
            if (v > max) max = v;
        }
    }
    void Include(const TValueRange& r) {
        if (!r.valid) return;
        Include(r.min);
        Include(r.max);
    }
};

}  // namespace qx
