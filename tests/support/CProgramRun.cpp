#include "CProgramRun.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

QString CProgramRun::dataHome() {
    static const QTemporaryDir folder;
    return folder.path();
}

CProgramRun CProgramRun::of(const QString& program, const QStringList& arguments, int watchdogMs) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    CProgramRun run;
    if (!process.waitForFinished(watchdogMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
