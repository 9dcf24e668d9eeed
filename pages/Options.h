// The Graph Options dialog: a chart page's axis style, display style, time
// window, refresh period, range policy and markers. It holds no settings of
// its own: the page fills it (Fill) and reads it back on OK. The check
// boxes of the range policy keep each other consistent.
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace qx {

struct TChartSettings;
class TValidEdit;

class TfrmOptions : public QDialog {
    Q_OBJECT

public:
    // Shows an error to the operator (default: an error box with OK).
    using ErrorReporter = std::function<void(QWidget* parent, const QString& text)>;

    explicit TfrmOptions(QWidget* parent = nullptr);
    ~TfrmOptions() override;

    void SetErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }

    // Fills the controls from a page's settings, in the page's order.
    void Fill(const TChartSettings& settings);

    // 0 "Single Axis", 1 "Multi Axes"; 0 "Real Time", 1 "Historical Time".
    int AxisStyle() const;
    void SetAxisStyle(int index);
    int DisplayStyle() const;
    void SetDisplayStyle(int index);

    // The day spin button's up and down clicks.
    void StepDays(bool up);

    // The range-policy rules, run when their check box changes state.
    void chkRangeAutoClick();
    void chkIndiRangeClick();
    void chkBestViewClick();

    QGroupBox* rdgAxis = nullptr;
    QRadioButton* rbtSingleAxis = nullptr;
    QRadioButton* rbtMultiAxes = nullptr;
    QGroupBox* gbxIntervals = nullptr;
    QLineEdit* edtDisplayIntervalDay = nullptr;
    QWidget* spnbtnNoChangeInterval = nullptr;
    QToolButton* btnDaysUp = nullptr;
    QToolButton* btnDaysDown = nullptr;
    TValidEdit* valedtDisplayIntervalTime = nullptr;
    TValidEdit* valedtRefreshInterval = nullptr;
    QGroupBox* rdgTimeOption = nullptr;
    QRadioButton* rbtRealTime = nullptr;
    QRadioButton* rbtHistorical = nullptr;
    QGroupBox* gbxRanges = nullptr;
    QCheckBox* chkRangeAuto = nullptr;
    QLineEdit* edtRangeMin = nullptr;
    QLineEdit* edtRangeMax = nullptr;
    QCheckBox* chkIndiRange = nullptr;
    QCheckBox* chkBestView = nullptr;
    QGroupBox* gbxOthers = nullptr;
    QCheckBox* chkLinePointer = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void SetRangeEditsEnabled(bool enabled);

    ErrorReporter reportError_;
};

}  // namespace qx
