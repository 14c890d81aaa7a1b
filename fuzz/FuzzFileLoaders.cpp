// Arbitrary bytes as a map file or project: either refused, or loaded into a document
// that obeys our rules and saves to a text that loads back to the same document.
#include "core/common/CXmlFile.h"

#include "FuzzRequire.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    pugi::xml_document document;
    document.append_child("Before");
    QString reason;
    if (!CXmlFile::parse(input, document, reason)) {
        require(document.child("Before"), "a refused file leaves the document as it was");
        require(!reason.isEmpty(), "a refusal has a reason");
        return 0;
    }
    require(CXmlFile::checkWellFormed(document).isEmpty(), "loaded document obeys the rules");
    const QByteArray saved = CXmlFile::serialize(document);
    require(saved.startsWith("<?xml version=\"1.0\"?>"), "declaration first");
    pugi::xml_document reloaded;
    require(CXmlFile::parse(saved, reloaded, reason), "saved document parses");
    int declarations = 0;
    for (const pugi::xml_node& child : reloaded.children()) {
        declarations += child.type() == pugi::node_declaration ? 1 : 0;
    }
    require(declarations == 1, "one declaration");
    require(CXmlFile::serialize(reloaded) == saved, "saved document loads unchanged");
    return 0;
}
