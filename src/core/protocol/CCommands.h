#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Every command text the program says to a gateway or, through it, to the bus, built in
// one place. "&" texts are for the gateway itself, "#" texts go on to its bus.
class CCommands {
public:
    // "&NAME=?;": every gateway that hears it answers with its name.
    static QByteArray gatewayNameQuery() { return "&NAME=?;"; }
    // "&=?;": the gateway answers with all its settings.
    static QByteArray gatewayFullQuery() { return "&=?;"; }
    // "&=?": the same question as the gateway upload asks it, with no terminator.
    static QByteArray gatewayFullQueryUnterminated() { return "&=?"; }
    static QByteArray gatewayRestart() { return "&VERSION_HW=RESET;"; }
    static QByteArray gatewayIdentify() { return "&=IDENTIFY"; }
    // "&" [port "."] [group "."] key ["." index] "=" value, then the terminator the
    // caller needs (";" from the views, none from the upload).
    static QByteArray gatewaySetting(QByteArrayView port, QByteArrayView group, QByteArrayView key,
                                     QByteArrayView index, QByteArrayView value,
                                     QByteArrayView terminator);

    // "#UID=REGISTER;": every device of the bus announces itself.
    static QByteArray busRegister() { return "#UID=REGISTER;"; }
    // "#UID=n;" / "#uid=n;": the next device whose discover button is pressed takes UID n.
    static QByteArray busAssignNext(int uid) { return "#UID=" + QByteArray::number(uid) + ";"; }
    static QByteArray busAssignNextLower(int uid) {
        return "#uid=" + QByteArray::number(uid) + ";";
    }
    // "#SNs.UID=n;": the device with serial number s takes UID n.
    static QByteArray busAssignSerial(unsigned int serial, int uid);
    // "#UIDn=?;": the device answers with all its settings.
    static QByteArray busDeviceQuery(quint32 uid) {
        return "#UID" + QByteArray::number(uid) + "=?;";
    }
    static QByteArray busDeviceQueryLower(int uid) {
        return "#uid" + QByteArray::number(uid) + "=?;";
    }
    // "#UIDn." [port "."] [group "."] key ["." index] "=" value, then the terminator the
    // caller needs (none from the upload).
    static QByteArray busDeviceSetting(quint32 uid, QByteArrayView port, QByteArrayView group,
                                       QByteArrayView key, QByteArrayView index,
                                       QByteArrayView value, QByteArrayView terminator);
    // Numbers are unsigned everywhere on the bus: a serial number above 2^31 stays itself.
    static QByteArray busIdentifyUid(quint32 uid) {
        return "#UID" + QByteArray::number(uid) + "=IDENTIFY;";
    }
    static QByteArray busIdentifySerial(quint32 serial) {
        return "#SN" + QByteArray::number(serial) + "=IDENTIFY;";
    }
    // "#UIDn.LED.PRESET.p=value", one line of a preset file.
    static QByteArray ledPreset(quint32 uid, int preset, QByteArrayView value);
};
