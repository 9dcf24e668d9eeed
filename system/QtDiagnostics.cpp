#include "system/QtDiagnostics.h"

#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "textscan/Diagnostics.h"

namespace qx {
namespace {

// A QLoggingCategory keeps the pointer to its name: the map's keys hold the
// names, and neither the map nor the categories are ever freed, so that a
// report during the process's exit still finds its category.
struct TCategories {
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<QLoggingCategory>, std::less<>> byName;
};

TCategories& Categories() {
    static TCategories* categories = new TCategories;
    return *categories;
}

void QtSink(const char* category, const char* where, const char* what) {
    try {
        const QLoggingCategory& log = DiagnosticCategory(category);
        qCWarning(log, "%s: caught %s", where, what);
    } catch (...) {
        // A report that cannot be written is dropped.
    }
}

}  // namespace

const QLoggingCategory& DiagnosticCategory(const char* name) {
    TCategories& categories = Categories();
    const std::lock_guard<std::mutex> lock(categories.mutex);
    auto found = categories.byName.find(std::string_view(name));
    if (found == categories.byName.end()) {
        found = categories.byName.emplace(name, nullptr).first;
        // Warnings are below the default severity: the category is silent
        // unless the logging rules enable it.
        found->second = std::make_unique<QLoggingCategory>(found->first.c_str(), QtCriticalMsg);
    }
    return *found->second;
}

void InstallQtDiagnostics() {
    SetCaughtSink(&QtSink);
}

}  // namespace qx
