// The main window: lays out the picker, the pages, the status panel, the
// menus and the tool bar, connects the commands to them, hosts the link with
// the suite's servers and decides when the program may end.
#pragma once

#include <QDBusConnection>
#include <QEvent>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "serverlink/ServerLink.h"
#include "workspace/MemIniFile.h"

class QMessageBox;
class QSplitter;
class QTabWidget;

namespace qx {

namespace services {
class TAutomationServer;
class TDesktopService;
}  // namespace services

class IListPageServers;
class THelpWindow;
class TStatusPanel;
class TWatchTab;
class TfrmExitConfirm;
class TfrmGlobalOptions;
class TfrmTabName;

// What the program entry hands the window; tests give their own.
struct TStartOptions {
    QStringList Arguments;      // command-line arguments after the program name
    bool Tracing = false;       // start with tracing on (--trace)
    QString WorkspaceFileName;  // the program's path with ".QFG" appended
    QString HomeDirectory;      // the suite's home directory, ends with "/"
    QString ProgramDirectory;   // where the manual is; empty: HomeDirectory
    QString ProductVersion;
    QString FileVersion;
    int ConfirmTimeOutMs = 180000;
    // How to reach the suite; without it the program runs without servers.
    std::optional<TServerLinkOptions> Link;
    // Shows errors instead of a message box (tests); also used during start.
    std::function<void(const QString&)> ErrorDialog;
    // The bus the window holds the desktop service QXZev.Service on while
    // it exists; without one it offers none.
    std::optional<QDBusConnection> ServiceBus;
    // The automation server, asked at close whether clients hold objects.
    services::TAutomationServer* Automation = nullptr;
};

// The application's name and version. No display name is set: the platform
// would append it to every caption, which names the program already.
void SetApplicationNames(const QString& version);

// Posted to the window to restore it and bring it to the front.
inline constexpr QEvent::Type RestoreRequestEvent = static_cast<QEvent::Type>(QEvent::User + 101);

class TActionSet;
class TPageSet;
class TPickerPanel;
class TServerIndicator;

class TfrmQXZuz : public QMainWindow, private IServerLinkHost {
    Q_OBJECT
public:
    // The status panel's first height and the least it can be dragged to.
    static constexpr int StatusPanelHeight = 79;
    static constexpr int StatusPanelMinimumHeight = 40;
    // The pages never shrink below a tab row, the list heading and a row.
    static constexpr int PageMinimumHeight = 90;

    explicit TfrmQXZuz(TStartOptions options, QWidget* parent = nullptr);
    ~TfrmQXZuz() override;

    // The pages in page order, list pages first.
    int PageCount() const;
    TWatchTab* Page(int index) const;
    // The page of the selected tab, or null without pages.
    TWatchTab* ActivePage() const;
    int ListPageCount() const;
    int GraphPageCount() const;

    bool ShutdownRequested = false;
    bool ConfirmInProgress = false;
    // Closing does not ask about automation objects clients still hold
    // (the session is ending).
    bool EndWithoutServerWarning = false;

    // The computers running the setup, RTU, Modbus RTU and decode servers;
    // empty = this computer.
    std::string SetupNode;
    std::string RtuNode;
    std::string ZOVizNode;
    std::string DecodeNode;

    // The workspace, read once at start and written by SaveWorkspace.
    TMemIniFile WorkspaceFile;

    // Called with the dialog each time the exit confirmation appears, so
    // tests can answer it.
    std::function<void(TfrmExitConfirm&)> OnConfirmShown;
    // Runs the application settings dialog and answers its result; by
    // default modally. Tests answer it without a modal loop.
    std::function<int(TfrmGlobalOptions&)> RunOptionsDialog;
    // Runs the tab rename dialog; by default modally.
    std::function<int(TfrmTabName&)> RunTabNameDialog;
    // Shows an error to the operator; by default a message box. Tests
    // observe errors here without a modal box.
    std::function<void(const QString&)> ErrorDialog;
    // Runs the question about automation objects still held at close and
    // answers the button; by default modally. Tests answer it here.
    std::function<int(QMessageBox&)> RunServerWarning;
    // One tick of the test readings; the server link fills it in.
    std::function<void()> OnTestTick;

    // The connect sequence; the server link fills it in.
    void FileReset1Execute();
    void btnMoreLessClick();
    void HelpAbout1Execute();
    THelpWindow& Help();

    // Runs the exit confirmation: false refuses the close.
    bool ConfirmExit();
    // A stop signal (SIGTERM, SIGINT): the program ends with its workspace
    // saved, without asking; a confirmation already showing is answered
    // yes. Every call counts.
    void StopSignalReceived();
    // Asks whether to end while clients hold automation objects: false
    // keeps the program running.
    bool ConfirmServerExit();
    // The desktop service, or null without a service bus.
    services::TDesktopService* DesktopService() const { return desktop_.get(); }

    void AddStatusMessage(const std::string& Message) override;
    void ShowErrorDialog(const QString& text);
    // The link with the suite's servers, or null without one.
    TServerLink* Link() const { return link_.get(); }

    // Watch-list commands on the active page.
    void actAddIntoWatchListExecute();
    void actAddAllIntoWatchListExecute();
    void actRenameExecute();

    // Window bounds, nodes and page counts from WorkspaceFile, then the pages.
    void LoadWorkspace();
    // Tab sheets and pages for the current counts, each loading its section.
    void CreatePages();
    // Writes the window's keys and every page's section, then the file.
    bool SaveWorkspace();
    // The application settings command: rebuilds the pages when a count changed.
    void actOptionsExecute();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void ConnectActions();
    void CreatePanels();
    void UpdateActions();
    void FormHelp();
    // Runs a command on the active page (nothing without one); an error it
    // raises is shown and ends the command.
    void PageCommand(const std::function<void(TWatchTab&)>& command);

    // What the server link asks of the window.
    void ShowErrorDialog(const std::string& text) override;
    void SetCaption(const std::string& text) override;
    void RequestShutdown() override;
    std::string NodeName(suite::TServer server) const override;
    IPickerLists& Picker() override;
    void ServerHealthChanged(suite::TServer server) override;

    TStartOptions options_;
    std::unique_ptr<TActionSet> actions_;
    TPickerPanel* pnlTop = nullptr;
    QSplitter* spltMain = nullptr;
    QWidget* pnlBottom = nullptr;
    QSplitter* spltStatus = nullptr;  // the pages above, the status panel below
    QTabWidget* pgData = nullptr;
    TStatusPanel* pnlStatus = nullptr;
    TServerIndicator* pnlServers = nullptr;
    std::unique_ptr<TPageSet> pages_;
    // What list pages ask for current values; null without a server link.
    IListPageServers* ListPageServers = nullptr;
    THelpWindow* help_ = nullptr;
    std::unique_ptr<TServerLink> link_;
    // The exit confirmation while it shows.
    TfrmExitConfirm* confirm_ = nullptr;
    bool stopSignalled_ = false;
    std::unique_ptr<services::TDesktopService> desktop_;
    bool centred_ = false;
    // The workspace file exists but could not be read: it is not written
    // over, so nothing in it is lost.
    bool workspaceUnreadable_ = false;
};

}  // namespace qx
