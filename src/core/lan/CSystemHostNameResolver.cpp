#include "core/lan/CSystemHostNameResolver.h"

#include "core/transport/CIpv4Address.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

QString CSystemHostNameResolver::nameOf(quint32 address) {
    const sockaddr_in host = CIpv4Address::toSocketAddress(address);
    char name[NI_MAXHOST] = {};
    // NI_NAMEREQD: without a name the look-up fails instead of handing back the dotted text.
    const int result = ::getnameinfo(reinterpret_cast<const sockaddr*>(&host), sizeof host, name,
                                     sizeof name, nullptr, 0, NI_NAMEREQD);
    if (result != 0) {
        return {};
    }
    return QString::fromLatin1(name);
}
