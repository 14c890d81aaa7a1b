#include "core/lan/CLanScanRow.h"

#include "core/transport/CIpv4Address.h"

QByteArray CLanScanRow::addressText() const {
    return CIpv4Address::toDotted(address);
}
