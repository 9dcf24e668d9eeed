// The picker above the pages: the station and sensor lists, the More/Less
// switch between single-sensor and list mode, and the test-readings button.
// It says which sensors the add commands take; the window runs them on the
// active page.
#pragma once

#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace qx {

class IPickerLists;
class TPickerLists;
class TWatchTab;

class TPickerPanel : public QWidget {
    Q_OBJECT
public:
    // The list's height the first time it opens before the window was laid out.
    static constexpr int DesignSensorListHeight = 100;

    explicit TPickerPanel(QWidget* parent = nullptr);
    ~TPickerPanel() override;

    // The lists as the setup retrieval fills them.
    IPickerLists& Lists();

    // List mode shows the sensor table; single-sensor mode the sensor box.
    bool ListMode() const { return listMode_; }
    // Switches the mode. Inside a splitter (the panel first) it resizes the
    // panel: the table keeps the height it had, the pages keep a third.
    void btnMoreLessClick();
    // Starts or stops the test readings.
    void btnTestClick();
    void SetTestButtonVisible(bool visible);

    // Adds to the page, with the chosen station: in list mode the selected
    // rows, else the chosen sensor (nothing without a station and a sensor).
    // A sensor already on the page is skipped; each one added is asked for
    // its current values.
    void AddSelectedSensors(TWatchTab& page) const;
    // Every row of the table, selected or not; only in list mode.
    void AddAllSensors(TWatchTab& page) const;

signals:
    // Insert without modifiers, or a double click, in the sensor table.
    void AddRequested();
    void ModeChanged();
    // The operator chose a station.
    void StationActivated();
    // One tick of the test readings.
    void TestTick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddSensor(TWatchTab& page, const QString& sensor) const;

    QLabel* lblStations = nullptr;
    QComboBox* cbxStations = nullptr;
    QLabel* lblSensors = nullptr;
    QComboBox* cbxSensors = nullptr;
    QPushButton* btnMoreLess = nullptr;
    QTreeWidget* lstSensors = nullptr;
    QPushButton* btnTest = nullptr;
    QTimer* Timer1 = nullptr;
    std::unique_ptr<TPickerLists> lists_;
    bool listMode_ = true;
    int sensorListHeight_ = 0;
    int collapsedTop_ = 0;  // the picker row alone, as the splitter gave it
};

}  // namespace qx
