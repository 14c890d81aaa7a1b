#include "CXmlFile.h"

#include "CXmlBlankText.h"
#include "CXmlText.h"

#include <QFile>
#include <QSaveFile>
#include <cstring>
#include <set>
#include <string>

namespace {

class ByteArrayWriter : public pugi::xml_writer {
public:
    explicit ByteArrayWriter(QByteArray& out) : m_out(out) {}
    void write(const void* data, size_t size) override {
        m_out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }

private:
    QByteArray& m_out;
};

// A processing instruction's target: a name, and not "xml" in any case, which only the
// declaration may use.
bool isValidTarget(std::string_view target) {
    if (!CXmlText::isValidName(target)) {
        return false;
    }
    return target.size() != 3 || QByteArray(target.data(), 3).toLower() != "xml";
}

// Where the text refers to the character 0 ("&#0;", "&#x00;"), or -1. XML allows no such
// character; the parser would end the text or value there, and a file saved again would
// silently lose what followed, so such a file is refused rather than loaded.
qsizetype nulReference(const QByteArray& text) {
    for (qsizetype at = text.indexOf("&#"); at >= 0; at = text.indexOf("&#", at + 2)) {
        qsizetype digit = at + 2;
        if (digit < text.size() && (text[digit] == 'x' || text[digit] == 'X')) {
            ++digit;
        }
        const qsizetype first = digit;
        while (digit < text.size() && text[digit] == '0') {
            ++digit;
        }
        if (digit > first && digit < text.size() && text[digit] == ';') {
            return at;
        }
    }
    return -1;
}

QString checkNode(const pugi::xml_node& node) {
    if (node.type() == pugi::node_element) {
        if (!CXmlText::isValidName(node.name())) {
            return QStringLiteral("invalid element name");
        }
        std::set<std::string> names;
        for (const pugi::xml_attribute& attribute : node.attributes()) {
            if (!CXmlText::isValidName(attribute.name())) {
                return QStringLiteral("invalid attribute name");
            }
            if (!names.insert(attribute.name()).second) {
                return QStringLiteral("duplicate attribute");
            }
            if (!CXmlText::isCleanText(attribute.value())) {
                return QStringLiteral("invalid character in attribute value");
            }
        }
    } else if (node.type() == pugi::node_pi && !isValidTarget(node.name())) {
        return QStringLiteral("invalid processing instruction");
    } else if (!CXmlText::isCleanText(node.value())) {
        return QStringLiteral("invalid character in text");
    }
    for (const pugi::xml_node& child : node.children()) {
        QString offence = checkNode(child);
        if (!offence.isEmpty()) {
            return offence;
        }
    }
    return {};
}

}  // namespace

QString CXmlFile::checkWellFormed(const pugi::xml_document& document) {
    int elements = 0;
    int declarations = 0;
    for (const pugi::xml_node& child : document.children()) {
        elements += child.type() == pugi::node_element ? 1 : 0;
        declarations += child.type() == pugi::node_declaration ? 1 : 0;
    }
    if (elements != 1) {
        return elements == 0 ? QStringLiteral("no document element")
                             : QStringLiteral("more than one document element");
    }
    if (declarations > 1 ||
        (declarations == 1 && document.first_child().type() != pugi::node_declaration)) {
        return QStringLiteral("misplaced XML declaration");
    }
    for (const pugi::xml_node& child : document.children()) {
        if (child.type() == pugi::node_declaration) {
            continue;
        }
        QString offence = checkNode(child);
        if (!offence.isEmpty()) {
            return offence;
        }
    }
    return {};
}

bool CXmlFile::parse(const QByteArray& text, pugi::xml_document& target, QString& reason) {
    if (const qsizetype at = nulReference(text); at >= 0) {
        reason = QStringLiteral("a reference to the character 0 at offset %1").arg(at);
        return false;
    }
    pugi::xml_document parsed;
    const pugi::xml_parse_result result =
        parsed.load_buffer(text.constData(), static_cast<size_t>(text.size()), kParseOptions);
    if (!result) {
        reason = QStringLiteral("%1 at offset %2")
                     .arg(QString::fromLatin1(result.description()))
                     .arg(result.offset);
        return false;
    }
    reason = checkWellFormed(parsed);
    if (!reason.isEmpty()) {
        return false;
    }
    CXmlBlankText::dropBesideElements(parsed.root());
    target = std::move(parsed);
    return true;
}

bool CXmlFile::load(const QString& path, pugi::xml_document& target, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    return parse(text, target, reason);
}

QByteArray CXmlFile::serialize(const pugi::xml_document& document) {
    // Our own declaration, whatever the loaded file declared: the text is always written
    // as UTF-8, and a kept encoding="ISO-8859-1" would garble it on the next load.
    QByteArray out("<?xml version=\"1.0\"?>\n");
    ByteArrayWriter writer(out);
    for (const pugi::xml_node& child : document.children()) {
        if (child.type() != pugi::node_declaration) {
            child.print(writer, "\t", pugi::format_default, pugi::encoding_utf8);
        }
    }
    return out;
}

bool CXmlFile::save(const pugi::xml_document& document, const QString& path, QString& reason) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    const QByteArray text = serialize(document);
    if (file.write(text) != text.size() || !file.commit()) {
        reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
