#include "services/Registration.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "services/ServicesProtocol.h"
#include "services/ServicesXml.h"

namespace qx::services {

namespace fs = std::filesystem;

namespace {

bool IsPlainExecChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
           c == '.' || c == '_' || c == '+' || c == '-';
}

bool WriteWhole(const fs::path& file, std::string_view text, std::string& error) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        error = "cannot create " + file.parent_path().string() + ": " + ec.message();
        return false;
    }
    const fs::path part = file.string() + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            fs::remove(part, ec);
            error = "cannot write " + file.string();
            return false;
        }
    }
    fs::rename(part, file, ec);
    if (ec) {
        error = "cannot write " + file.string() + ": " + ec.message();
        fs::remove(part, ec);
        return false;
    }
    return true;
}

bool RemoveFile(const fs::path& file, std::string& error) {
    std::error_code ec;
    fs::remove(file, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        error = "cannot remove " + file.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

fs::path UserDataDirectory(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && xdgDataHome[0] == '/') return fs::path(xdgDataHome);
    if (home && home[0] == '/') return fs::path(home) / ".local" / "share";
    return {};
}

fs::path UserDataDirectory() {
    return UserDataDirectory(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

fs::path ServiceFilePath(const fs::path& dataDirectory) {
    return dataDirectory / "dbus-1" / "services" / (std::string(AutomationBusName) + ".service");
}

fs::path InterfaceFilePath(const fs::path& dataDirectory, std::string_view interfaceName) {
    return dataDirectory / "dbus-1" / "interfaces" / (std::string(interfaceName) + ".xml");
}

std::string ExecWord(std::string_view executable) {
    if (executable.empty() || executable.find_first_of("\\\r\n") != std::string_view::npos)
        return {};
    bool plain = true;
    for (char c : executable) plain = plain && IsPlainExecChar(c);
    if (plain) return std::string(executable);
    // Nothing inside the quotes is special to the bus's Exec parser but the
    // closing quote (and, in double quotes, "$" and "`").
    if (executable.find('\'') == std::string_view::npos) return "'" + std::string(executable) + "'";
    if (executable.find_first_of("\"$`") == std::string_view::npos)
        return '"' + std::string(executable) + '"';
    return {};
}

std::string ServiceFileText(std::string_view executable) {
    return "# The automation server of QX RIRovozer, started by the bus for its clients.\n"
           "[D-BUS Service]\n"
           "Name=" +
           std::string(AutomationBusName) + "\nExec=" + ExecWord(executable) + " -Automation\n";
}

std::vector<TInterfaceFile> AutomationInterfaceFiles() {
    return {{ClassFactoryInterface, kClassFactoryXml},
            {ObjectInterface, kObjectXml},
            {EventInterface, kEventsXml},
            {ConnectionPointInterface, kConnectionPointXml},
            {ReferenceInterface, kReferenceXml}};
}

bool WriteRegistration(const fs::path& dataDirectory, std::string_view executable,
                       const std::vector<TInterfaceFile>& interfaces, std::string& error) {
    if (dataDirectory.empty()) {
        error = "no data directory: neither XDG_DATA_HOME nor HOME is set to an absolute path";
        return false;
    }
    if (executable.empty() || executable.front() != '/' || ExecWord(executable).empty()) {
        error = "cannot name the executable \"" + std::string(executable) + "\" in an Exec line";
        return false;
    }
    for (const TInterfaceFile& i : interfaces)
        if (!WriteWhole(InterfaceFilePath(dataDirectory, i.Name), i.Xml, error)) return false;
    // The activation file last: once the bus can start the program, its
    // interfaces are described.
    return WriteWhole(ServiceFilePath(dataDirectory), ServiceFileText(executable), error);
}

bool RemoveRegistration(const fs::path& dataDirectory,
                        const std::vector<TInterfaceFile>& interfaces, std::string& error) {
    if (dataDirectory.empty()) {
        error = "no data directory: neither XDG_DATA_HOME nor HOME is set to an absolute path";
        return false;
    }
    bool ok = RemoveFile(ServiceFilePath(dataDirectory), error);
    for (const TInterfaceFile& i : interfaces)
        ok = RemoveFile(InterfaceFilePath(dataDirectory, i.Name), error) && ok;
    return ok;
}

}  // namespace qx::services
