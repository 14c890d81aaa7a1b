#include "sim/CSimLanScanner.h"

#include "core/lan/CLanScanner.h"
#include "sim/CSimHostNameResolver.h"
#include "sim/CSimNeighbourProbe.h"

std::unique_ptr<CLanScanner> CSimLanScanner::create(std::shared_ptr<CSimNetwork> site) {
    CLanScanner::Parts parts;
    parts.probe = std::make_unique<CSimNeighbourProbe>(site);
    parts.resolver = std::make_shared<CSimHostNameResolver>(std::move(site));
    parts.clock = CLanScanner::systemClock();
    // The site answers at once: an address that has not answered in a moment never will.
    parts.options.answerWait = std::chrono::milliseconds(200);
    // Names come from the site at once too, on the scan's own thread, so no look-up
    // outlives the scan.
    parts.options.lookupThreads = 0;
    return std::make_unique<CLanScanner>(std::move(parts));
}
