#include "core/transport/CUsbPortFinder.h"

#include <QSerialPortInfo>
#include <QStringList>

namespace {

QString deviceIdPath(const CSerialCandidate& candidate) {
    if (!candidate.devicePath.isEmpty()) {
        return candidate.devicePath;
    }
    const int number = CUsbPortFinder::portNumberFromDeviceId(candidate.deviceId);
    return number > 0 ? CUsbPortFinder::windowsDevicePath(number) : QString();
}

}  // namespace

bool CUsbPortFinder::pnpDeviceIdMatches(QStringView pnpDeviceId, quint16 productId) {
    QStringList tokens;
    QString token;
    for (const QChar c : pnpDeviceId) {
        if (c == u'\\' || c == u'&') {
            tokens.append(token);
            token.clear();
        } else {
            token.append(c);
        }
    }
    tokens.append(token);
    if (tokens.size() < 3) {
        return false;
    }
    const QString wantedProduct = QString::asprintf("PID_%04X", productId);
    return tokens[0].compare(u"usb", Qt::CaseInsensitive) == 0 &&
           tokens[1] == QLatin1String(kVendorToken) && tokens[2] == wantedProduct;
}

int CUsbPortFinder::portNumberFromDeviceId(QStringView deviceId) {
    qsizetype at = 0;
    while (at < deviceId.size() &&
           (deviceId[at] == u'C' || deviceId[at] == u'O' || deviceId[at] == u'M')) {
        ++at;
    }
    int number = 0;
    for (; at < deviceId.size() && deviceId[at].isDigit(); ++at) {
        if (number > 99999) {
            return 0;
        }
        number = number * 10 + deviceId[at].digitValue();
    }
    return number;
}

QString CUsbPortFinder::windowsDevicePath(int portNumber) {
    return QStringLiteral("\\\\.\\COM") + QString::number(portNumber);
}

bool CUsbPortFinder::matches(const CSerialCandidate& candidate, quint16 productId) {
    if (!candidate.pnpDeviceId.isEmpty()) {
        return pnpDeviceIdMatches(candidate.pnpDeviceId, productId);
    }
    return candidate.hasUsbIds && candidate.vendorId == kVendorId &&
           candidate.productId == productId;
}

QString CUsbPortFinder::choosePort(const QList<CSerialCandidate>& candidates, quint16 productId) {
    QString chosen;
    for (const CSerialCandidate& candidate : candidates) {
        if (matches(candidate, productId)) {
            chosen = deviceIdPath(candidate);
        }
    }
    return chosen;
}

QList<CSerialCandidate> CUsbPortFinder::systemCandidates() {
    QList<CSerialCandidate> candidates;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        CSerialCandidate candidate;
        candidate.devicePath = info.systemLocation();
        candidate.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        candidate.vendorId = info.vendorIdentifier();
        candidate.productId = info.productIdentifier();
        candidates.append(candidate);
    }
    return candidates;
}

QString CUsbPortFinder::FindUsbPort(quint16 productId) {
    return choosePort(systemCandidates(), productId);
}
