// The list page's table model over TListPageCore. Readings only mark rows
// changed; one dataChanged per frame tells the view to repaint them.
#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QTimer>

#include <vector>

#include "pages/ListPageCore.h"

namespace qx {

class TListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // How long changes collect before one repaint: about one frame.
    static constexpr int RepaintDelayMs = 16;

    explicit TListModel(QObject* parent = nullptr);

    const TListPageCore& Core() const { return core_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void AddSensor(const std::string& Station, const std::string& Sensor);
    // Drops every holding list, then removes the given rows.
    void RemoveSensors(std::vector<int> rows);
    void ShowReading(const SensorReading& Reading);
    void ShowSecondaryReading(const SensorReading& Reading);
    // The rows last fed by the server are shown stale: greyed, with a tool
    // tip, until their next reading.
    void MarkStale(TReadingServer server);
    bool TogglePause();
    // Sorts once by the column (locale-aware text, numeric Value), then
    // inverts the column's direction flag.
    void SortByColumn(int column);

    // Emits the pending dataChanged now instead of at the next frame.
    void FlushChanges();

private:
    void ArmRepaint();

    TListPageCore core_;
    QTimer repaint_;
    QCollator collator_;
};

}  // namespace qx
