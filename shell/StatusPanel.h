// The status panel of the main window: the title strip "Status" above the
// memo memStatus, and the status messages that fill it. The main window
// wires its actions to ShowStatusExecute, ClearStatusExecute and
// Tracing1Click and sends every message through AddStatusMessage.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "shell/StatusMessages.h"

class QLabel;
class QPlainTextEdit;

namespace qx {

// IStatusView over a QPlainTextEdit: one text block per line, newest first.
class TPlainTextStatusView : public IStatusView {
public:
    explicit TPlainTextStatusView(QPlainTextEdit& edit) : edit_(edit) {}
    int LineCount() const override;
    void InsertFirstLine(const std::string& line) override;
    void RemoveLastLine() override;
    void Clear() override;

private:
    QPlainTextEdit& edit_;
};

class TStatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit TStatusPanel(StatusClock clock = {}, QWidget* parent = nullptr);
    ~TStatusPanel() override;

    void AddStatusMessage(const std::string& text) noexcept { messages_->AddStatusMessage(text); }
    TStatusMessages& Messages() { return *messages_; }

    // Action ShowStatus: shows the panel exactly when its check mark is set.
    void ShowStatusExecute(bool checked);
    // Action ClearStatus: removes every line from the memo.
    void ClearStatusExecute();
    // Menu item Tracing1: tracing follows the item's check mark.
    void Tracing1Click(bool checked);

    QLabel* lblStatus = nullptr;
    QPlainTextEdit* memStatus = nullptr;

private:
    std::unique_ptr<TPlainTextStatusView> view_;
    std::unique_ptr<TStatusMessages> messages_;
};

}  // namespace qx
