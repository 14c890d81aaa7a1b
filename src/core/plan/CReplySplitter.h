#pragma once

#include "core/plan/CSplitReply.h"

#include <QByteArrayView>

// Takes a traffic line such as "[10:00:00] (192.168.1.20) !UID12.LED.PRESET.3=255.0.0;"
// apart into sender, device, the setting's address and value.
class CReplySplitter {
public:
    static CSplitReply split(QByteArrayView line);

    // The text between the first "(" and the next ")": the sender of a traffic line.
    static QByteArray senderOf(QByteArrayView line);
};
