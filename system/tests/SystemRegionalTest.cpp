#include <gtest/gtest.h>

#include <QDateTime>
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

// A status line's stamp is the time alone: the long time form keeps no
// time-zone name, whatever the locale puts in it.
TEST(SystemRegional, LongTimeFormHasNoTimeZone) {
    const struct {
        const char* form;
        const char* without;
    } forms[] = {
        {"HH:mm:ss t", "HH:mm:ss"},       {"h:mm:ss AP t", "h:mm:ss AP"},
        {"t HH:mm:ss", "HH:mm:ss"},       {"HH:mm:ss 'at' t", "HH:mm:ss 'at'"},
        {"HH'h'mm 'tt'", "HH'h'mm 'tt'"}, {"HH:mm:ss", "HH:mm:ss"},
    };
    for (const auto& f : forms)
        EXPECT_EQ(TimeFormWithoutZone(f.form).toStdString(), f.without) << f.form;

    const QTime time(13, 20, 59);
    for (const QLocale& locale :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German),
          QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::Japanese),
          QLocale::c()}) {
        const TRegionalSettings s = RegionalSettingsOf(locale);
        const QString shown = locale.toString(time, QString::fromStdString(s.LongTimeFormat));
        EXPECT_TRUE(shown.contains("20")) << shown.toStdString();
        const QString zone = QDateTime(QDate(2009, 6, 30), time).timeZoneAbbreviation();
        if (!zone.isEmpty()) {
            EXPECT_FALSE(shown.contains(zone)) << shown.toStdString();
        }
        EXPECT_EQ(s.LongTimeFormat.find('t'), std::string::npos) << s.LongTimeFormat;
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
