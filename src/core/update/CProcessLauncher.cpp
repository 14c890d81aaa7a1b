#include "core/update/CProcessLauncher.h"

#include <QProcess>

bool CProcessLauncher::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}
