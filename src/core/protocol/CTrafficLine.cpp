#include "core/protocol/CTrafficLine.h"

#include <array>
#include <cstring>

namespace {

void appendTwoDigits(QByteArray& out, int value) {
    out.append(static_cast<char>('0' + (value / 10) % 10));
    out.append(static_cast<char>('0' + value % 10));
}

void appendDecimal(QByteArray& out, unsigned value) {
    if (value >= 100) {
        out.append(static_cast<char>('0' + value / 100));
    }
    if (value >= 10) {
        out.append(static_cast<char>('0' + (value / 10) % 10));
    }
    out.append(static_cast<char>('0' + value % 10));
}

// The octets in wire order, whatever the byte order of this machine.
std::array<unsigned char, 4> octets(quint32 addressNetworkOrder) {
    std::array<unsigned char, 4> bytes{};
    std::memcpy(bytes.data(), &addressNetworkOrder, bytes.size());
    return bytes;
}

void appendDotted(QByteArray& out, quint32 addressNetworkOrder) {
    const auto bytes = octets(addressNetworkOrder);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out.append('.');
        }
        appendDecimal(out, bytes[i]);
    }
}

// "[hh:mm:ss] "
void appendTime(QByteArray& out, QTime time) {
    out.append('[');
    appendTwoDigits(out, time.hour());
    out.append(':');
    appendTwoDigits(out, time.minute());
    out.append(':');
    appendTwoDigits(out, time.second());
    out.append("] ");
}

}  // namespace

QByteArrayView CTrafficLine::firstLine(QByteArrayView datagram) {
    for (qsizetype i = 0; i < datagram.size(); ++i) {
        if (datagram[i] == '\r' || datagram[i] == '\n') {
            return datagram.first(i);
        }
    }
    return datagram;
}

QByteArray CTrafficLine::dotted(quint32 addressNetworkOrder) {
    QByteArray out;
    out.reserve(15);
    appendDotted(out, addressNetworkOrder);
    return out;
}

QByteArray CTrafficLine::build(QTime received, quint32 senderNetworkOrder,
                               QByteArrayView datagram) {
    const QByteArrayView text = firstLine(datagram);
    QByteArray line;
    line.reserve(28 + text.size());
    appendTime(line, received);
    line.append('(');
    appendDotted(line, senderNetworkOrder);
    line.append(") ");
    line.append(text);
    return line;
}

QByteArray CTrafficLine::sent(QTime sentAt, quint32 destinationNetworkOrder, QByteArrayView text) {
    const QByteArrayView first = firstLine(text);
    QByteArray line;
    line.reserve(31 + first.size());
    appendTime(line, sentAt);
    line.append(kSentMark);
    appendDotted(line, destinationNetworkOrder);
    line.append(": ");
    line.append(first);
    return line;
}
