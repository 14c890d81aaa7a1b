#pragma once

#include "core/lan/IHostNameResolver.h"

// The system's resolver (hosts file, DNS, whatever the system is set up to ask). A name
// server that does not answer can keep a look-up for seconds; callers bound the wait.
class CSystemHostNameResolver : public IHostNameResolver {
public:
    QString nameOf(quint32 address) override;
};
