#include "pages/ChartTab.h"

#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace qx {

TfrmChartTab::TfrmChartTab(QWidget* parent) : QWidget(parent) {
    // An empty area with a muted caption where the chart will be drawn.
    auto* placeholder = new QLabel(QStringLiteral("Chart"), this);
    placeholder->setObjectName(QStringLiteral("lblChartPlaceholder"));
    placeholder->setAlignment(Qt::AlignCenter);
    QPalette palette = placeholder->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    placeholder->setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(placeholder);
}

TfrmChartTab::~TfrmChartTab() = default;

}  // namespace qx
