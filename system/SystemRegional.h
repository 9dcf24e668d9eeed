// Reads the regional settings (separators, short date and long time forms)
// from a Qt locale: the system locale once at start, pinned ones in tests.
#pragma once

#include "textscan/Regional.h"

class QLocale;

namespace qx {

TRegionalSettings RegionalSettingsOf(const QLocale& locale);

// Reads the system locale and makes it the settings in force. Called once at
// start, before any text is scanned.
void InitRegionalFromSystem();

}  // namespace qx
