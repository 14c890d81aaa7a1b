#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Where a setting lives, as commands and replies name it: [port "."] [group "."] key
// ["." index]. A first component of exactly one character is always the port; empty
// components are skipped; components after the index are ignored.
struct CSettingPath {
    QByteArray port;
    QByteArray group;
    QByteArray key;
    QByteArray index;

    // Nothing when the text names no key.
    static std::optional<CSettingPath> parse(QByteArrayView text);
    // The components joined by ".", as a reply names the setting.
    QByteArray text() const;
};
