#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "system/HomeDirectory.h"

namespace qx {
namespace {

TEST(HomeDirectory, TheRegisteredDirectoryWhenItExistsElseTheCurrentOne) {
    QTemporaryDir settings;
    QTemporaryDir suiteHome;
    ASSERT_TRUE(settings.isValid() && suiteHome.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settings.path());
    const std::string current = QDir::currentPath().toStdString() + "/";
    EXPECT_EQ(LoadHomeDirectory(), current);  // no value at all
    const struct {
        QString value;
        std::string home;
    } cases[] = {
        {suiteHome.path(), suiteHome.path().toStdString() + "/"},
        {suiteHome.path() + "/", suiteHome.path().toStdString() + "/"},
        {suiteHome.path() + "/missing", current},
        {"", current},
    };
    for (const auto& c : cases) {
        {
            QSettings write(QSettings::SystemScope, "Tolvane Corporation", "Quintrel");
            write.setValue("Settings/Home", c.value);
        }
        EXPECT_EQ(LoadHomeDirectory(), c.home) << c.value.toStdString();
    }
    EXPECT_EQ(ChooseHomeDirectory("", "/"), "/");
}

}  // namespace
}  // namespace qx
