#include "system/HomeDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace qx {

std::string ChooseHomeDirectory(const QString& registered, const QString& currentDirectory) {
    QString home = currentDirectory;
    if (!registered.isEmpty() && QFileInfo(registered).isDir()) home = registered;
    if (!home.endsWith('/')) home += '/';
    return home.toStdString();
}

std::string LoadHomeDirectory() {
    const QSettings settings(QSettings::SystemScope, "Tolvane Corporation", "Quintrel");
    return ChooseHomeDirectory(settings.value("Settings/Home").toString(), QDir::currentPath());
}

}  // namespace qx
