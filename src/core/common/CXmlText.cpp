#include "core/common/CXmlText.h"

#include <cstdint>
#include <optional>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[pos]; advances pos. Rejects overlong forms,
// surrogates and values above U+10FFFF.
std::optional<char32_t> decodeUtf8(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + static_cast<size_t>(length) > text.size()) {
        return std::nullopt;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    pos += static_cast<size_t>(length);
    return value;
}

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// What we let into a document from outside: XML characters except CR and LF, which an
// XML parser normalises and so would not come back the same after a save and a load.
bool isStorableChar(char32_t c) {
    return isXmlChar(c) && c != 0xA && c != 0xD;
}

bool isNameStartChar(char32_t c) {
    return (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c) {
    return isNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isPlainAscii(std::string_view text) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

// Printable ASCII, tabs and line ends: text that needs no decoding to be known clean (the
// text of almost every setting, which a large site has a million of).
bool isPlainAsciiOrBlank(std::string_view text) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

// A name of ASCII letters, digits, "_", "-" and ".", not starting with a digit, "-" or
// ".": a valid XML name without decoding.
bool isAsciiName(std::string_view name) {
    const auto isLetter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (!isLetter(name.front())) {
        return false;
    }
    for (const char c : name) {
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

bool isValidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (!decodeUtf8(text, pos)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string CXmlText::fromWire(QByteArrayView bytes) {
    const std::string_view text(bytes.data(), static_cast<size_t>(bytes.size()));
    if (isPlainAscii(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 8);
    if (isValidUtf8(text)) {
        size_t pos = 0;
        while (pos < text.size()) {
            const char32_t c = *decodeUtf8(text, pos);
            appendUtf8(out, isStorableChar(c) ? c : kReplacement);
        }
    } else {
        for (const char ch : text) {
            const char32_t c = static_cast<unsigned char>(ch);
            appendUtf8(out, isStorableChar(c) ? c : kReplacement);
        }
    }
    return out;
}

bool CXmlText::isValidName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    if (isAsciiName(name)) {
        return true;
    }
    size_t pos = 0;
    bool first = true;
    while (pos < name.size()) {
        const auto c = decodeUtf8(name, pos);
        if (!c || !(first ? isNameStartChar(*c) : isNameChar(*c))) {
            return false;
        }
        first = false;
    }
    return true;
}

bool CXmlText::isCleanText(std::string_view text) {
    if (isPlainAsciiOrBlank(text)) {
        return true;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        const auto c = decodeUtf8(text, pos);
        if (!c || !isXmlChar(*c)) {
            return false;
        }
    }
    return true;
}
