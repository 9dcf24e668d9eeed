#include "pages/ListTab.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <vector>

#include "pages/ListModel.h"
#include "pages/ListPageCore.h"
#include "pages/ListPageWorkspace.h"
#include "pages/ListTextExport.h"
#include "textscan/Diagnostics.h"

namespace qx {

namespace {

constexpr int kColumnWidths[ListColumnCount] = {180, 180, 120, 80, 80};

QString AskTextFileName(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Text files(*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

TfrmListTab::TfrmListTab(QWidget* parent, IListPageServers* servers)
    : QWidget(parent),
      model_(new TListModel(this)),
      lstWatchWindow_(new QTreeView(this)),
      servers_(servers),
      askFileName_(&AskTextFileName),
      reportError_(&ShowErrorBox) {
    lstWatchWindow_->setObjectName(QStringLiteral("lstWatchWindow"));
    lstWatchWindow_->setModel(model_);
    lstWatchWindow_->setRootIsDecorated(false);
    lstWatchWindow_->setItemsExpandable(false);
    lstWatchWindow_->setUniformRowHeights(true);
    lstWatchWindow_->setAllColumnsShowFocus(true);
    lstWatchWindow_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstWatchWindow_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstWatchWindow_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstWatchWindow_->setSortingEnabled(false);  // sorted once per click, not kept

    QHeaderView* header = lstWatchWindow_->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    for (int c = 0; c < ListColumnCount; ++c) lstWatchWindow_->setColumnWidth(c, kColumnWidths[c]);
    // The time text is wider than 120 pixels in many fonts: widen TimeTag
    // until a whole time fits instead of cutting it off.
    const QString sampleTime =
        QString::fromStdString(FormatListTime(EncodeDateTime({2000, 12, 28, 20, 58, 58})));
    const int timeWidth = lstWatchWindow_->fontMetrics().horizontalAdvance(sampleTime) +
                          2 * lstWatchWindow_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) +
                          8;
    if (timeWidth > kColumnWidths[ColTimeTag])
        lstWatchWindow_->setColumnWidth(ColTimeTag, timeWidth);
    connect(header, &QHeaderView::sectionClicked, this, &TfrmListTab::lstWatchWindowColumnClick);
    lstWatchWindow_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lstWatchWindow_);
}

TfrmListTab::~TfrmListTab() = default;

int TfrmListTab::AllColumnsWidth() const {
    int width =
        2 * lstWatchWindow_->frameWidth() +
        lstWatchWindow_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, lstWatchWindow_);
    for (int c = 0; c < ListColumnCount; ++c) width += lstWatchWindow_->columnWidth(c);
    return width;
}

void TfrmListTab::AddSensor(const std::string& Station, const std::string& Sensor) {
    model_->AddSensor(Station, Sensor);
}

void TfrmListTab::RemoveSensors() {
    std::vector<int> rows;
    for (const QModelIndex& index : lstWatchWindow_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    model_->RemoveSensors(std::move(rows));
}

void TfrmListTab::ShowReading(const SensorReading& Reading) {
    model_->ShowReading(Reading);
}

void TfrmListTab::ShowSecondaryReading(const SensorReading& Reading) {
    model_->ShowSecondaryReading(Reading);
}

void TfrmListTab::ServerLost(TReadingServer server) {
    model_->MarkStale(server);
}

void TfrmListTab::SaveToWorkspace(TMemIniFile& Ini, const std::string& Section) {
    const std::vector<std::string> skipped = SaveListPageToWorkspace(model_->Core(), Ini, Section);
    if (!reportStatus_) return;
    for (const std::string& key : skipped) {
        try {
            reportStatus_(UnsavedSensorMessage(key, Section));
        } catch (...) {
        }
    }
}

void TfrmListTab::LoadFromWorkspace(TMemIniFile& Ini, const std::string& Section) {
    LoadListPageFromWorkspace(*this, servers_, Ini, Section);
}

void TfrmListTab::ShowCurrentValues(const std::string& Station, const std::string& Sensor) {
    FetchCurrentValues(*this, servers_, Station, Sensor);
}

bool TfrmListTab::TogglePause() {
    Paused = model_->TogglePause();
    return Paused;
}

bool TfrmListTab::HasSensor(const std::string& Station, const std::string& Sensor) {
    return model_->Core().HasSensor(Station, Sensor);
}

void TfrmListTab::SaveData() {
    const QString fileName = askFileName_ ? askFileName_(this) : QString();
    if (!fileName.isEmpty()) SaveDataTo(fileName);
}

bool TfrmListTab::SaveDataTo(const QString& fileName) {
    bool ok = false;
    try {
        QFile file(fileName);
        ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
             WriteListText(model_->Core(), file);
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
    } catch (...) {
        LogCaught(diagnostics::Pages, "TfrmListTab::SaveDataTo");
        ok = false;
    }
    if (!ok && reportError_) reportError_(this, QStringLiteral("Error saving file."));
    return ok;
}

void TfrmListTab::CopyData() {
    try {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(ListClipboardText(model_->Core()));
    } catch (...) {
        // Nothing is put on the clipboard.
        LogCaught(diagnostics::Pages, "TfrmListTab::CopyData");
    }
}

void TfrmListTab::lstWatchWindowColumnClick(int column) {
    try {
        // The heading shows the direction of the sort just made.
        const bool descending = model_->Core().SortDescendingNext(column);
        model_->SortByColumn(column);
        QHeaderView* header = lstWatchWindow_->header();
        header->setSortIndicatorShown(true);
        header->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    } catch (...) {
        // The rows stay in their order.
        LogCaught(diagnostics::Pages, "TfrmListTab::lstWatchWindowColumnClick");
    }
}

bool TfrmListTab::eventFilter(QObject* watched, QEvent* e) {
    // Delete without modifiers deletes the selected rows, as the Delete From
    // Watch List command does.
    if (watched == lstWatchWindow_ && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_Delete && held == Qt::NoModifier) {
            try {
                RemoveSensors();
            } catch (...) {
                // The rows stay.
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

}  // namespace qx
