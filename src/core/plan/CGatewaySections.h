#pragma once

#include <QString>

// The node kinds of the gateway configuration view's tree and what a kind means there.
// Kinds double as icon indices; sections take theirs from the first keyword their label
// holds.
class CGatewaySections {
public:
    static constexpr int kRoot = 0;
    static constexpr int kGateway = 1;
    static constexpr int kPort = 12;
    static constexpr int kNetwork = 21;
    static constexpr int kUdp = 22;
    static constexpr int kDaytime = 23;
    static constexpr int kTelnet = 24;
    static constexpr int kLutron = 25;
    static constexpr int kSerial = 26;
    static constexpr int kWifi = 30;

    static constexpr const char* kRestartNeeded = "Changes on this page requires an Ubrix restart";
    static constexpr const char* kConnectionRestartNeeded =
        "Changes to connection parameters requires an Ubrix restart";

    // The first keyword of NETWORK, UDP, TELNET, SERIAL, LUTRON, PORT, DAYTIME, WIFI (in
    // that order) that the label holds anywhere, case mattering; 0 for none.
    static int kindOf(const QString& label);
    // What the restart note says while a page of that kind is shown.
    static QString restartNote(int kind);
    // Kinds whose page lists a section's settings (SERIAL lists one under a port).
    static bool isSectionPage(int kind);
};
