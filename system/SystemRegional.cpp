#include "system/SystemRegional.h"

#include <QLocale>
#include <QString>

namespace qx {
namespace {

// The first character of a date or time form that is neither a field letter,
// a quote nor a blank: the separator between its fields.
char SeparatorOf(const QString& form, char fallback) {
    for (const QChar c : form) {
        if (c.isLetter() || c.isSpace() || c == u'\'') continue;
        const char16_t u = c.unicode();
        return u > 32 && u < 127 ? static_cast<char>(u) : fallback;
    }
    return fallback;
}

}  // namespace

QString TimeFormWithoutZone(const QString& form) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < form.size(); ++i) {
        const QChar c = form[i];
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c == u't') {
            // The field and the blanks that set it apart.
            while (i + 1 < form.size() && form[i + 1] == u't') ++i;
            while (!out.isEmpty() && out.back().isSpace()) out.chop(1);
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

TRegionalSettings RegionalSettingsOf(const QLocale& locale) {
    TRegionalSettings settings;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longTime = TimeFormWithoutZone(locale.timeFormat(QLocale::LongFormat));
    settings.DateSeparator = SeparatorOf(shortDate, '/');
    settings.TimeSeparator = SeparatorOf(longTime, ':');
    const QString point = locale.decimalPoint();
    settings.DecimalSeparator =
        point.size() == 1 && point[0].unicode() < 127 ? static_cast<char>(point[0].unicode()) : '.';
    if (!shortDate.isEmpty()) settings.ShortDateFormat = shortDate.toStdString();
    if (!longTime.isEmpty()) settings.LongTimeFormat = longTime.toStdString();
    return settings;
}

void InitRegionalFromSystem() {
    SetRegional(RegionalSettingsOf(QLocale::system()));
}

}  // namespace qx
