#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QString>
#include <stdexcept>
#include <vector>

#include "system/QtDiagnostics.h"
#include "textscan/Diagnostics.h"

namespace qx {
namespace {

struct Message {
    QtMsgType type;
    QString category;
    QString text;
};

std::vector<Message>& Messages() {
    static std::vector<Message> messages;
    return messages;
}

void Capture(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    Messages().push_back({type, QString::fromUtf8(context.category), text});
}

void ThrowAndLog(TDiagnosticCategory category) {
    try {
        throw std::runtime_error("setup answer lost");
    } catch (...) {
        LogCaught(category, "TTest::Step");
    }
}

TEST(QtDiagnostics, RoutesToTheNamedCategoryWhichIsOffUntilTheRulesEnableIt) {
    // A name of its own, so that no rule from the environment applies to it.
    constexpr TDiagnosticCategory category{"qxtest.diagnostics"};
    Messages().clear();
    InstallQtDiagnostics();
    const QtMessageHandler previous = qInstallMessageHandler(&Capture);

    EXPECT_FALSE(DiagnosticCategory(category.name).isWarningEnabled());
    EXPECT_TRUE(DiagnosticCategory(category.name).isCriticalEnabled());
    EXPECT_EQ(&DiagnosticCategory(category.name), &DiagnosticCategory("qxtest.diagnostics"));
    ThrowAndLog(category);
    EXPECT_TRUE(Messages().empty());

    QLoggingCategory::setFilterRules(QStringLiteral("qxtest.diagnostics.warning=true"));
    ThrowAndLog(category);
    QLoggingCategory::setFilterRules(QString());
    ThrowAndLog(category);

    qInstallMessageHandler(previous);
    SetCaughtSink(nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].type, QtWarningMsg);
    EXPECT_EQ(Messages()[0].category, QStringLiteral("qxtest.diagnostics"));
    EXPECT_TRUE(Messages()[0].text.contains(QStringLiteral("TTest::Step")));
    EXPECT_TRUE(Messages()[0].text.contains(QStringLiteral("setup answer lost")));
}

}  // namespace
}  // namespace qx
