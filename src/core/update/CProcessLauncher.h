#pragma once

#include "core/update/IProgramLauncher.h"

// Starts programs as detached processes of this platform.
class CProcessLauncher : public IProgramLauncher {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override;
};
