#pragma once

#include <QString>

// Where the program keeps the files a user does not place by hand, the traffic log and
// the error log: this user's data folder (on Linux ~/.local/share/<maker>/<program>), so
// they never land in whatever folder the program was started from.
class CDataFolder {
public:
    // The data folder of the maker's application of that name.
    static QString forApplication(const QString& application);
    // A relative name lands in the folder; an absolute one stays as it is. An empty folder
    // leaves relative names relative to the working folder.
    static QString resolve(const QString& folder, const QString& name);
    // resolve(), and for a relative name the folders it lands in are made when missing.
    static QString prepare(const QString& folder, const QString& name);
};
