#pragma once

#include "gui/upload/CUploadDialog.h"

// "Ubrix Configure": the gateway upload of the project's gateways (the device map view's
// "UpLoad" in gateway mode).
class CEconfig : public CUploadDialog {
    Q_OBJECT

public:
    CEconfig(const CViewContext& context, QWidget* parent = nullptr);
};
