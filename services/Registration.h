// The automation server's registration with the session bus: a D-Bus
// activation file for its bus name that starts this executable with
// "-Automation", and the introspection XML of its interfaces, both in the
// user's data directory. Plain files; no bus is needed to write them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qx::services {

// $XDG_DATA_HOME when it is set to an absolute path, else $HOME/.local/share;
// empty when neither is usable.
std::filesystem::path UserDataDirectory(const char* xdgDataHome, const char* home);
// The same from the process's environment.
std::filesystem::path UserDataDirectory();

// DATA/dbus-1/services/QXRTD.QXRTDCom.service
std::filesystem::path ServiceFilePath(const std::filesystem::path& dataDirectory);
// DATA/dbus-1/interfaces/NAME.xml
std::filesystem::path InterfaceFilePath(const std::filesystem::path& dataDirectory,
                                        std::string_view interfaceName);

// The executable as one word of a D-Bus Exec line: as it is when it holds
// only letters, digits and "/._+-", else in single quotes, or in double
// quotes when it holds a single quote. Empty when no word can hold it: a
// backslash, a line break, or both kinds of quote (the bus rejects a file
// with a backslash escape it does not know).
std::string ExecWord(std::string_view executable);

// The activation file's text for the executable (an absolute path that
// ExecWord can hold).
std::string ServiceFileText(std::string_view executable);

struct TInterfaceFile {
    std::string_view Name;  // the interface's name, e.g. "QXRTD.IQXRTDCom"
    std::string_view Xml;   // its introspection document
};

// The automation server's interfaces, as the registration installs them.
std::vector<TInterfaceFile> AutomationInterfaceFiles();

// Writes the activation file and the interface files, each replaced whole
// (written beside and renamed), creating the folders. False with a one-line
// error for an empty data directory, an executable that no Exec line can
// hold (relative, or no ExecWord) or a file that cannot be written.
bool WriteRegistration(const std::filesystem::path& dataDirectory, std::string_view executable,
                       const std::vector<TInterfaceFile>& interfaces, std::string& error);

// Removes the files WriteRegistration writes; files already gone are fine.
bool RemoveRegistration(const std::filesystem::path& dataDirectory,
                        const std::vector<TInterfaceFile>& interfaces, std::string& error);

}  // namespace qx::services
