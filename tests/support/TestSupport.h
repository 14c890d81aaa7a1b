#pragma once

#include <QString>

// Where the tests find their data and the files the build ships beside the programs.
namespace testsupport {
inline QString dataPath(const QString& name) {
    return QStringLiteral(VOREL_TEST_DATA_DIR "/") + name;
}
inline QString runtimePath(const QString& name) {
    return QStringLiteral(VOREL_RUNTIME_DIR "/") + name;
}
}  // namespace testsupport
