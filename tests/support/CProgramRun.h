#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One run of one of our programs (vorel-cli, vorel-sim) to its end: its exit code (-1 when
// it crashed or did not end within the wait) and everything it printed.
struct CProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    static CProgramRun of(const QString& program, const QStringList& arguments,
                          int watchdogMs = 120000);
    // The data folder every run gets (XDG_DATA_HOME), the test program's own for its whole
    // run: vorel-cli journals the changes it sends there, never in the user's folder.
    static QString dataHome();
};
