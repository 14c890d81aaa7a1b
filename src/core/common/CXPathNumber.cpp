#include "core/common/CXPathNumber.h"

#include <cmath>
#include <limits>

namespace {

bool isXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isCBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

double CXPathNumber::parse(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isXmlBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isXmlBlank(text[end - 1])) {
        --end;
    }
    const std::string_view body = text.substr(begin, end - begin);
    size_t pos = 0;
    const bool negative = pos < body.size() && body[pos] == '-';
    pos += negative ? 1 : 0;
    double value = 0;
    bool anyDigit = false;
    while (pos < body.size() && isDigit(body[pos])) {
        value = value * 10 + (body[pos++] - '0');
        anyDigit = true;
    }
    if (pos < body.size() && body[pos] == '.') {
        ++pos;
        double scale = 0.1;
        while (pos < body.size() && isDigit(body[pos])) {
            value += (body[pos++] - '0') * scale;
            scale /= 10;
            anyDigit = true;
        }
    }
    if (!anyDigit || pos != body.size()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return negative ? -value : value;
}

long long CXPathNumber::leadingInteger(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && isCBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos++] == '-';
    }
    constexpr long long kCap = std::numeric_limits<unsigned int>::max();
    long long value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        value = value * 10 + (text[pos++] - '0');
        if (value > kCap) {
            value = kCap;
        }
    }
    return negative ? -value : value;
}
