#include "CLanScanRow.h"

#include "transport/CIpv4Address.h"

QByteArray CLanScanRow::addressText() const {
    return CIpv4Address::toDotted(address);
}
