// The dialog that renames a page's tab.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qx {

class TfrmTabName : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTabName(const QString& caption, QWidget* parent = nullptr);

    QLineEdit* edtTabName = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

}  // namespace qx
