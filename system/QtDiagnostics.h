// The Qt sink for caught exceptions (textscan/Diagnostics.h): each report goes
// to qCWarning of a QLoggingCategory named as the library's category, e.g.
// "qx.serverlink". The categories are off by default (a discarded error per
// bad event would flood the output); QT_LOGGING_RULES="qx.*.warning=true"
// turns them on.
#pragma once

#include <QLoggingCategory>

namespace qx {

// Installs the Qt sink for the whole process; programs call it once at start.
void InstallQtDiagnostics();

// The category the Qt sink writes to for a name; created on first use and
// kept for the life of the process.
const QLoggingCategory& DiagnosticCategory(const char* name);

}  // namespace qx
