#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <string>
#include <string_view>

// Texts that enter an XML document. Devices send 8-bit texts that need not be UTF-8 and
// may hold characters XML 1.0 forbids; every such text passes through here first, so the
// documents we hold and save are always well-formed.
class CXmlText {
public:
    // The wire text as UTF-8: valid UTF-8 stays as it is, anything else is read as
    // Latin-1. Characters that XML 1.0 forbids (and CR, LF, which would not survive a
    // save and load) become U+FFFD.
    static std::string fromWire(QByteArrayView bytes);

    // True when name is an XML 1.0 Name without a colon (we use no namespaces).
    static bool isValidName(std::string_view name);

    // True when text is valid UTF-8 holding only characters XML 1.0 allows.
    static bool isCleanText(std::string_view text);

    // True when text can stand inside a '...' literal of an XPath expression.
    static bool isQuotable(std::string_view text) {
        return text.find('\'') == std::string_view::npos;
    }

    static QByteArray toBytes(std::string_view text) {
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
};
