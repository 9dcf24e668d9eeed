#include "pages/Options.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "pages/ChartPageCore.h"
#include "pages/TimeText.h"
#include "pages/ValidEdit.h"

namespace qx {

namespace {

void ShowErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
    box.exec();
}

template <class W>
W* Named(W* widget, const char* name, const QString& accessible) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessible);
    return widget;
}

QLabel* Label(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

// A time edit with room beside it for the spin button it shows while it
// has the focus.
QWidget* WithSpinRoom(QWidget* box) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(box);
    layout->addSpacing(16);
    return holder;
}

}  // namespace

TfrmOptions::TfrmOptions(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      reportError_(&ShowErrorBox) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Graph Options"));
    setAccessibleName(QStringLiteral("Graph Options"));

    // Axis style and display style: two-choice radio groups.
    auto radioGroup = [this](const char* name, const QString& title, QRadioButton*& first,
                             const char* firstName, const QString& firstText, QRadioButton*& second,
                             const char* secondName, const QString& secondText) {
        auto* group = Named(new QGroupBox(title, this), name, title);
        auto* layout = new QHBoxLayout(group);
        first = Named(new QRadioButton(firstText, group), firstName, firstText);
        second = Named(new QRadioButton(secondText, group), secondName, secondText);
        layout->addWidget(first);
        layout->addWidget(second);
        first->setChecked(true);
        return group;
    };
    rdgAxis = radioGroup("rdgAxis", QStringLiteral("Axis Style"), rbtSingleAxis, "rbtSingleAxis",
                         QStringLiteral("Single Axis"), rbtMultiAxes, "rbtMultiAxes",
                         QStringLiteral("Multi Axes"));
    rdgTimeOption = radioGroup("rdgTimeOption", QStringLiteral("Display Style"), rbtRealTime,
                               "rbtRealTime", QStringLiteral("Real Time"), rbtHistorical,
                               "rbtHistorical", QStringLiteral("Historical Time"));

    // Intervals.
    gbxIntervals = Named(new QGroupBox(QStringLiteral("Intervals"), this), "gbxIntervals",
                         QStringLiteral("Intervals"));
    edtDisplayIntervalDay = Named(new QLineEdit(QStringLiteral("0")), "edtDisplayIntervalDay",
                                  QStringLiteral("Display interval days"));
    edtDisplayIntervalDay->setMaximumWidth(56);
    spnbtnNoChangeInterval = Named(new QWidget, "spnbtnNoChangeInterval",
                                   QStringLiteral("Display interval days up/down"));
    {
        auto* layout = new QVBoxLayout(spnbtnNoChangeInterval);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        btnDaysUp = Named(new QToolButton, "btnDaysUp", QStringLiteral("One day more"));
        btnDaysDown = Named(new QToolButton, "btnDaysDown", QStringLiteral("One day less"));
        for (QToolButton* b : {btnDaysUp, btnDaysDown}) {
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
            layout->addWidget(b);
        }
        btnDaysUp->setArrowType(Qt::UpArrow);
        btnDaysDown->setArrowType(Qt::DownArrow);
        spnbtnNoChangeInterval->setFixedWidth(16);
        connect(btnDaysUp, &QToolButton::clicked, this, [this] { StepDays(true); });
        connect(btnDaysDown, &QToolButton::clicked, this, [this] { StepDays(false); });
    }
    valedtDisplayIntervalTime =
        Named(new TValidEdit, "valedtDisplayIntervalTime", QStringLiteral("Display interval time"));
    valedtRefreshInterval =
        Named(new TValidEdit, "valedtRefreshInterval", QStringLiteral("Refresh interval"));
    for (TValidEdit* box : {valedtDisplayIntervalTime, valedtRefreshInterval}) {
        box->SetValidate(TValidEditFormat::veTime);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000:00:00")) + 12);
    }
    valedtRefreshInterval->SetDefault(QString::fromStdString(DaysToTimeText(kOneSecond)));
    {
        auto* grid = new QGridLayout(gbxIntervals);
        auto* dayRow = new QHBoxLayout;
        dayRow->setSpacing(0);
        dayRow->addWidget(edtDisplayIntervalDay);
        dayRow->addWidget(spnbtnNoChangeInterval);
        dayRow->addSpacing(6);
        dayRow->addWidget(new QLabel(QStringLiteral("days")));
        dayRow->addSpacing(6);
        dayRow->addWidget(WithSpinRoom(valedtDisplayIntervalTime));
        dayRow->addStretch();
        grid->addWidget(Label(QStringLiteral("&Display"), edtDisplayIntervalDay), 0, 0);
        grid->addLayout(dayRow, 0, 1);
        grid->addWidget(Label(QStringLiteral("&Refresh Interval"), valedtRefreshInterval), 1, 0);
        auto* refreshRow = new QHBoxLayout;
        refreshRow->addWidget(WithSpinRoom(valedtRefreshInterval));
        refreshRow->addStretch();
        grid->addLayout(refreshRow, 1, 1);
    }

    // Ranges.
    gbxRanges =
        Named(new QGroupBox(QStringLiteral("Ranges"), this), "gbxRanges", QStringLiteral("Ranges"));
    chkRangeAuto = Named(new QCheckBox(QStringLiteral("&Auto Range Adjustment")), "chkRangeAuto",
                         QStringLiteral("Auto Range Adjustment"));
    edtRangeMin = Named(new QLineEdit, "edtRangeMin", QStringLiteral("Range minimum"));
    edtRangeMax = Named(new QLineEdit, "edtRangeMax", QStringLiteral("Range maximum"));
    chkIndiRange = Named(new QCheckBox(QStringLiteral("&Indivisual Axis Range")), "chkIndiRange",
                         QStringLiteral("Indivisual Axis Range"));
    chkBestView = Named(new QCheckBox(QStringLiteral("&Best View")), "chkBestView",
                        QStringLiteral("Best View"));
    {
        auto* grid = new QGridLayout(gbxRanges);
        grid->addWidget(chkRangeAuto, 0, 0, 1, 4);
        grid->addWidget(Label(QStringLiteral("M&in"), edtRangeMin), 1, 0);
        grid->addWidget(edtRangeMin, 1, 1);
        grid->addWidget(Label(QStringLiteral("Ma&x"), edtRangeMax), 1, 2);
        grid->addWidget(edtRangeMax, 1, 3);
        grid->addWidget(chkIndiRange, 2, 0, 1, 4);
        grid->addWidget(chkBestView, 3, 0, 1, 4);
    }
    connect(chkRangeAuto, &QCheckBox::toggled, this, [this] { chkRangeAutoClick(); });
    connect(chkIndiRange, &QCheckBox::toggled, this, [this] { chkIndiRangeClick(); });
    connect(chkBestView, &QCheckBox::toggled, this, [this] { chkBestViewClick(); });

    // Others.
    gbxOthers =
        Named(new QGroupBox(QStringLiteral("Others"), this), "gbxOthers", QStringLiteral("Others"));
    chkLinePointer = Named(new QCheckBox(QStringLiteral("Show Data &Markers")), "chkLinePointer",
                           QStringLiteral("Show Data Markers"));
    chkLinePointer->setToolTip(QStringLiteral("Show data markers on graph"));
    (new QVBoxLayout(gbxOthers))->addWidget(chkLinePointer);

    btnOK = Named(new QPushButton(QStringLiteral("&OK")), "btnOK", QStringLiteral("OK"));
    btnCancel =
        Named(new QPushButton(QStringLiteral("&Cancel")), "btnCancel", QStringLiteral("Cancel"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rdgAxis);
    layout->addWidget(gbxIntervals);
    layout->addWidget(rdgTimeOption);
    layout->addWidget(gbxRanges);
    layout->addWidget(gbxOthers);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmOptions::~TfrmOptions() = default;

int TfrmOptions::AxisStyle() const {
    return rbtMultiAxes->isChecked() ? 1 : 0;
}

void TfrmOptions::SetAxisStyle(int index) {
    (index == 1 ? rbtMultiAxes : rbtSingleAxis)->setChecked(true);
}

int TfrmOptions::DisplayStyle() const {
    return rbtHistorical->isChecked() ? 1 : 0;
}

void TfrmOptions::SetDisplayStyle(int index) {
    (index == 1 ? rbtHistorical : rbtRealTime)->setChecked(true);
}

void TfrmOptions::Fill(const TChartSettings& s) {
    SetAxisStyle(s.ShowAxes ? 1 : 0);
    SetDisplayStyle(s.RealTime ? 0 : 1);
    valedtRefreshInterval->setText(QString::fromStdString(DaysToTimeText(s.RefreshInterval)));
    const double days = std::isfinite(s.Interval) ? std::floor(s.Interval) : 0;
    edtDisplayIntervalDay->setText(QString::number(static_cast<long long>(days)));
    valedtDisplayIntervalTime->setText(QString::fromStdString(DaysToTimeText(s.Interval)));
    chkLinePointer->setChecked(s.ShowPointer);
    chkBestView->setChecked(s.BestView);
    chkIndiRange->setChecked(s.IndiRange);
    chkIndiRangeClick();
    chkRangeAuto->setChecked(s.AutoRange);
    chkRangeAutoClick();
    edtRangeMin->setText(QString::fromStdString(ShortestFloatText(s.YAxisMin)));
    edtRangeMax->setText(QString::fromStdString(ShortestFloatText(s.YAxisMax)));
}

void TfrmOptions::StepDays(bool up) {
    const auto next = StepDayText(edtDisplayIntervalDay->text().toStdString(), up);
    if (!next) {
        reportError_(this, QStringLiteral("Error ???: Invalid day value"));
        return;
    }
    edtDisplayIntervalDay->setText(QString::fromStdString(*next));
}

void TfrmOptions::SetRangeEditsEnabled(bool enabled) {
    edtRangeMin->setEnabled(enabled);
    edtRangeMax->setEnabled(enabled);
}

void TfrmOptions::chkRangeAutoClick() {
    if (chkRangeAuto->isChecked()) {
        chkIndiRange->setEnabled(false);
        SetRangeEditsEnabled(false);
        return;
    }
    chkIndiRange->setEnabled(true);
    if (chkIndiRange->isChecked()) {
        SetRangeEditsEnabled(false);
        chkBestView->setChecked(false);
    } else {
        SetRangeEditsEnabled(true);
    }
}

void TfrmOptions::chkIndiRangeClick() {
    if (chkIndiRange->isChecked()) {
        SetRangeEditsEnabled(false);
        chkBestView->setChecked(false);
    } else {
        SetRangeEditsEnabled(true);
    }
}

void TfrmOptions::chkBestViewClick() {
    // Best view cannot combine with individual ranges unless auto range is on.
    if (!chkRangeAuto->isChecked() && chkIndiRange->isChecked()) chkBestView->setChecked(false);
}

}  // namespace qx
