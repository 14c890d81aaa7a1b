#include "core/protocol/CKeypadAddress.h"

#include "core/protocol/CKeypadNumber.h"

#include <array>

namespace {

// The text up to the next "." and what follows it.
QByteArrayView takePart(QByteArrayView& rest) {
    const qsizetype dot = rest.indexOf('.');
    const QByteArrayView part = dot < 0 ? rest : rest.first(dot);
    rest = dot < 0 ? QByteArrayView() : rest.sliced(dot + 1);
    return part;
}

}  // namespace

QByteArray CKeypadAddress::text() const {
    return QByteArray::number(zone) + '.' + QByteArray::number(group) + '.' +
           QByteArray::number(node);
}

std::optional<CKeypadAddress> CKeypadAddress::parseBox(QByteArrayView text) {
    return parse(text, kLargestPart);
}

std::optional<CKeypadAddress> CKeypadAddress::parseWideBox(QByteArrayView text) {
    return parse(text, CKeypadNumber::kLargest);
}

std::optional<CKeypadAddress> CKeypadAddress::parse(QByteArrayView text, int largest) {
    std::array<int, 3> parts{};
    QByteArrayView rest = text;
    for (int& part : parts) {
        part = CKeypadNumber::leading(takePart(rest));
        // A saturated number is one that was too large to read.
        if (part < 0 || part > largest || part == CKeypadNumber::kLargest) {
            return std::nullopt;
        }
    }
    return CKeypadAddress{parts[0], parts[1], parts[2]};
}

std::optional<CKeypadAddress> CKeypadAddress::fromParts(QByteArrayView zone, QByteArrayView group,
                                                        QByteArrayView node) {
    const auto z = CKeypadNumber::exact(zone, kLargestPart);
    const auto g = CKeypadNumber::exact(group, kLargestPart);
    const auto n = CKeypadNumber::exact(node, kLargestPart);
    if (!z || !g || !n) {
        return std::nullopt;
    }
    return CKeypadAddress{*z, *g, *n};
}

CKeypadAddress CKeypadAddress::ofStatusLine(QByteArrayView line) {
    while (line.startsWith('!')) {
        line = line.sliced(1);
    }
    CKeypadAddress address;
    address.zone = CKeypadNumber::leading(takePart(line));
    address.group = CKeypadNumber::leading(takePart(line));
    address.node = CKeypadNumber::leading(takePart(line));
    return address;
}
