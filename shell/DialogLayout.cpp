#include "shell/DialogLayout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qx {
namespace {

void AddButtonsAndFix(QDialog* dialog, QVBoxLayout* layout, QPushButton* ok, QPushButton* cancel) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetFixedDialogFrame(dialog);
}

}  // namespace

void SetFixedDialogFrame(QDialog* dialog) {
    const Qt::WindowFlags had = dialog->windowFlags();
    // Without CustomizeWindowHint the window manager adds the buttons it
    // likes, a maximise button among them.
    Qt::WindowFlags flags =
        had | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
    if (!(had & Qt::CustomizeWindowHint))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint |
               Qt::WindowContextHelpButtonHint);
    dialog->setWindowFlags(flags);
}

void SetFixedDialogLayout(QDialog* dialog, QWidget* body, QPushButton* ok, QPushButton* cancel) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(body);
    AddButtonsAndFix(dialog, layout, ok, cancel);
}

void SetFixedDialogLayout(QDialog* dialog, QLayout* body, QPushButton* ok, QPushButton* cancel) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(body);
    AddButtonsAndFix(dialog, layout, ok, cancel);
}

}  // namespace qx
