#include "pages/SelectSeries.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "chart/Chart.h"
#include "chart/ChartRenderer.h"

namespace qx {

namespace {

// A swatch of the series' colour as the chart draws it on this palette.
QIcon Swatch(TChartColor color, const QPalette& palette) {
    TChartRenderOptions options;
    options.palette = palette;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(palette.color(QPalette::Text));
    painter.setBrush(TChartRenderer::SeriesColor(color, options));
    painter.drawRect(QRectF(1.5, 1.5, 13, 13));
    return QIcon(pixmap);
}

}  // namespace

TfrmSelectSeries::TfrmSelectSeries(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmSelectSeries"));
    setWindowTitle(QStringLiteral("Select Chart Series"));
    setAccessibleName(QStringLiteral("Select Chart Series"));

    LBSeries = new QListWidget(this);
    LBSeries->setObjectName(QStringLiteral("LBSeries"));
    LBSeries->setAccessibleName(QStringLiteral("Chart series"));
    LBSeries->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LBSeries->setDragEnabled(false);
    LBSeries->setUniformItemSizes(true);
    LBSeries->setMinimumSize(260, 24 * 8);
    connect(LBSeries, &QListWidget::itemDoubleClicked, this, [this] { btnOKClick(); });

    auto button = [this](const char* name, const QString& text, const QString& accessible) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(accessible);
        b->setAutoDefault(false);
        return b;
    };
    btnOK = button("btnOK", QStringLiteral("&OK"), QStringLiteral("OK"));
    btnCancel = button("btnCancel", QStringLiteral("&Cancel"), QStringLiteral("Cancel"));
    btnClear = button("btnClear", QStringLiteral("C&lear"), QStringLiteral("Clear"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LBSeries);
    layout->addLayout(buttons);
}

TfrmSelectSeries::~TfrmSelectSeries() = default;

void TfrmSelectSeries::SetChart(TChart* chart) {
    chart_ = chart;
    chosen_ = nullptr;
}

void TfrmSelectSeries::FillSeries() {
    LBSeries->clear();
    if (!chart_) return;
    for (int i = 0; i < chart_->SeriesCount(); ++i) {
        const TChartSeries& series = chart_->Series(i);
        auto* item = new QListWidgetItem(Swatch(series.Color(), palette()),
                                         QString::fromStdString(series.Title()), LBSeries);
        item->setSizeHint(QSize(0, 24));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }
}

void TfrmSelectSeries::showEvent(QShowEvent* event) {
    FillSeries();
    QDialog::showEvent(event);
}

std::vector<int> TfrmSelectSeries::SelectedPositions() const {
    std::vector<int> positions;
    for (int i = 0; i < LBSeries->count(); ++i)
        if (LBSeries->item(i)->isSelected()) positions.push_back(i);
    return positions;
}

void TfrmSelectSeries::btnOKClick() {
    const int current = LBSeries->currentRow();
    if (current < 0 || !chart_ || current >= chart_->SeriesCount()) return;
    chosen_ = &chart_->Series(current);
    accept();
}

void TfrmSelectSeries::btnClearClick() {
    chosen_ = nullptr;
    LBSeries->clearSelection();
}

}  // namespace qx
