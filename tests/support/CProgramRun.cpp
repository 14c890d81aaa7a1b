#include "CProgramRun.h"

#include <QProcess>

CProgramRun CProgramRun::of(const QString& program, const QStringList& arguments, int watchdogMs) {
    QProcess process;
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
