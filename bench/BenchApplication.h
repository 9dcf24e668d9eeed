// The application object widget and bus benchmarks need: one on the
// offscreen platform serves every run and lives until the program ends.
#pragma once

#include <QApplication>

namespace qx {

inline void EnsureBenchApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qx_bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace qx
