#include "gui/upload/CUploadLauncher.h"

#include "core/document/CUbrixVorelDoc.h"
#include "core/project/CProjectTreeModel.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CViewContext.h"
#include "gui/base/CViewState.h"
#include "gui/upload/CEconfig.h"
#include "gui/upload/CUpload.h"

#include <memory>

int CUploadLauncher::open(const CViewContext& context, QWidget* parent) {
    return open(context, context.state.mapMode, parent);
}

int CUploadLauncher::open(const CViewContext& context, int mapMode, QWidget* parent) {
    if (!context.doc.hasTemplate()) {
        CDialogService::message(QStringLiteral("No Template loaded"));
        return 1;
    }
    std::unique_ptr<CUploadDialog> dialog;
    if (mapMode == CProjectTreeModel::kGatewayMode) {
        dialog = std::make_unique<CEconfig>(context, parent);
    } else {
        dialog = std::make_unique<CUpload>(context, parent);
    }
    dialog->begin();
    CModalRunner::exec(*dialog);
    return 0;
}
