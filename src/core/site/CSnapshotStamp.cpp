#include "core/site/CSnapshotStamp.h"

#include "core/common/CXmlFile.h"

#include <QRegularExpression>

namespace {

// A pseudo-attribute's value: no quote may end it early, and no "?>" the instruction.
QString quoted(QString value) {
    value.replace(QLatin1Char('"'), QLatin1Char('\''));
    value.replace(QStringLiteral("?>"), QStringLiteral("? >"));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

pugi::xml_node stampNode(const pugi::xml_document& document) {
    for (const pugi::xml_node& child : document.children()) {
        if (child.type() == pugi::node_pi &&
            std::string_view(child.name()) == CSnapshotStamp::kTarget) {
            return child;
        }
    }
    return {};
}

}  // namespace

QString CSnapshotStamp::text() const {
    return QStringLiteral("taken=%1 adapter=%2 version=%3")
        .arg(quoted(taken.toUTC().toString(Qt::ISODate)), quoted(adapter), quoted(version));
}

std::optional<CSnapshotStamp> CSnapshotStamp::of(const pugi::xml_document& document) {
    const pugi::xml_node node = stampNode(document);
    if (!node) {
        return std::nullopt;
    }
    static const QRegularExpression pair(QStringLiteral("([a-z]+)=\"([^\"]*)\""));
    CSnapshotStamp stamp;
    const QString text = QString::fromUtf8(node.value());
    for (QRegularExpressionMatchIterator it = pair.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString value = match.captured(2);
        if (match.captured(1) == u"taken") {
            stamp.taken = QDateTime::fromString(value, Qt::ISODate).toUTC();
        } else if (match.captured(1) == u"adapter") {
            stamp.adapter = value;
        } else if (match.captured(1) == u"version") {
            stamp.version = value;
        }
    }
    return stamp;
}

bool CSnapshotStamp::save(const pugi::xml_document& plan, const QString& path,
                          QString& reason) const {
    pugi::xml_document snapshot;
    snapshot.reset(plan);
    if (const pugi::xml_node old = stampNode(snapshot)) {
        snapshot.remove_child(old);
    }
    pugi::xml_node stamp = snapshot.insert_child_before(pugi::node_pi, snapshot.document_element());
    stamp.set_name(kTarget);
    stamp.set_value(text().toUtf8().constData());
    return CXmlFile::save(snapshot, path, reason);
}
