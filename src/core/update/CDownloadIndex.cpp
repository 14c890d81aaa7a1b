#include "core/update/CDownloadIndex.h"

#include <QByteArray>
#include <limits>
#include <pugixml.hpp>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// All the text inside the element, as the XML DOM's text property gives it.
QByteArray textOf(const pugi::xml_node& element) {
    QByteArray text;
    for (const pugi::xpath_node& node : element.select_nodes(".//text()")) {
        text += node.node().value();
    }
    return text;
}

}  // namespace

int CDownloadIndex::leadingNumber(QByteArrayView text) {
    qsizetype at = 0;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr qint64 kLimit = std::numeric_limits<int>::max();
    qint64 value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min<qint64>(value * 10 + (text[at] - '0'), kLimit + 1);
    }
    if (negative) {
        return static_cast<int>(-value);  // down to INT_MIN
    }
    return static_cast<int>(std::min(value, kLimit));
}

qint64 CDownloadIndex::releaseOf(QByteArrayView versionText) {
    const qsizetype dot = versionText.indexOf('.');
    const QByteArrayView before = dot < 0 ? QByteArrayView() : versionText.first(dot);
    const QByteArrayView after = versionText.sliced(dot + 1);
    return release(leadingNumber(before), leadingNumber(after));
}

std::optional<QList<qint64>> CDownloadIndex::releases(QByteArrayView xml) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), static_cast<size_t>(xml.size()));
    if (!parsed || !document.document_element()) {
        return std::nullopt;
    }
    QList<qint64> found;
    for (const pugi::xpath_node& file : document.select_nodes(kFileQuery)) {
        for (const pugi::xml_node& child : file.node().children(kVersionElement)) {
            found.append(releaseOf(textOf(child)));
        }
    }
    return found;
}
