#pragma once

#include "core/lan/CLanScanBatch.h"
#include "core/lan/CLanScanOptions.h"

#include <atomic>
#include <functional>
#include <memory>

class IClock;
class IHostNameResolver;
class INeighbourProbe;

// One scan of the /24 network of an adapter, run on the caller's thread: every address
// from .1 to .254 is resolved, up to maxInFlight at once; the hosts that answer (and the
// machine itself) become rows, named by a reverse look-up, and are handed on in address
// order. Ends when every address is through or the stop flag is seen (looked at once per
// poll interval).
class CLanScan {
public:
    using Deliver = std::function<void(const CLanScanBatch&)>;

    CLanScan(INeighbourProbe& probe, std::shared_ptr<IHostNameResolver> resolver, IClock& clock,
             CLanScanOptions options = {});

    // The adapter's address in network byte order; its last octet is replaced. True when
    // every address is through, false when stopped.
    bool run(quint32 adapterAddress, const std::atomic<bool>& stop, const Deliver& deliver);

private:
    INeighbourProbe& m_probe;
    std::shared_ptr<IHostNameResolver> m_resolver;
    IClock& m_clock;
    CLanScanOptions m_options;
};
