#pragma once

#include <memory>

class CSimNetwork;
class CUbrixVorelApp;

// The demonstration's site: gateways with a few bus devices each on 127.0.0.2 and up,
// answering on the program's ports and to loopback askers only. Its models are the
// templates shipped with the program. Five devices a bus put the lights of the first
// gateway at 2.1.1 and up and a motor controller at 1.1.1 and 1.1.2, where the virtual
// keypads start.
class CDemoSite {
public:
    static constexpr int kGateways = 3;
    static constexpr int kDevicesPerGateway = 5;

    // Starts the site beside the program, shows it in the LAN view and finds it, as Refresh
    // in the gateway view would; empty (and said why) when it could not start. The site
    // lives as long as the pointer and the LAN view's scanner that shares it.
    static std::shared_ptr<CSimNetwork> open(CUbrixVorelApp& program);

private:
    static std::shared_ptr<CSimNetwork> start(CUbrixVorelApp& program);
    // The LAN view lists the simulated gateways: the same view and scanner, asking the
    // site who is there instead of the kernel's neighbour table.
    static void showInTheLanView(CUbrixVorelApp& program, const std::shared_ptr<CSimNetwork>& site);
    // The demonstration's first minute: the site is found at once, and the status bar says
    // what there is and where to look.
    static void discover(CUbrixVorelApp& program);
};
