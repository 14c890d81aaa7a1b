#include "core/plan/CModelTemplateFolder.h"

#include "core/plan/CModelTemplates.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool holdsATemplate(const QString& folder) {
    const QDir dir(folder);
    for (const CModelTemplates::Model& model : CModelTemplates::models()) {
        if (QFileInfo::exists(dir.filePath(QLatin1String(model.fileName)))) {
            return true;
        }
    }
    return false;
}

}  // namespace

QStringList CModelTemplateFolder::candidates(const QString& programFolder) {
    const QString installed = QLatin1String(kInstalledFolder);
    QStringList folders{programFolder,
                        QDir::cleanPath(programFolder + QStringLiteral("/../share/") + installed)};
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir(data).filePath(installed);
        if (!folders.contains(folder)) {
            folders.append(folder);
        }
    }
    return folders;
}

QString CModelTemplateFolder::find(const QString& programFolder) {
    for (const QString& folder : candidates(programFolder)) {
        if (holdsATemplate(folder)) {
            return folder;
        }
    }
    return programFolder;
}
