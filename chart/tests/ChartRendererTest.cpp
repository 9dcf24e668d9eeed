#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <random>

#include "chart/ChartRenderer.h"

namespace qx {

namespace {

QPalette LightPalette() {
    QPalette p;
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    return p;
}

QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Base, QColor(30, 30, 34));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    return p;
}

// Dense noisy series with spikes, points before and after the time range,
// values beyond a fixed axis range, a sparse series with markers.
void FillSmallChart(TChart& chart) {
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0, 1);
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMinMax(100, 200);
    for (int k = 0; k < 3; ++k) {
        TChartSeries& s = chart.AddSeries("S" + std::to_string(k));
        double v = 50;
        for (int i = 0; i < 30000; ++i) {
            v += noise(rng);
            const double spike = i % 997 == 0 ? 40 * noise(rng) : 0;
            s.AddXY(90 + i * (120.0 / 30000) + k * 0.0013, v + spike + k * 10);
        }
    }
    TChartSeries& sparse = chart.AddSeries("sparse");
    sparse.SetMarkerVisible(true);
    sparse.SetMarkerStyle(TMarkerStyle::Diamond);
    const TAxisId id = chart.AddCustomAxis();
    chart.Axis(id)->SetAutomatic(false);
    chart.Axis(id)->SetMinMax(0, 10);  // the data leaves this range
    chart.Axis(id)->SetStartPosition(50);
    sparse.SetVerticalAxis(id);
    for (int i = 0; i < 25; ++i) sparse.AddXY(95 + i * 5, (i * 7) % 15);
}

QImage Draw(TChart& chart, bool decimate, qreal dpr, bool antialiasing = false) {
    TChartRenderOptions options;
    options.palette = LightPalette();
    options.font = QApplication::font();
    options.devicePixelRatio = dpr;
    options.antialiasing = antialiasing;
    options.decimate = decimate;
    return TChartRenderer::RenderImage(chart, QSize(240, 160), options);
}

}  // namespace

// Drawing first, minimum, maximum and last of each pixel column gives the
// very pixels of the line through every point.
TEST(ChartRenderer, DecimatedPictureEqualsEveryPointPicture) {
    TChart chart;
    FillSmallChart(chart);
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage full = Draw(chart, false, dpr);
        const QImage decimated = Draw(chart, true, dpr);
        ASSERT_EQ(full.size(), decimated.size());
        int differing = 0;
        for (int y = 0; y < full.height(); ++y) {
            for (int x = 0; x < full.width(); ++x)
                differing += full.pixel(x, y) != decimated.pixel(x, y);
        }
        EXPECT_EQ(differing, 0) << "at pixel ratio " << dpr;
        // The chart did draw the series: many pixels of its first colour.
        int red = 0;
        for (int y = 0; y < full.height(); ++y) {
            for (int x = 0; x < full.width(); ++x) red += full.pixel(x, y) == qRgb(255, 0, 0);
        }
        EXPECT_GT(red, 200 * dpr * dpr);
    }
}

// Thousands of points a column (whole summary blocks inside each column,
// partial ones at its edges) and a stretch of a few points a column: the
// decimated picture still equals the every-point one.
TEST(ChartRenderer, DensePictureEqualsEveryPointPicture) {
    TChart chart;
    chart.SetLegendVisible(false);
    chart.BottomAxis().SetAutomatic(false);
    chart.BottomAxis().SetMinMax(0, 100);
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 1);
    for (int k = 0; k < 2; ++k) {
        TChartSeries& s = chart.AddSeries("D" + std::to_string(k));
        double v = 0;
        double x = -1;
        while (x < 101) {
            v += noise(rng);
            s.AddXY(x, v + (std::uniform_int_distribution<int>(0, 5000)(rng) == 0 ? 80 : 0));
            x += x > 60 && x < 70 ? 0.2 : 0.0002 * (k + 1);
        }
    }
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage full = Draw(chart, false, dpr);
        const QImage decimated = Draw(chart, true, dpr);
        ASSERT_EQ(full.size(), decimated.size());
        int differing = 0;
        int drawn = 0;
        for (int y = 0; y < full.height(); ++y) {
            for (int x = 0; x < full.width(); ++x) {
                differing += full.pixel(x, y) != decimated.pixel(x, y);
                drawn += full.pixel(x, y) == qRgb(255, 0, 0);
            }
        }
        EXPECT_EQ(differing, 0) << "at pixel ratio " << dpr;
        EXPECT_GT(drawn, 1000 * dpr * dpr);
    }
}

// A level line is exactly one device pixel row (two at 2x) of the pure
// series colour, with antialiasing on.
TEST(ChartRenderer, LevelLinesAreCrisp) {
    for (const qreal dpr : {1.0, 2.0}) {
        TChart chart;
        chart.SetLegendVisible(false);
        TChartSeries& s = chart.AddSeries();
        s.SetColor(TChartColor::Rgb(0, 0, 255));
        chart.LeftAxis().SetAutomatic(false);
        chart.LeftAxis().SetMinMax(0, 10);
        for (int i = 0; i <= 100; ++i) s.AddXY(i, 3.3);
        const QImage image = Draw(chart, true, dpr, true);
        const int x = image.width() / 2;
        int rows = 0;
        int blended = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb c = image.pixel(x, y);
            if (c == qRgb(0, 0, 255)) {
                ++rows;
            } else if (qBlue(c) > qRed(c) + 40) {
                ++blended;
            }
        }
        EXPECT_EQ(rows, static_cast<int>(dpr)) << dpr;
        EXPECT_EQ(blended, 0) << dpr;
    }
}

TEST(ChartRenderer, SeriesColoursKeepContrastOnEitherTheme) {
    for (const QPalette& palette : {LightPalette(), DarkPalette()}) {
        TChartRenderOptions options;
        options.palette = palette;
        const QColor background = palette.color(QPalette::Base);
        for (const TChartColor c : SeriesPalette) {
            const QColor shown = TChartRenderer::SeriesColor(c, options);
            auto lum = [](const QColor& q) {
                auto ch = [](double v) {
                    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
                };
                return 0.2126 * ch(q.redF()) + 0.7152 * ch(q.greenF()) + 0.0722 * ch(q.blueF());
            };
            const double a = lum(shown);
            const double b = lum(background);
            EXPECT_GE((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05), 2.9)
                << c.Red() << "," << c.Green() << "," << c.Blue();
        }
        // Colours that already read well are kept as they are.
        const TChartColor strong = palette.color(QPalette::Base).lightness() > 128
                                       ? TChartColor::Rgb(0, 0, 255)
                                       : TChartColor::Rgb(255, 128, 64);
        const QColor kept = TChartRenderer::SeriesColor(strong, options);
        EXPECT_EQ(kept, QColor(strong.Red(), strong.Green(), strong.Blue()));
    }
}

}  // namespace qx
