#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// What makes a map file a snapshot: when it was taken, through which adapter and by which
// version of the program. It stands in a processing instruction before the document
// element, <?vorel-snapshot taken="2025-03-01T09:30:00Z" adapter="eth0 10.0.0.1"
// version="1.0.0"?>, which the map loader keeps and every reader of the plan passes by
// (they select elements only), so a snapshot loads as any map file does, and a plan saved
// after loading one is still a map file.
struct CSnapshotStamp {
    static constexpr const char* kTarget = "vorel-snapshot";

    QDateTime taken;  // UTC, to the second
    QString adapter;
    QString version;

    // The stamp of a document; nothing when it carries none.
    static std::optional<CSnapshotStamp> of(const pugi::xml_document& document);
    // The plan as a snapshot with this stamp: a copy of it with the stamp before its
    // document element (replacing any it carried), saved as CXmlFile saves.
    bool save(const pugi::xml_document& plan, const QString& path, QString& reason) const;
    // The processing instruction's text ("taken=... adapter=... version=...").
    QString text() const;
};
