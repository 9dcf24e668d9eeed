#include "textscan/Diagnostics.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace qx {
namespace {

constexpr const char* NotStdException = "an exception not derived from std::exception";

bool DebugCaughtSet() {
    const char* value = std::getenv("QX_DEBUG_CAUGHT");
    return value && *value && std::strcmp(value, "0") != 0;
}

void DefaultSink(const char* category, const char* where, const char* what) {
    static const bool enabled = DebugCaughtSet();
    if (enabled) std::fprintf(stderr, "%s: %s: caught %s\n", category, where, what);
}

std::atomic<TCaughtSink> currentSink{nullptr};

}  // namespace

TCaughtSink SetCaughtSink(TCaughtSink sink) noexcept {
    return currentSink.exchange(sink);
}

void LogCaught(TDiagnosticCategory category, const char* where) noexcept {
    TCaughtSink sink = currentSink.load();
    if (!sink) sink = &DefaultSink;
    const char* name = category.name ? category.name : "";
    if (!where) where = "";
    const std::exception_ptr caught = std::current_exception();
    if (!caught) {
        sink(name, where, "");
        return;
    }
    // The handler below runs while the exception is alive, so what() stays
    // valid for the sink's call.
    try {
        std::rethrow_exception(caught);
    } catch (const std::exception& e) {
        sink(name, where, e.what());
    } catch (...) {
        sink(name, where, NotStdException);
    }
}

}  // namespace qx
