#include "app/PickerPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/PickerLists.h"
#include "pages/WatchTab.h"

namespace qx {

TPickerPanel::TPickerPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlTop");
    setMinimumHeight(28);
    lblStations = new QLabel("Stations:");
    lblStations->setObjectName("lblStations");
    cbxStations = new QComboBox;
    cbxStations->setObjectName("cbxStations");
    cbxStations->setMinimumWidth(140);
    lblStations->setBuddy(cbxStations);
    lblSensors = new QLabel("Sensors:");
    lblSensors->setObjectName("lblSensors");
    cbxSensors = new QComboBox;
    cbxSensors->setObjectName("cbxSensors");
    cbxSensors->setMinimumWidth(140);
    cbxSensors->setEnabled(false);
    lblSensors->setBuddy(cbxSensors);
    btnMoreLess = new QPushButton("<< &Less");
    btnMoreLess->setObjectName("btnMoreLess");
    btnTest = new QPushButton("&Start!");
    btnTest->setObjectName("btnTest");
    btnTest->setVisible(false);

    lstSensors = new QTreeWidget;
    lstSensors->setObjectName("lstSensors");
    lstSensors->setRootIsDecorated(false);
    lstSensors->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstSensors->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstSensors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSensors->setHeaderLabels(
        {"SensorName", "RtuSensorName", "Enabled", "IsText", "Equation", "RawList"});
    const int widths[] = {150, 100, 0, 0, 100, 100};
    for (int c = 0; c < 6; ++c)
        if (widths[c]) lstSensors->setColumnWidth(c, widths[c]);

    auto* row = new QHBoxLayout;
    row->addWidget(lblStations);
    row->addWidget(cbxStations);
    row->addSpacing(12);
    row->addWidget(lblSensors);
    row->addWidget(cbxSensors);
    row->addSpacing(12);
    row->addWidget(btnMoreLess);
    row->addStretch();
    row->addWidget(btnTest);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 0);
    layout->addLayout(row);
    layout->addWidget(lstSensors, 1);

    connect(btnMoreLess, &QPushButton::clicked, this, &TPickerPanel::btnMoreLessClick);
    connect(btnTest, &QPushButton::clicked, this, &TPickerPanel::btnTestClick);
    connect(cbxStations, &QComboBox::activated, this, &TPickerPanel::StationActivated);
    connect(lstSensors, &QTreeWidget::itemDoubleClicked, this, &TPickerPanel::AddRequested);
    lstSensors->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &TPickerPanel::TestTick);

    lists_ = std::make_unique<TPickerLists>(cbxStations, cbxSensors, lstSensors);
}

TPickerPanel::~TPickerPanel() = default;

IPickerLists& TPickerPanel::Lists() {
    return *lists_;
}

void TPickerPanel::btnMoreLessClick() {
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    QList<int> sizes = splitter ? splitter->sizes() : QList<int>();
    QSplitterHandle* handle = splitter ? splitter->handle(1) : nullptr;
    if (listMode_) {
        // What the list takes of the panel, spacing included, so that showing
        // it again gives it the same height. Before the window was first laid
        // out the list has no real height yet: it then opens at its design
        // height.
        const bool laidOut = lstSensors->isVisible();
        lstSensors->hide();
        lstSensors->setEnabled(false);
        btnMoreLess->setText("&More >>");
        cbxSensors->setEnabled(true);
        const int rowHeight = sizeHint().height();
        sensorListHeight_ = laidOut && sizes.size() == 2 && collapsedTop_ > 0
                                ? std::max(sizes[0] - collapsedTop_, 0)
                                : DesignSensorListHeight;
        if (sizes.size() == 2) {
            const int total = sizes[0] + sizes[1];
            sizes = {rowHeight, total - rowHeight};
        }
        setMaximumHeight(rowHeight);
        if (handle) handle->setEnabled(false);
    } else {
        setMaximumHeight(QWIDGETSIZE_MAX);
        lstSensors->show();
        lstSensors->setEnabled(true);
        btnMoreLess->setText("<< &Less");
        cbxSensors->setEnabled(false);
        if (sizes.size() == 2) {
            const int total = sizes[0] + sizes[1];
            // The pages keep a third of the height whatever the list had.
            collapsedTop_ = sizes[0];
            const int top =
                std::min(sizes[0] + sensorListHeight_, std::max(sizes[0], total - total / 3));
            sizes = {top, total - top};
        }
        if (handle) handle->setEnabled(true);
    }
    if (splitter) splitter->setSizes(sizes);
    listMode_ = !listMode_;
    emit ModeChanged();
}

void TPickerPanel::btnTestClick() {
    if (Timer1->isActive()) {
        Timer1->stop();
        btnTest->setText("&Start!");
    } else {
        Timer1->start();
        btnTest->setText("&Stop");
    }
}

void TPickerPanel::SetTestButtonVisible(bool visible) {
    btnTest->setVisible(visible);
}

void TPickerPanel::AddSensor(TWatchTab& page, const QString& sensor) const {
    // The station is read for every sensor; one already on the page is skipped.
    const std::string station = cbxStations->currentText().toStdString();
    const std::string name = sensor.toStdString();
    if (page.HasSensor(station, name)) return;
    page.AddSensor(station, name);
    // The row shows the sensor's current value now, not at its next reading.
    page.ShowCurrentValues(station, name);
}

void TPickerPanel::AddSelectedSensors(TWatchTab& page) const {
    if (listMode_) {
        for (int i = 0; i < lstSensors->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lstSensors->topLevelItem(i);
            if (item->isSelected()) AddSensor(page, item->text(0));
        }
    } else if (cbxStations->currentIndex() >= 0 && cbxSensors->currentIndex() >= 0) {
        AddSensor(page, cbxSensors->currentText());
    }
}

void TPickerPanel::AddAllSensors(TWatchTab& page) const {
    if (!listMode_) return;
    for (int i = 0; i < lstSensors->topLevelItemCount(); ++i)
        AddSensor(page, lstSensors->topLevelItem(i)->text(0));
}

bool TPickerPanel::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lstSensors && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_Insert && held == Qt::NoModifier) {
            emit AddRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace qx
