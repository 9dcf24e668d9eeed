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
    dialog->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

}  // namespace

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
