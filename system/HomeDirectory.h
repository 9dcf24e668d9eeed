// The suite's home directory, as the suite's settings name it.
#pragma once

#include <QString>
#include <string>

namespace qx {

// The directory named by the value "Settings/Home" of the suite's system-wide
// settings (QSettings SystemScope, "Tolvane Corporation", "Quintrel") when
// that directory exists; otherwise the process's current directory. Always
// ends with "/".
std::string LoadHomeDirectory();

// The rule behind LoadHomeDirectory: registered when it names an existing
// directory, else currentDirectory; "/" appended unless already there.
std::string ChooseHomeDirectory(const QString& registered, const QString& currentDirectory);

}  // namespace qx
