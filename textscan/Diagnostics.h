// Reports of caught exceptions, for developers.
//
// Where a catch block keeps an error from the operator (the error rules say
// what the operator sees), it still calls LogCaught, so that a developer can
// see what was discarded:
//
//     try {
//         page->ShowReading(reading);
//     } catch (...) {
//         LogCaught(diagnostics::ServerLink, "TDataDecoder::RouteReading");
//     }
//
// LogCaught hands the category, the place and the exception's what() text to
// one process-wide sink. The default sink is silent unless the environment
// variable QX_DEBUG_CAUGHT is set to a value other than "" or "0"; then it
// writes one line to stderr. Programs that link Qt install the Qt sink
// (system/QtDiagnostics.h), which writes with qCWarning to a QLoggingCategory
// of the same name, off by default and enabled with QT_LOGGING_RULES, e.g.
// QT_LOGGING_RULES="qx.*.warning=true".
//
// Plain and Qt libraries alike report caught exceptions this way, with the
// category of their library from the list below. (The shell's status log
// reports a log file it cannot write in its own category, qx.shell.status,
// on by default.)
#pragma once

namespace qx {

// The name of a library's diagnostics; a string literal.
struct TDiagnosticCategory {
    const char* name;
};

namespace diagnostics {
inline constexpr TDiagnosticCategory TextScan{"qx.textscan"};
inline constexpr TDiagnosticCategory Readings{"qx.readings"};
inline constexpr TDiagnosticCategory Workspace{"qx.workspace"};
inline constexpr TDiagnosticCategory System{"qx.system"};
inline constexpr TDiagnosticCategory Pages{"qx.pages"};
inline constexpr TDiagnosticCategory ServerLink{"qx.serverlink"};
inline constexpr TDiagnosticCategory Suite{"qx.suite"};
inline constexpr TDiagnosticCategory Shell{"qx.shell"};
inline constexpr TDiagnosticCategory QxText{"qx.qxtext"};
inline constexpr TDiagnosticCategory Services{"qx.services"};
inline constexpr TDiagnosticCategory App{"qx.app"};
}  // namespace diagnostics

// Receives one caught exception: the category's name, the place given to
// LogCaught and the exception's what() text (a fixed text for exceptions not
// derived from std::exception). The texts live only for the call. It may be
// called from any thread and must not throw.
using TCaughtSink = void (*)(const char* category, const char* where, const char* what);

// Installs the sink (null: the default one) and returns the one before it.
TCaughtSink SetCaughtSink(TCaughtSink sink) noexcept;

// Reports the exception being handled; to be called inside a catch block.
// Outside one it reports an empty what() text.
void LogCaught(TDiagnosticCategory category, const char* where) noexcept;

}  // namespace qx
