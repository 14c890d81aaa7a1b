#include "core/plan/CReplySplitter.h"

namespace {

QByteArray withoutSemicolons(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != ';') {
            out.append(c);
        }
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

QByteArray CReplySplitter::senderOf(QByteArrayView line) {
    const qsizetype open = line.indexOf('(');
    if (open < 0) {
        return {};
    }
    const qsizetype close = line.indexOf(')', open + 1);
    return (close < 0 ? line.sliced(open + 1) : line.sliced(open + 1, close - open - 1))
        .toByteArray();
}

CSplitReply CReplySplitter::split(QByteArrayView line) {
    CSplitReply reply;
    if (line.contains('?')) {
        return reply;
    }
    reply.sender = senderOf(line);

    qsizetype pathStart = -1;
    const qsizetype uid = line.indexOf("!UID");
    if (uid >= 0) {
        const qsizetype dot = line.indexOf('.', uid + 4);
        if (dot < 0) {
            reply.kind = CSplitReply::Ignored;
            return reply;
        }
        reply.identifier = line.sliced(uid + 4, dot - uid - 4).toByteArray();
        pathStart = dot;
        reply.kind = CSplitReply::DeviceSetting;
    } else {
        const qsizetype bang = line.indexOf('!');
        if (bang < 0) {
            return reply;
        }
        pathStart = bang + 1;
        reply.identifier = reply.sender;
        if (pathStart < line.size() && isDigit(line[pathStart])) {
            reply.kind = CSplitReply::NotASetting;
            return reply;
        }
        reply.kind = CSplitReply::GatewaySetting;
    }

    const qsizetype equals = line.indexOf('=');
    if (equals < pathStart) {
        // No "=" at all, or only before the path: there is no setting to enter.
        reply.kind = CSplitReply::NotASetting;
        return reply;
    }
    const QByteArray path = withoutSemicolons(line.sliced(pathStart, equals - pathStart));
    reply.value = withoutSemicolons(line.sliced(equals + 1));

    std::optional<CSettingAddress> address = CSettingAddress::parse(path);
    if (!address) {
        reply.kind = CSplitReply::NotASetting;
        return reply;
    }
    reply.address = std::move(*address);
    return reply;
}
