#pragma once

#include "gui/upload/CUploadDialog.h"

// "Up Load": the bus device upload of the project's bus devices, with the discover prompt
// for a device that does not answer (the device map view's "UpLoad" in device mode).
class CUpload : public CUploadDialog {
    Q_OBJECT

public:
    CUpload(const CViewContext& context, QWidget* parent = nullptr);
};
