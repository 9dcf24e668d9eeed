#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "shell/GlobalOptions.h"

namespace qx {
namespace {

struct DialogCase {
    const char* List;
    const char* Graph;
    bool Accepted;
    int ListCount, GraphCount;
};

TEST(GlobalOptions, OkAcceptsWholeNumbersByTheCountsRule) {
    const DialogCase cases[] = {
        {"10", "10", true, 8, 8}, {"17", "0", true, 16, 0},  {" 3 ", "2", true, 3, 2},
        {"0", "0", true, 0, 0},   {"-4", "2", true, 0, 2},   {"x", "2", false, 5, 3},
        {"3", "", false, 5, 3},   {"2.5", "1", false, 5, 3},
    };
    for (const DialogCase& c : cases) {
        TfrmGlobalOptions dialog(5, 3);
        dialog.show();
        EXPECT_EQ(dialog.edtListNum->text(), "5");
        EXPECT_EQ(dialog.edtGraphNum->text(), "3");
        dialog.edtListNum->setText(c.List);
        dialog.edtGraphNum->setText(c.Graph);
        dialog.btnOK->click();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.Accepted) << c.List << "/" << c.Graph;
        EXPECT_EQ(dialog.isVisible(), !c.Accepted);
        EXPECT_EQ(dialog.ListCount, c.ListCount) << c.List << "/" << c.Graph;
        EXPECT_EQ(dialog.GraphCount, c.GraphCount) << c.List << "/" << c.Graph;
    }
}

TEST(GlobalOptions, CancelAndCaptions) {
    TfrmGlobalOptions dialog(2, 1);
    EXPECT_EQ(dialog.windowTitle(), "Application Options");
    EXPECT_EQ(dialog.btnOK->text(), "&OK");
    EXPECT_TRUE(dialog.btnOK->isDefault());
    dialog.show();
    dialog.edtListNum->setText("9");
    dialog.btnCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.ListCount, 2);
}

}  // namespace
}  // namespace qx
