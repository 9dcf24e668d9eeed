#include "suite/CommandLine.h"

#include <charconv>

#include "suite/SuiteFile.h"

namespace qx::suite {

std::string_view Usage() {
    return "usage: qxsetup [--suite FILE] [--setup-load-delay MS] [--bus ADDRESS]\n"
           "       qxsetup [--bus ADDRESS] --emit SERVER TYPE TEXT\n"
           "       qxsetup [--bus ADDRESS] --refresh [SENDER]\n"
           "       qxsetup [--bus ADDRESS] --shutdown SERVER\n"
           "       qxsetup [--bus ADDRESS] --quit\n"
           "SERVER is setup, decode, rtu or mbrtu.\n";
}

TCommandLine ParseCommandLine(std::span<const std::string> args) {
    TCommandLine line;
    auto fail = [&](std::string why) {
        line.Error = std::move(why);
        return line;
    };
    auto setMode = [&](TMode mode) {
        if (line.Mode != TMode::Serve) return false;
        line.Mode = mode;
        return true;
    };
    auto known = [](const std::string& key) { return ServerByKey(key).has_value(); };
    bool serveOptions = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::size_t left = args.size() - i - 1;
        if (a == "--suite" || a == "--bus" || a == "--setup-load-delay") {
            if (left < 1) return fail(a + " needs a value");
            const std::string& value = args[++i];
            if (a == "--suite") {
                line.SuiteFile = value;
                serveOptions = true;
            } else if (a == "--bus") {
                line.BusAddress = value;
            } else {
                int ms = 0;
                const auto [end, ec] =
                    std::from_chars(value.data(), value.data() + value.size(), ms);
                if (value.empty() || ec != std::errc() || end != value.data() + value.size() ||
                    ms < 0 || ms > 3600000)
                    return fail("--setup-load-delay needs milliseconds from 0 to 3600000");
                line.SetupLoadDelayMs = ms;
                serveOptions = true;
            }
        } else if (a == "--emit") {
            if (!setMode(TMode::Emit)) return fail("only one command at a time");
            if (left < 3) return fail("--emit needs SERVER TYPE TEXT");
            line.Arguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                  args.begin() + static_cast<std::ptrdiff_t>(i) + 4);
            i += 3;
            if (!known(line.Arguments[0])) return fail("unknown server " + line.Arguments[0]);
        } else if (a == "--refresh") {
            if (!setMode(TMode::Refresh)) return fail("only one command at a time");
            if (left >= 1 && args[i + 1].rfind("--", 0) != 0) line.Arguments.push_back(args[++i]);
        } else if (a == "--shutdown") {
            if (!setMode(TMode::Shutdown)) return fail("only one command at a time");
            if (left < 1) return fail("--shutdown needs SERVER");
            line.Arguments.push_back(args[++i]);
            if (!known(line.Arguments[0])) return fail("unknown server " + line.Arguments[0]);
        } else if (a == "--quit") {
            if (!setMode(TMode::Quit)) return fail("only one command at a time");
        } else if (a == "--help" || a == "-h") {
            if (!setMode(TMode::Help)) return fail("only one command at a time");
        } else {
            return fail("unknown argument " + a);
        }
    }
    if (serveOptions && line.Mode != TMode::Serve && line.Mode != TMode::Help)
        return fail("--suite and --setup-load-delay are for serving a suite");
    return line;
}

}  // namespace qx::suite
