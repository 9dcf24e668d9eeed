#include "shell/StatusPanel.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace qx {

int TPlainTextStatusView::LineCount() const {
    const QTextDocument* doc = edit_.document();
    return doc->isEmpty() ? 0 : doc->blockCount();
}

void TPlainTextStatusView::InsertFirstLine(const std::string& line) {
    QString text = QString::fromStdString(line);
    if (!edit_.document()->isEmpty()) text += u'\n';
    QTextCursor cursor(edit_.document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text);
}

void TPlainTextStatusView::RemoveLastLine() {
    QTextDocument* doc = edit_.document();
    if (doc->isEmpty()) return;
    // The last block together with the line break before it.
    const QTextBlock last = doc->lastBlock();
    QTextCursor cursor(doc);
    cursor.setPosition(last.position() > 0 ? last.position() - 1 : 0);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TPlainTextStatusView::Clear() {
    edit_.clear();
}

TStatusPanel::TStatusPanel(StatusClock clock, QWidget* parent) : QWidget(parent) {
    setObjectName("pnlStatus");

    lblStatus = new QLabel("Status", this);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setFrameShape(QFrame::StyledPanel);

    memStatus = new QPlainTextEdit(this);
    memStatus->setObjectName("memStatus");
    // Left editable: the operator can type into it beside the messages.
    memStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    memStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Every inserted line would otherwise stay in the undo history for good.
    memStatus->setUndoRedoEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblStatus);
    layout->addWidget(memStatus, 1);

    view_ = std::make_unique<TPlainTextStatusView>(*memStatus);
    messages_ = std::make_unique<TStatusMessages>(*view_, std::move(clock));
}

TStatusPanel::~TStatusPanel() = default;

void TStatusPanel::ShowStatusExecute(bool checked) {
    setVisible(checked);
}

void TStatusPanel::ClearStatusExecute() {
    messages_->Clear();
}

void TStatusPanel::Tracing1Click(bool checked) {
    messages_->SetTracing(checked);
}

}  // namespace qx
