// The layout every small dialog of the program shares: its body above a row
// with the OK and Cancel buttons on the right, at a fixed size.
#pragma once

class QDialog;
class QLayout;
class QPushButton;
class QWidget;

namespace qx {

void SetFixedDialogLayout(QDialog* dialog, QWidget* body, QPushButton* ok, QPushButton* cancel);
void SetFixedDialogLayout(QDialog* dialog, QLayout* body, QPushButton* ok, QPushButton* cancel);

}  // namespace qx
