#include <iostream>

#include "system/QtDiagnostics.h"
#include "system/SystemRegional.h"
#include "tools/qxtext/QxText.h"

int main(int argc, char** argv) {
    qx::InstallQtDiagnostics();
    qx::InitRegionalFromSystem();
    std::vector<std::string> args(argv + 1, argv + argc);
    return qx::RunQxText(args, std::cin, std::cout, std::cerr);
}
