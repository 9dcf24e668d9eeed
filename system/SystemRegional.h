// Reads the regional settings (separators, short date and long time forms)
// from a Qt locale: the system locale once at start, pinned ones in tests.
#pragma once

#include "textscan/Regional.h"

class QLocale;
class QString;

namespace qx {

// The long time form is the time alone: a locale's time-zone field ("t",
// with the blanks before it) is dropped from it.
TRegionalSettings RegionalSettingsOf(const QLocale& locale);

// A Qt time form without its time-zone fields; quoted text stays.
QString TimeFormWithoutZone(const QString& form);

// Reads the system locale and makes it the settings in force. Called once at
// start, before any text is scanned.
void InitRegionalFromSystem();

}  // namespace qx
