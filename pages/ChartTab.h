// The chart page: a time chart with one line per watched sensor. Until the
// chart is drawn here, the page keeps the base behaviour of every operation:
// it claims every sensor (so nothing is added to it), ignores readings, and
// leaves its workspace section as it was read, for the chart to find later.
#pragma once

#include <QWidget>

#include "pages/WatchTab.h"

namespace qx {

class TfrmChartTab : public QWidget, public TWatchTab {
    Q_OBJECT

public:
    explicit TfrmChartTab(QWidget* parent = nullptr);
    ~TfrmChartTab() override;
};

}  // namespace qx
