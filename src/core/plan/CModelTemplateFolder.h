#pragma once

#include <QString>
#include <QStringList>

// Where the model templates are. A build keeps them beside the programs; an installed
// copy in its data folder, <prefix>/share/ubrix-vorel/templates, which is looked for
// beside the program's own prefix first (so that a package unpacked anywhere works) and
// then along the system's data folders.
class CModelTemplateFolder {
public:
    static constexpr const char* kInstalledFolder = "ubrix-vorel/templates";

    // The folders looked in, in order.
    static QStringList candidates(const QString& programFolder);
    // The first candidate that holds a model template; the program's folder when none
    // does (loading then tells what is missing).
    static QString find(const QString& programFolder);
};
