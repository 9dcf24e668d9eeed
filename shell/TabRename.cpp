#include "shell/TabRename.h"

#include "shell/DialogLayout.h"

#include <QGroupBox>
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

    SetFixedDialogLayout(this, group, btnOK, btnCancel);
}

}  // namespace qx
