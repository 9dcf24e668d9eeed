// Writes pictures of a sample chart (single and stacked axes, light and
// dark, 1x and 2x) into the folder given, for a look by eye.
#include <QApplication>
#include <QDir>

#include <cmath>

#include "chart/ChartRenderer.h"

namespace {

using namespace qx;

constexpr double kStart = 39945.5;  // 2009-05-12 12:00
constexpr double kSecond = 1.0 / 86400;

void Fill(TChart& chart, bool stacked, int seriesCount) {
    const char* titles[] = {"WX1.AIRTEMP", "WX1.HUMIDITY", "RIV2.STAGE", "PMP3.FLOW",
                            "WX1.PRESSURE"};
    const TMarkerStyle markers[] = {TMarkerStyle::Rectangle, TMarkerStyle::Circle,
                                    TMarkerStyle::Triangle, TMarkerStyle::DownTriangle,
                                    TMarkerStyle::Cross};
    TChartAxis& bottom = chart.BottomAxis();
    bottom.SetAutomatic(false);
    bottom.SetMinMax(kStart, kStart + 1.0 / 24);
    bottom.SetDateTimeFormat("hh:nn:ss");
    bottom.SetLabelAngle(90);
    chart.LeftAxis().SetValueFormat("###0.00");
    chart.LeftAxis().SetIncrement(0.01);
    chart.SetMarginLeft(stacked ? 6 : 3);
    for (int k = 0; k < seriesCount; ++k) {
        TChartSeries& s = chart.AddSeries(titles[k]);
        s.SetMarkerStyle(markers[k]);
        s.SetMarkerVisible(true);
        const TAxisId id = chart.AddCustomAxis();
        TChartAxis& axis = *chart.Axis(id);
        axis.SetTickColor(s.Color());
        axis.SetLineColor(s.Color());
        axis.SetLabelColor(s.Color());
        axis.SetIncrement(0.01);
        axis.SetValueFormat("###0.00");
        axis.SetStartPosition(k * 100.0 / seriesCount);
        axis.SetEndPosition((k + 1) * 100.0 / seriesCount);
        axis.SetVisible(stacked);
        s.SetVerticalAxis(stacked ? id : kLeftAxis);
        const int step = k == 0 ? 60 : 5;  // one sparse series shows its markers
        for (int t = 0; t <= 3600; t += step) {
            const double v = k == 0   ? 18 + 3 * std::sin(t / 900.0) + (t % 7) * 0.1
                             : k == 1 ? 55 + 20 * std::sin(t / 1300.0 + 1) + std::sin(t * 0.37) * 2
                             : k == 2 ? 2.4 + 0.3 * std::cos(t / 500.0) + ((t * 7919) % 13) * 0.01
                                      : 140 + 30 * std::sin(t / 200.0) * std::sin(t / 1700.0);
            s.AddXY(kStart + t * kSecond, v);
        }
    }
}

QPalette Palette(bool dark) {
    QPalette p;
    p.setColor(QPalette::Base, dark ? QColor(32, 33, 36) : Qt::white);
    p.setColor(QPalette::Text, dark ? QColor(226, 226, 226) : QColor(20, 20, 20));
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(dir);
    for (const bool stacked : {false, true}) {
        for (const bool dark : {false, true}) {
            for (const qreal dpr : {1.0, 2.0}) {
                TChart chart;
                Fill(chart, stacked, 4);
                TChartRenderOptions options;
                options.palette = Palette(dark);
                options.font = QFont(QStringLiteral("DejaVu Sans"), 9);
                options.devicePixelRatio = dpr;
                const QImage image = TChartRenderer::RenderImage(chart, QSize(900, 520), options);
                image.save(QStringLiteral("%1/chart-%2-%3-%4x.png")
                               .arg(dir,
                                    stacked ? QStringLiteral("stacked") : QStringLiteral("single"),
                                    dark ? QStringLiteral("dark") : QStringLiteral("light"))
                               .arg(static_cast<int>(dpr)));
            }
        }
    }
    TChart small;
    Fill(small, true, 3);
    TChartRenderOptions options;
    options.palette = Palette(false);
    options.font = QFont(QStringLiteral("DejaVu Sans"), 9);
    TChartRenderer::RenderImage(small, QSize(420, 260), options)
        .save(dir + QStringLiteral("/chart-small.png"));
    return 0;
}
