#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <pugixml.hpp>

// The value a simulated device starts with for a setting that its model template does not
// give: the first option of a choice, else a plausible value for the key. Never empty, as
// the program's views take an empty setting for a broken one.
class CSimDefaults {
public:
    static QByteArray value(QByteArrayView group, QByteArrayView key,
                            const pugi::xml_node& schemaSetting);
    // How many entries an indexed setting that no template lists gets.
    static constexpr int kIndexedEntries = 4;
};
