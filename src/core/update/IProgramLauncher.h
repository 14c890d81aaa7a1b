#pragma once

#include <QString>
#include <QStringList>

// Starts another program and leaves it running on its own. The arguments go to it as they
// are, one by one: no shell reads them.
class IProgramLauncher {
public:
    virtual ~IProgramLauncher() = default;
    // False when the program could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};
