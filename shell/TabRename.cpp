#include "shell/TabRename.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qx {

TfrmTabName::TfrmTabName(const QString& caption, QWidget* parent) : QDialog(parent) {
    setObjectName("frmTabName");
    setWindowTitle("Tab Name");

    auto* group = new QGroupBox("Rename Tab Name To", this);
    edtTabName = new QLineEdit(caption, group);
    edtTabName->setObjectName("edtTabName");
    edtTabName->setMinimumWidth(220);
    edtTabName->selectAll();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(edtTabName);

    btnOK = new QPushButton("&OK", this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace qx
