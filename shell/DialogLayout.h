// The layout every small dialog of the program shares: its body above a row
// with the OK and Cancel buttons on the right, at a fixed size, in a frame
// without maximise and minimise buttons.
#pragma once

class QDialog;
class QLayout;
class QPushButton;
class QWidget;

namespace qx {

void SetFixedDialogLayout(QDialog* dialog, QWidget* body, QPushButton* ok, QPushButton* cancel);

// The frame of a fixed-size dialog: title and close button (unless the
// dialog chose its buttons itself), nothing to maximise, minimise or ask
// for help with.
void SetFixedDialogFrame(QDialog* dialog);
void SetFixedDialogLayout(QDialog* dialog, QLayout* body, QPushButton* ok, QPushButton* cancel);

}  // namespace qx
