#include "cli/CCliReplyLog.h"

#include "core/common/CXPathNumber.h"
#include "core/plan/CReplySplitter.h"

#include <QHash>

namespace {

QByteArray deviceKey(const QByteArray& sender, long long uid) {
    return sender + ' ' + QByteArray::number(uid);
}

}  // namespace

void CCliReplyLog::add(QByteArrayView line) {
    const CSplitReply reply = CReplySplitter::split(line);
    if (reply.kind == CSplitReply::GatewaySetting) {
        m_gatewaySettings.append({reply.sender, reply.address.text(), reply.value});
    } else if (reply.kind == CSplitReply::DeviceSetting) {
        const long long uid = CXPathNumber::leadingInteger(reply.identifier.toStdString());
        m_answeredDevices.insert(deviceKey(reply.sender, uid));
    }
}

QList<QPair<QByteArray, QByteArray>> CCliReplyLog::gatewaySettings(const QByteArray& sender) const {
    QList<QPair<QByteArray, QByteArray>> settings;
    QHash<QByteArray, qsizetype> row;
    for (const Setting& setting : m_gatewaySettings) {
        if (setting.sender != sender) {
            continue;
        }
        const auto known = row.constFind(setting.path);
        if (known != row.cend()) {
            settings[known.value()].second = setting.value;
        } else {
            row.insert(setting.path, settings.size());
            settings.append({setting.path, setting.value});
        }
    }
    return settings;
}

QByteArray CCliReplyLog::gatewaySetting(const QByteArray& sender, const QByteArray& path) const {
    QByteArray value;
    for (const Setting& setting : m_gatewaySettings) {
        if (setting.sender == sender && setting.path == path) {
            value = setting.value;
        }
    }
    return value;
}

bool CCliReplyLog::deviceAnswered(const QByteArray& sender, long long uid) const {
    return m_answeredDevices.contains(deviceKey(sender, uid));
}
