// The application settings dialog: the numbers of list and chart pages.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qx {

class TfrmGlobalOptions : public QDialog {
    Q_OBJECT
public:
    TfrmGlobalOptions(int listCount, int graphCount, QWidget* parent = nullptr);

    int ListCount;
    int GraphCount;

    QLineEdit* edtListNum = nullptr;
    QLineEdit* edtGraphNum = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // Accepts the boxes when both hold whole numbers (negative numbers count
    // as 0, and the sum is limited to 16 pages); otherwise the dialog stays
    // open with the box to correct selected.
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace qx
