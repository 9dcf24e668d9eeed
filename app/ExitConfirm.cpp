#include "app/ExitConfirm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/DialogLayout.h"

namespace qx {

TfrmExitConfirm::TfrmExitConfirm(QWidget* parent) : QDialog(parent) {
    setObjectName("frmExitConfirm");
    setWindowTitle("Exit...");
    // A dialog frame without title-bar buttons, kept above other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);

    auto* picture = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    lblConfirm = new QLabel("Are you sure you want to close this application?", this);
    lblConfirm->setObjectName("lblConfirm");

    btnOK = new QPushButton("&OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOK, &QPushButton::clicked, this, [this] { Finish(Ok); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { Finish(Cancel); });

    tmTimeOut = new QTimer(this);
    tmTimeOut->setObjectName("tmTimeOut");
    tmTimeOut->setSingleShot(true);
    connect(tmTimeOut, &QTimer::timeout, this, [this] { Finish(TimedOut); });

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(lblConfirm, 1);
    SetFixedDialogLayout(this, top, btnOK, btnCancel);
}

void TfrmExitConfirm::StartTimeOut(int milliseconds) {
    tmTimeOut->start(milliseconds);
}

void TfrmExitConfirm::Finish(Result result) {
    if (ExitResult == None) ExitResult = result;
    tmTimeOut->stop();
    hide();
    setResult(ExitResult);
    emit finished(ExitResult);
}

// Escape answers Cancel; closing the window some other way does too.
void TfrmExitConfirm::reject() {
    Finish(Cancel);
}

void TfrmExitConfirm::closeEvent(QCloseEvent* event) {
    if (ExitResult == None) ExitResult = Cancel;
    tmTimeOut->stop();
    event->accept();
}

}  // namespace qx
