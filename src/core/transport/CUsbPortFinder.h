#pragma once

#include "core/transport/CSerialCandidate.h"

#include <QList>
#include <QString>
#include <QStringView>

// Finds the gateway's USB virtual serial port by its USB vendor and product ids.
class CUsbPortFinder {
public:
    static constexpr quint16 kVendorId = 0x03EB;
    static constexpr quint16 kGatewayProductId = 0x6124;
    static constexpr const char* kVendorToken = "VID_03EB";
    static constexpr const char* kNotFound = "Ubrix not found on USB\n";

    // Windows' id rules: split at "\" and "&"; the first three tokens are bus, vendor and
    // product. The bus must be "usb" in any case, the vendor exactly "VID_03EB" and the
    // product exactly "PID_" and four upper-case hex digits.
    static bool pnpDeviceIdMatches(QStringView pnpDeviceId, quint16 productId);
    // "COM12" gives 12: leading "C", "O" and "M" characters are skipped, then the decimal
    // number that follows is read. 0 when there is none.
    static int portNumberFromDeviceId(QStringView deviceId);
    // The device path of Windows' COM port n; works above 9, unlike the bare "COMn".
    static QString windowsDevicePath(int portNumber);

    static bool matches(const CSerialCandidate& candidate, quint16 productId);
    // The device path of the last matching port; empty when none matches.
    static QString choosePort(const QList<CSerialCandidate>& candidates, quint16 productId);

    static QList<CSerialCandidate> systemCandidates();
    static QString FindUsbPort(quint16 productId);
};
