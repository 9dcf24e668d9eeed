#include "shell/GlobalOptions.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "shell/DialogLayout.h"
#include "workspace/Workspace.h"

namespace qx {

TfrmGlobalOptions::TfrmGlobalOptions(int listCount, int graphCount, QWidget* parent)
    : QDialog(parent), ListCount(listCount), GraphCount(graphCount) {
    setObjectName("frmGlobalOptions");
    setWindowTitle("Application Options");

    edtListNum = new QLineEdit(this);
    edtListNum->setObjectName("edtListNum");
    edtGraphNum = new QLineEdit(this);
    edtGraphNum->setObjectName("edtGraphNum");
    for (QLineEdit* box : {edtListNum, edtGraphNum}) box->setMaximumWidth(80);

    auto* group = new QGroupBox("Number of Watch Windows (Max 16)", this);
    auto* form = new QFormLayout(group);
    form->addRow("List:", edtListNum);
    form->addRow("Graph:", edtGraphNum);

    btnOK = new QPushButton("&OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOK, &QPushButton::clicked, this, &TfrmGlobalOptions::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    SetFixedDialogLayout(this, group, btnOK, btnCancel);
}

void TfrmGlobalOptions::showEvent(QShowEvent* event) {
    edtListNum->setText(QString::number(ListCount));
    edtGraphNum->setText(QString::number(GraphCount));
    edtListNum->selectAll();
    edtListNum->setFocus();
    QDialog::showEvent(event);
    if (parentWidget()) move(parentWidget()->window()->geometry().center() - rect().center());
}

void TfrmGlobalOptions::btnOKClick() {
    bool listOk = false;
    bool graphOk = false;
    const int list = edtListNum->text().trimmed().toInt(&listOk);
    const int graph = edtGraphNum->text().trimmed().toInt(&graphOk);
    if (!listOk || !graphOk) {
        // Not a whole number: stay open so the operator can correct it.
        (listOk ? edtGraphNum : edtListNum)->setFocus();
        (listOk ? edtGraphNum : edtListNum)->selectAll();
        return;
    }
    ListCount = list;
    GraphCount = graph;
    LimitPageCounts(ListCount, GraphCount);
    accept();
}

}  // namespace qx
