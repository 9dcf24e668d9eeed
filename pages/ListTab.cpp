#include "pages/ListTab.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <vector>

#include "pages/ListModel.h"
#include "pages/ListPageWorkspace.h"
#include "pages/ListTextExport.h"

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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lstWatchWindow_);
}

TfrmListTab::~TfrmListTab() = default;

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
    SaveListPageToWorkspace(model_->Core(), Ini, Section);
}

void TfrmListTab::LoadFromWorkspace(TMemIniFile& Ini, const std::string& Section) {
    LoadListPageFromWorkspace(*this, servers_, Ini, Section);
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
    }
}

void TfrmListTab::lstWatchWindowColumnClick(int column) {
    try {
        model_->SortByColumn(column);
    } catch (...) {
        // The rows stay in their order.
    }
}

}  // namespace qx
