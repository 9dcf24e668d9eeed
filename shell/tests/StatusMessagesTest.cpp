#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <string>
#include <vector>

#include "shell/StatusMessages.h"
#include "shell/StatusPanel.h"
#include "textscan/Regional.h"

namespace qx {
namespace {

class FakeView : public IStatusView {
public:
    int LineCount() const override { return static_cast<int>(lines.size()); }
    void InsertFirstLine(const std::string& line) override { lines.insert(lines.begin(), line); }
    void RemoveLastLine() override { lines.pop_back(); }
    void Clear() override { lines.clear(); }
    std::vector<std::string> lines;
};

TRegionalSettings Forms(const char* date, const char* time) {
    TRegionalSettings s;
    s.ShortDateFormat = date;
    s.LongTimeFormat = time;
    return s;
}

const QDateTime Moment(QDate(2009, 6, 30), QTime(14, 5, 9));
const char* const Stamp = "06/30/2009 14:05:09";

std::string ReadFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

class StatusMessagesTest : public ::testing::Test {
protected:
    ScopedRegional regional{Forms("MM/dd/yyyy", "HH:mm:ss")};
    QDateTime now = Moment;
    FakeView view;
    TStatusMessages messages{view, [this] { return now; }};
};

TEST(StatusLine, StampFollowsTheRegionalFormsAndDropsMidnight) {
    struct Case {
        const char* date;
        const char* time;
        QDateTime moment;
        const char* text;
        const char* line;
    } cases[] = {
        {"dd/MM/yyyy", "HH:mm:ss", Moment, "Ready..", "30/06/2009 14:05:09    Ready..."},
        {"yyyy-MM-dd", "H.mm.ss", QDateTime(QDate(2009, 1, 2), QTime(3, 4, 5)), "Error 7: x",
         "2009-01-02 3.04.05    Error 7: x."},
        {"dd/MM/yyyy", "HH:mm:ss", QDateTime(QDate(2009, 6, 30), QTime(0, 0)), "Ready..",
         "30/06/2009    Ready..."},
        {"dd/MM/yyyy", "HH:mm:ss", QDateTime(QDate(2009, 6, 30), QTime(0, 0, 0, 1)), "",
         "30/06/2009 00:00:00    ."},
    };
    for (const Case& c : cases) {
        ScopedRegional regional(Forms(c.date, c.time));
        FakeView view;
        TStatusMessages messages(view, [&] { return c.moment; });
        messages.AddStatusMessage(c.text);
        ASSERT_EQ(view.lines.size(), 1u);
        EXPECT_EQ(view.lines[0], c.line);
    }
}

TEST_F(StatusMessagesTest, The513thMessageDropsTheOldestLine) {
    for (int i = 1; i <= 513; ++i) messages.AddStatusMessage(std::to_string(i));
    ASSERT_EQ(view.lines.size(), 512u);
    EXPECT_EQ(view.lines.front(), std::string(Stamp) + "    513.");
    EXPECT_EQ(view.lines.back(), std::string(Stamp) + "    2.");
}

TEST_F(StatusMessagesTest, TracingAppendsEachLineToTheLogFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& home : {dir.path(), dir.path() + "/"}) {
        const QString log = dir.filePath("QXRTD.LOG");
        QFile::remove(log);
        {
            QFile earlier(log);
            ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier\r\n");
        }
        messages.SetHomeDirectory(home.toStdString());
        messages.SetTracing(true);
        EXPECT_EQ(messages.LogFileName(), log.toStdString());
        messages.AddStatusMessage("Ready..");
        messages.AddStatusMessage("Refresh command received");
        messages.SetTracing(false);
        messages.AddStatusMessage("not logged");
        EXPECT_EQ(messages.LogFileName(), log.toStdString());
        EXPECT_EQ(ReadFile(log), "earlier\r\n" + std::string(Stamp) + "    Ready...\r\n" + Stamp +
                                     "    Refresh command received.\r\n");
    }
    EXPECT_EQ(view.lines.size(), 6u);  // no error lines
}

TEST_F(StatusMessagesTest, AnUnwritableLogAddsTheErrorLineAboveEachMessage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A home directory below a plain file cannot be written, even by root.
    const QString plain = dir.filePath("plain");
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    struct Case {
        std::string home;
        std::string logName;
    } cases[] = {
        {plain.toStdString() + "/", plain.toStdString() + "/QXRTD.LOG"},
        {"", "QXRTD.LOG"},  // no home directory: refused, not written to the current directory
    };
    for (const Case& c : cases) {
        view.lines.clear();
        messages.SetHomeDirectory(c.home);
        messages.SetTracing(true);
        messages.AddStatusMessage("Ready..");
        ASSERT_EQ(view.lines.size(), 2u);
        EXPECT_EQ(
            view.lines[0],
            std::string(Stamp) + "    ERROR: Unable to write status message to " + c.logName + ".");
        EXPECT_EQ(view.lines[1], std::string(Stamp) + "    Ready...");
        EXPECT_TRUE(messages.TracingEnabled());
    }
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("QXRTD.LOG")));

    // Error lines are not counted against the limit: the memo grows.
    view.lines.assign(TStatusMessages::MaxLines, "old");
    messages.AddStatusMessage("Ready..");
    EXPECT_EQ(view.lines.size(), 513u);
}

TEST_F(StatusMessagesTest, ClearEmptiesTheMemoAndLeavesTheLog) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    messages.SetHomeDirectory(dir.path().toStdString());
    messages.SetTracing(true);
    messages.AddStatusMessage("Ready..");
    const std::string logged = ReadFile(dir.filePath("QXRTD.LOG"));
    messages.Clear();
    EXPECT_TRUE(view.lines.empty());
    EXPECT_EQ(ReadFile(dir.filePath("QXRTD.LOG")), logged);
}

TEST(StatusPanel, TheMemoHoldsTheNewestLineFirstAndKeepsTheLimit) {
    ScopedRegional regional(Forms("MM/dd/yyyy", "HH:mm:ss"));
    TStatusPanel panel([] { return Moment; });
    EXPECT_EQ(panel.objectName(), "pnlStatus");
    EXPECT_EQ(panel.memStatus->objectName(), "memStatus");
    EXPECT_EQ(panel.lblStatus->text(), "Status");
    EXPECT_EQ(panel.memStatus->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(panel.memStatus->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    TPlainTextStatusView view(*panel.memStatus);
    EXPECT_EQ(view.LineCount(), 0);
    for (int i = 1; i <= 513; ++i) panel.AddStatusMessage(std::to_string(i));
    EXPECT_EQ(view.LineCount(), 512);
    const QStringList lines = panel.memStatus->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 512);
    EXPECT_EQ(lines.front(), QString(Stamp) + "    513.");
    EXPECT_EQ(lines.back(), QString(Stamp) + "    2.");

    panel.ClearStatusExecute();
    EXPECT_EQ(view.LineCount(), 0);
    panel.AddStatusMessage("Ready..");
    EXPECT_EQ(panel.memStatus->toPlainText(), QString(Stamp) + "    Ready...");
    view.RemoveLastLine();
    EXPECT_EQ(view.LineCount(), 0);
}

// The operator can type into the memo (a note beside the messages); new
// messages still go to the top and leave the typed text alone.
TEST(StatusPanel, TheOperatorCanTypeIntoTheMemo) {
    ScopedRegional regional(Forms("MM/dd/yyyy", "HH:mm:ss"));
    TStatusPanel panel([] { return Moment; });
    EXPECT_FALSE(panel.memStatus->isReadOnly());
    panel.AddStatusMessage("Ready..");
    panel.memStatus->moveCursor(QTextCursor::End);
    for (const QString key : {"\n", "n", "o", "t", "e"}) {
        const int code =
            key == "\n" ? static_cast<int>(Qt::Key_Return) : key[0].toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, key == "\n" ? "\r" : key);
        QCoreApplication::sendEvent(panel.memStatus, &press);
    }
    panel.AddStatusMessage("Next");
    EXPECT_EQ(panel.memStatus->toPlainText(),
              QString(Stamp) + "    Next.\n" + Stamp + "    Ready...\nnote");
}

TEST(StatusPanel, ActionsShowHideAndSwitchTracing) {
    TStatusPanel panel;
    panel.Messages().SetHomeDirectory("/suite/");
    panel.ShowStatusExecute(false);
    EXPECT_TRUE(panel.isHidden());
    panel.ShowStatusExecute(true);
    EXPECT_FALSE(panel.isHidden());
    panel.Tracing1Click(true);
    EXPECT_TRUE(panel.Messages().TracingEnabled());
    EXPECT_EQ(panel.Messages().LogFileName(), "/suite/QXRTD.LOG");
    panel.Tracing1Click(false);
    EXPECT_FALSE(panel.Messages().TracingEnabled());
}

}  // namespace
}  // namespace qx

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());  // digits and names of the stamp do not follow the host
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
