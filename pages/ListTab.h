// The list page: a table of watched sensors, one row each, with the time and
// value of the last reading and the last alarm value. The rules live in
// TListPageCore; this widget shows them and forwards the page operations.
#pragma once

#include <QWidget>

#include <functional>

#include "pages/WatchTab.h"

class QTreeView;

namespace qx {

class IListPageServers;
class TListModel;

class TfrmListTab : public QWidget, public TWatchTab {
    Q_OBJECT

public:
    // Asks for the file to save into; empty when the operator cancels.
    using FileNameAsker = std::function<QString(QWidget* parent)>;
    // Shows an error to the operator.
    using ErrorReporter = std::function<void(QWidget* parent, const QString& text)>;
    // Adds a status message.
    using StatusReporter = std::function<void(const std::string& text)>;

    // servers may be null: the page then fetches no current values on load.
    explicit TfrmListTab(QWidget* parent = nullptr, IListPageServers* servers = nullptr);
    ~TfrmListTab() override;

    void SetServers(IListPageServers* servers) { servers_ = servers; }
    // Defaults: a file-save dialog ("txt", overwrite prompt) and an error box
    // with an OK button.
    void SetFileNameAsker(FileNameAsker asker) { askFileName_ = std::move(asker); }
    void SetErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }
    // Where the page says which sensors it could not keep in the workspace;
    // without one it says nothing.
    void SetStatusReporter(StatusReporter reporter) { reportStatus_ = std::move(reporter); }

    void AddSensor(const std::string& Station, const std::string& Sensor) override;
    void RemoveSensors() override;
    void ShowReading(const SensorReading& Reading) override;
    void ShowSecondaryReading(const SensorReading& Reading) override;
    void ServerLost(TReadingServer server) override;
    void SaveToWorkspace(TMemIniFile& Ini, const std::string& Section) override;
    void LoadFromWorkspace(TMemIniFile& Ini, const std::string& Section) override;
    bool TogglePause() override;
    bool HasSensor(const std::string& Station, const std::string& Sensor) override;
    void SaveData() override;
    bool CanSaveData() override { return true; }
    void CopyData() override;
    bool CanCopyData() override { return true; }
    // Asks the servers for the sensor's current values, as a load does.
    void ShowCurrentValues(const std::string& Station, const std::string& Sensor) override;

    // Writes the table into fileName; on failure reports "Error saving file."
    // and returns false.
    bool SaveDataTo(const QString& fileName);

    // The page's width that shows every column whole, a vertical scroll bar
    // beside them.
    int AllColumnsWidth() const;

    QTreeView* lstWatchWindow() const { return lstWatchWindow_; }
    TListModel* Model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lstWatchWindowColumnClick(int column);

    TListModel* model_;
    QTreeView* lstWatchWindow_;
    IListPageServers* servers_;
    FileNameAsker askFileName_;
    ErrorReporter reportError_;
    StatusReporter reportStatus_;
};

}  // namespace qx
