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

#include <QApplication>

#include "shell/TabRename.h"

namespace qx {
namespace {

// Saves the two dialogs as the operator sees them when QX_SCREENSHOT names a
// file ("-options" and "-rename" are added to its name).
TEST(DialogScreenshots, OptionsAndRename) {
    const QString path = qEnvironmentVariable("QX_SCREENSHOT");
    if (path.isEmpty()) GTEST_SKIP() << "set QX_SCREENSHOT to a file name";
    const qsizetype dot = path.lastIndexOf('.');
    TfrmGlobalOptions options(5, 3);
    options.show();
    QApplication::processEvents();
    EXPECT_TRUE(options.grab().save(QString(path).insert(dot, "-options")));
    TfrmTabName rename("Watch 1");
    rename.show();
    QApplication::processEvents();
    EXPECT_TRUE(rename.grab().save(QString(path).insert(dot, "-rename")));
}

}  // namespace
}  // namespace qx
