#include "core/upload/CUploadDevice.h"

QByteArray CUploadDevice::label() const {
    if (isGateway()) {
        return "IP " + keyText;
    }
    return (refusal == Refusal::SerialOnly ? "SN " : "UID ") + keyText;
}
