// The series selection dialog: lists a chart's series (colour and title)
// for the operator to pick from. The caller reads, on OK, either the
// selected entries (to remove series) or the chosen series (the one that
// was current when OK was pressed).
#pragma once

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;

namespace qx {

class TChart;
class TChartSeries;

class TfrmSelectSeries : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSelectSeries(QWidget* parent = nullptr);
    ~TfrmSelectSeries() override;

    // The chart whose series are listed; set before showing.
    void SetChart(TChart* chart);
    // Lists the chart's series (done when the dialog is shown).
    void FillSeries();

    // Positions of the selected entries, in list order.
    std::vector<int> SelectedPositions() const;
    // The series chosen with OK; null when none.
    TChartSeries* ChosenSeries() const { return chosen_; }

    void btnOKClick();
    void btnClearClick();

    QListWidget* LBSeries = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnClear = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TChart* chart_ = nullptr;
    TChartSeries* chosen_ = nullptr;
};

}  // namespace qx
