#pragma once

class QWidget;
struct CViewContext;

// The entry point of the uploads for the device map view's "UpLoad": in gateway mode (the
// document's map mode 1) the gateway upload "Ubrix Configure", otherwise the bus device
// upload "Up Load". Without a project it says "No Template loaded" and returns 1; else the
// dialog previews, asks, uploads and tells what happened, and 0 is returned once it has
// closed (its run has ended by then).
class CUploadLauncher {
public:
    static int open(const CViewContext& context, QWidget* parent);
    // The same for the map mode given (CProjectTreeModel::kGatewayMode: the gateways, else the bus
    // devices), as the device map view's starter passes it.
    static int open(const CViewContext& context, int mapMode, QWidget* parent);
};
