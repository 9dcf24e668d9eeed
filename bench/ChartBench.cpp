// Chart drawing and point intake.
//
// ChartPaint: 16 series of N points each over one hour, painted into a
// 1920x1080 image with antialiasing. Subject: the chart renderer (legend,
// axes, grid, and each series decimated per pixel column). Baseline: a
// plain QPainter polyline through every point, mapped to the same plot.
//
// ChartAppend: one series with a history span of 100,000 points; each
// point is appended and the points older than the span are trimmed, as a
// live trend does. The counter bytes_per_point is the memory the series
// holds per point.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <memory>
#include <random>

#include "bench/BenchApplication.h"
#include "chart/ChartRenderer.h"

namespace qx {
namespace {

constexpr int kSeries = 16;
constexpr double kStart = 40000;
constexpr double kHour = 1.0 / 24;

std::unique_ptr<TChart> MakeChart(std::int64_t n) {
    auto chart = std::make_unique<TChart>();
    chart->BottomAxis().SetAutomatic(false);
    chart->BottomAxis().SetMinMax(kStart, kStart + kHour);
    std::mt19937 rng(5);
    std::normal_distribution<double> step(0, 1);
    for (int k = 0; k < kSeries; ++k) {
        TChartSeries& s = chart->AddSeries("ST" + std::to_string(k) + ".SENSOR");
        s.Reserve(static_cast<std::size_t>(n));
        double v = 100 * k;
        for (std::int64_t i = 0; i < n; ++i) {
            v += step(rng);
            s.AddXY(kStart + kHour * static_cast<double>(i) / static_cast<double>(n), v);
        }
    }
    return chart;
}

TChartRenderOptions Options() {
    TChartRenderOptions options;
    options.palette.setColor(QPalette::Base, Qt::white);
    options.palette.setColor(QPalette::Text, Qt::black);
    options.font = QFont(QStringLiteral("DejaVu Sans"), 9);
    return options;
}

void ChartPaint_subject(benchmark::State& state) {
    EnsureBenchApplication();
    const auto chart = MakeChart(state.range(0));
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const TChartRenderOptions options = Options();
    for (auto _ : state) {
        chart->Changed();  // every frame works out ranges and layout again
        QPainter painter(&image);
        TChartRenderer::Render(*chart, painter, QRectF(0, 0, 1920, 1080), options);
    }
    state.SetItemsProcessed(state.iterations() * kSeries * state.range(0));
}

void ChartPaint_baseline(benchmark::State& state) {
    EnsureBenchApplication();
    const auto chart = MakeChart(state.range(0));
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    const TChartRenderOptions options = Options();
    QPainter setup(&image);
    const TChartLayout layout =
        TChartRenderer::Render(*chart, setup, QRectF(0, 0, 1920, 1080), options);
    setup.end();
    QPolygonF poly;
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(
            QRectF(layout.plot.left, layout.plot.top, layout.plot.width, layout.plot.height));
        for (int k = 0; k < kSeries; ++k) {
            const TChartSeries& s = chart->Series(k);
            const TAxisLayout& y = *layout.Vertical(s.VerticalAxis());
            poly.resize(static_cast<qsizetype>(s.Count()));
            for (std::size_t i = 0; i < s.Count(); ++i)
                poly[static_cast<qsizetype>(i)] =
                    QPointF(layout.bottom.ToPixel(s.X(i)), y.ToPixel(s.Y(i)));
            painter.setPen(QPen(TChartRenderer::SeriesColor(s.Color(), options), 1));
            painter.drawPolyline(poly);
        }
    }
    state.SetItemsProcessed(state.iterations() * kSeries * state.range(0));
}

void ChartAppend(benchmark::State& state) {
    constexpr double kSpan = 100000;  // points of history, one a second
    TChart chart;
    TChartSeries& s = chart.AddSeries("ST1.AIR");
    double t = 0;
    double v = 0;
    for (; t < kSpan; t += 1) s.AddXY(t, v = v < 96 ? v + 1 : 0);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            s.AddXY(t, v = v < 96 ? v + 1 : 0);
            s.TrimBefore(t - kSpan);
            t += 1;
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.counters["bytes_per_point"] =
        static_cast<double>(s.Points().MemoryBytes()) / static_cast<double>(s.Count());
}

BENCHMARK(ChartPaint_subject)
    ->Name("ChartPaint/subject")
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ChartPaint_baseline)
    ->Name("ChartPaint/baseline")
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ChartAppend);

}  // namespace
}  // namespace qx
