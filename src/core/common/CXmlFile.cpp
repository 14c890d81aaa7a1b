#include "core/common/CXmlFile.h"

#include "core/common/CXmlBlankText.h"
#include "core/common/CXmlText.h"

#include <QFile>
#include <QSaveFile>
#include <cstring>
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

// Whether an attribute before this one has its name. Elements have one or two.
bool nameSeenBefore(const pugi::xml_attribute& attribute) {
    for (pugi::xml_attribute before = attribute.previous_attribute(); before;
         before = before.previous_attribute()) {
        if (std::strcmp(before.name(), attribute.name()) == 0) {
            return true;
        }
    }
    return false;
}

// Why the node breaks our rules, for the node alone (not what is below it); empty when it
// does not.
QString offenceOf(const pugi::xml_node& node) {
    switch (node.type()) {
        case pugi::node_element:
            if (!CXmlText::isValidName(node.name())) {
                return QStringLiteral("invalid element name");
            }
            for (const pugi::xml_attribute& attribute : node.attributes()) {
                if (!CXmlText::isValidName(attribute.name())) {
                    return QStringLiteral("invalid attribute name");
                }
                if (nameSeenBefore(attribute)) {
                    return QStringLiteral("duplicate attribute");
                }
                if (!CXmlText::isCleanText(attribute.value())) {
                    return QStringLiteral("invalid character in attribute value");
                }
            }
            return {};
        case pugi::node_declaration:
            return {};
        case pugi::node_pi:
            if (!isValidTarget(node.name())) {
                return QStringLiteral("invalid processing instruction");
            }
            break;
        default:
            break;
    }
    return CXmlText::isCleanText(node.value()) ? QString()
                                               : QStringLiteral("invalid character in text");
}

// The node after this one in document order, children first, and the nesting that
// changes on the way (one down into a child, one up for each parent left); a null node
// after the last.
pugi::xml_node nextInOrder(const pugi::xml_node& node, int& depth) {
    if (const pugi::xml_node child = node.first_child()) {
        ++depth;
        return child;
    }
    for (pugi::xml_node up = node; up && up.type() != pugi::node_document; up = up.parent()) {
        if (const pugi::xml_node sibling = up.next_sibling()) {
            return sibling;
        }
        --depth;
    }
    return {};
}

// Whether every node obeys our rules, and with mend the text that would not come back
// from a save mended on the way (CXmlBlankText): one walk over what may be millions of
// nodes, without recursion, so that no file's nesting reaches the stack; a file nested
// deeper than any of ours is refused on the way.
QString checkNodes(const pugi::xml_document& document, bool mend) {
    int depth = 1;
    for (pugi::xml_node node = document.first_child(); node;) {
        if (QString offence = offenceOf(node); !offence.isEmpty()) {
            return offence;
        }
        if (node.type() == pugi::node_element && depth > CXmlFile::kDeepestNesting) {
            return QStringLiteral("elements nested deeper than %1").arg(CXmlFile::kDeepestNesting);
        }
        pugi::xml_node next = nextInOrder(node, depth);
        if (mend && node.type() == pugi::node_pcdata) {
            if (CXmlBlankText::isLostInSaving(node)) {
                node.parent().remove_child(node);
            } else {
                CXmlBlankText::endLinesAsReadBack(node);
            }
        }
        node = next;
    }
    return {};
}

QString checkDocument(const pugi::xml_document& document, bool mend) {
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
    return checkNodes(document, mend);
}

}  // namespace

QString CXmlFile::checkWellFormed(const pugi::xml_document& document) {
    return checkDocument(document, false);
}

bool CXmlFile::parse(const QByteArray& text, pugi::xml_document& target, QString& reason) {
    // pugixml takes a buffer of its own and parses it in place: no second copy of a large
    // file is held while its nodes are made.
    void* buffer = pugi::get_memory_allocation_function()(static_cast<size_t>(text.size()) + 1);
    if (buffer == nullptr) {
        reason = QStringLiteral("out of memory");
        return false;
    }
    std::memcpy(buffer, text.constData(), static_cast<size_t>(text.size()));
    return parseOwned(buffer, static_cast<size_t>(text.size()), target, reason);
}

bool CXmlFile::parseOwned(void* buffer, size_t size, pugi::xml_document& target, QString& reason) {
    const QByteArray text =
        QByteArray::fromRawData(static_cast<const char*>(buffer), static_cast<qsizetype>(size));
    if (const qsizetype at = nulReference(text); at >= 0) {
        pugi::get_memory_deallocation_function()(buffer);
        reason = QStringLiteral("a reference to the character 0 at offset %1").arg(at);
        return false;
    }
    pugi::xml_document parsed;
    const pugi::xml_parse_result result =
        parsed.load_buffer_inplace_own(buffer, size, kParseOptions);
    if (!result) {
        reason = QStringLiteral("%1 at offset %2")
                     .arg(QString::fromLatin1(result.description()))
                     .arg(result.offset);
        return false;
    }
    reason = checkDocument(parsed, true);
    if (!reason.isEmpty()) {
        return false;
    }
    target = std::move(parsed);
    return true;
}

bool CXmlFile::load(const QString& path, pugi::xml_document& target, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    // Read straight into the buffer the document keeps: a map of a large site is tens of
    // megabytes.
    const qint64 size = file.size();
    void* buffer = pugi::get_memory_allocation_function()(static_cast<size_t>(size) + 1);
    if (buffer == nullptr) {
        reason = QStringLiteral("out of memory");
        return false;
    }
    const qint64 read = file.read(static_cast<char*>(buffer), size);
    if (read != size || file.error() != QFileDevice::NoError) {
        pugi::get_memory_deallocation_function()(buffer);
        reason = read < 0 || file.error() != QFileDevice::NoError
                     ? file.errorString()
                     : QStringLiteral("the file changed while it was read");
        return false;
    }
    return parseOwned(buffer, static_cast<size_t>(size), target, reason);
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
