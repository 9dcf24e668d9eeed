#include <gtest/gtest.h>

#include <QLocale>

#include "system/SystemRegional.h"

namespace qx {
namespace {

TEST(SystemRegional, SeparatorsComeFromTheLocalesForms) {
    struct Case {
        QLocale::Language language;
        QLocale::Territory territory;
        char date;
        char time;
        char decimal;
    } cases[] = {
        {QLocale::English, QLocale::UnitedStates, '/', ':', '.'},
        {QLocale::German, QLocale::Germany, '.', ':', ','},
        {QLocale::Swedish, QLocale::Sweden, '-', ':', ','},
    };
    for (const Case& c : cases) {
        const TRegionalSettings s = RegionalSettingsOf(QLocale(c.language, c.territory));
        EXPECT_EQ(s.DateSeparator, c.date) << QLocale(c.language, c.territory).name().toStdString();
        EXPECT_EQ(s.TimeSeparator, c.time);
        EXPECT_EQ(s.DecimalSeparator, c.decimal);
        EXPECT_FALSE(s.ShortDateFormat.empty());
        EXPECT_FALSE(s.LongTimeFormat.empty());
    }
}

TEST(SystemRegional, TheCLocaleGivesUsableSeparators) {
    const TRegionalSettings s = RegionalSettingsOf(QLocale::c());
    EXPECT_NE(s.DateSeparator, ' ');
    EXPECT_EQ(s.TimeSeparator, ':');
    EXPECT_EQ(s.DecimalSeparator, '.');
}

}  // namespace
}  // namespace qx
