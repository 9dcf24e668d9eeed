#include "pages/ListModel.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>

namespace qx {

TListModel::TListModel(QObject* parent) : QAbstractTableModel(parent) {
    repaint_.setSingleShot(true);
    repaint_.setInterval(RepaintDelayMs);
    connect(&repaint_, &QTimer::timeout, this, &TListModel::FlushChanges);
    collator_.setCaseSensitivity(Qt::CaseSensitive);
}

int TListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : core_.RowCount();
}

int TListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ListColumnCount;
}

QVariant TListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= core_.RowCount() || index.column() >= ListColumnCount)
        return {};
    const TListRow& row = core_.Row(index.row());
    if (role == Qt::DisplayRole) return QString::fromStdString(row.Text(index.column()));
    if (row.Stale) {
        if (role == Qt::ForegroundRole)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("Stale: the %1 server that sent this reading has gone away")
                .arg(QString::fromLatin1(ReadingServerTitle(row.Server)));
    }
    if (role == Qt::TextAlignmentRole && index.column() == ColValue)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

QVariant TListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ListColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(ListColumnCaption(section));
    if (role == Qt::TextAlignmentRole && section == ColValue)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags TListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void TListModel::AddSensor(const std::string& Station, const std::string& Sensor) {
    const int row = core_.RowCount();
    beginInsertRows(QModelIndex(), row, row);
    core_.AddSensor(Station, Sensor);
    endInsertRows();
}

void TListModel::RemoveSensors(std::vector<int> rows) {
    // Rows already marked changed are repainted before they move.
    FlushChanges();
    core_.DiscardHoldingLists();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int r) { return r < 0 || r >= core_.RowCount(); }),
               rows.end());
    // Contiguous ranges from the back, so earlier row numbers stay valid.
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1) --begin;
        const int first = rows[begin];
        const int last = rows[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        core_.RemoveRows(first, last - first + 1);
        endRemoveRows();
        end = begin;
    }
}

void TListModel::ShowReading(const SensorReading& Reading) {
    if (core_.ShowReading(Reading) > 0) ArmRepaint();
}

void TListModel::ShowSecondaryReading(const SensorReading& Reading) {
    if (core_.ShowSecondaryReading(Reading) > 0) ArmRepaint();
}

void TListModel::MarkStale(TReadingServer server) {
    if (core_.MarkStale(server) > 0) ArmRepaint();
}

bool TListModel::TogglePause() {
    const bool paused = core_.TogglePause();
    ArmRepaint();
    return paused;
}

void TListModel::SortByColumn(int column) {
    if (column < 0 || column >= ListColumnCount) return;
    FlushChanges();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> order =
        core_.SortByColumn(column, [this](const std::string& a, const std::string& b) {
            return collator_.compare(QString::fromStdString(a), QString::fromStdString(b));
        });
    std::vector<int> newRow(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newRow[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newRow[static_cast<std::size_t>(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TListModel::ArmRepaint() {
    if (!repaint_.isActive()) repaint_.start();
}

void TListModel::FlushChanges() {
    repaint_.stop();
    int first = 0;
    int last = 0;
    if (core_.TakeDirtyRange(first, last))
        emit dataChanged(index(first, ColTimeTag), index(last, ColAlarm), {Qt::DisplayRole});
    if (core_.TakeRestyledRange(first, last))
        emit dataChanged(index(first, 0), index(last, ListColumnCount - 1),
                         {Qt::ForegroundRole, Qt::ToolTipRole});
}

}  // namespace qx
