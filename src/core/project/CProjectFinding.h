#pragma once

#include "core/project/CProjectDevice.h"

#include <QString>

// One thing in a project that an upload would not bring to its device.
struct CProjectFinding {
    CProjectDevice device;
    // The setting as a command names it: [port "."] [group "."] key ["." index]; empty
    // when the whole device is concerned.
    QString path;
    QString value;
    QString problem;
};
