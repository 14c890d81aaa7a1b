#pragma once

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

// Loading and saving of our XML documents. Loading is strict where pugixml is lenient
// (one document element, valid names, unique attributes, clean UTF-8 text, no nesting
// deeper than kDeepestNesting), so a file that another XML parser would refuse, or that
// would take a reader's stack down, never enters the program. Saving is atomic.
class CXmlFile {
public:
    // Parses text into a fresh document; target is replaced only on success.
    static bool parse(const QByteArray& text, pugi::xml_document& target, QString& reason);

    // Reads and parses a file; target is replaced only on success.
    static bool load(const QString& path, pugi::xml_document& target, QString& reason);

    // Writes the document through a temporary file that replaces path only when complete,
    // so a failed save leaves the earlier file as it was. Exactly one XML declaration.
    static bool save(const pugi::xml_document& document, const QString& path, QString& reason);

    // The document as saved, for comparisons and the clipboard.
    static QByteArray serialize(const pugi::xml_document& document);

    // Empty when the document obeys our rules, otherwise the first offence.
    static QString checkWellFormed(const pugi::xml_document& document);

    // How deep elements may nest in a file: a map or project is six deep (Plan,
    // Device_Configuration, DEVICE, PORT, group, setting), the schema five. The check
    // walks without recursion, and nothing that reads a loaded document then meets a
    // depth its own recursion could not take.
    static constexpr int kDeepestNesting = 32;

    static constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration |
                                              pugi::parse_comments | pugi::parse_pi |
                                              pugi::parse_ws_pcdata_single;

private:
    // Parses a buffer made with pugixml's allocation function, which the document takes
    // over (or which is freed when the text is refused).
    static bool parseOwned(void* buffer, size_t size, pugi::xml_document& target, QString& reason);
};
