#pragma once

#include <QString>
#include <QtGlobal>

// Reverse look-up of a host name. Called from several threads at once; may block.
class IHostNameResolver {
public:
    virtual ~IHostNameResolver() = default;
    // The name of the address (network byte order), or empty when there is none.
    virtual QString nameOf(quint32 address) = 0;
};
