#include "core/settings/CDataFolder.h"

#include "core/settings/CSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString CDataFolder::forApplication(const QString& application) {
    // The folder QStandardPaths::AppDataLocation gives once the maker's and the program's
    // names are set, spelled out so that it does not depend on them being set.
    const QString shared = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(shared).filePath(QLatin1String(CSettings::kOrganisation) + QLatin1Char('/') +
                                 application);
}

QString CDataFolder::resolve(const QString& folder, const QString& name) {
    if (folder.isEmpty() || QDir::isAbsolutePath(name)) {
        return name;
    }
    return QDir(folder).filePath(name);
}

QString CDataFolder::prepare(const QString& folder, const QString& name) {
    const QString path = resolve(folder, name);
    if (!folder.isEmpty() && !QDir::isAbsolutePath(name)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
    }
    return path;
}
