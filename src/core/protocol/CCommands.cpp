#include "core/protocol/CCommands.h"

QByteArray CCommands::gatewaySetting(const CSettingAddress& address, QByteArrayView value,
                                     QByteArrayView terminator) {
    return "&" + address.text() + "=" + value.toByteArray() + terminator.toByteArray();
}

QByteArray CCommands::busDeviceSetting(quint32 uid, const CSettingAddress& address,
                                       QByteArrayView value, QByteArrayView terminator) {
    return "#UID" + QByteArray::number(uid) + "." + address.text() + "=" + value.toByteArray() +
           terminator.toByteArray();
}

QByteArray CCommands::busAssignSerial(unsigned int serial, int uid) {
    return "#SN" + QByteArray::number(serial) + ".UID=" + QByteArray::number(uid) + ";";
}

QByteArray CCommands::ledPreset(quint32 uid, int preset, QByteArrayView value) {
    return "#UID" + QByteArray::number(uid) + ".LED.PRESET." + QByteArray::number(preset) + "=" +
           value.toByteArray();
}
