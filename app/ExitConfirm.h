// The exit confirmation: a small always-on-top question that answers itself
// with "time-out" when nobody answers it in time.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace qx {

class TfrmExitConfirm : public QDialog {
    Q_OBJECT
public:
    enum Result { None = 0, Ok = 1, Cancel = 2, TimedOut = 3 };

    explicit TfrmExitConfirm(QWidget* parent = nullptr);

    // Starts the time-out; the dialog closes itself with TimedOut when it
    // runs out. Every answer hides the dialog and emits finished(ExitResult).
    void StartTimeOut(int milliseconds);

    // Answers as the buttons and the time-out do; the first answer counts.
    void Finish(Result result);

    int ExitResult = None;

    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblConfirm = nullptr;
    QTimer* tmTimeOut = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

}  // namespace qx
