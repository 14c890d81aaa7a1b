#include "gui/upload/CEconfig.h"

#include "core/upload/CGatewayUpload.h"
#include "gui/base/CViewContext.h"

CEconfig::CEconfig(const CViewContext& context, QWidget* parent)
    : CUploadDialog(
          context, QStringLiteral("Ubrix Configure"),
          [this, &context](CUploadOptions options) -> std::unique_ptr<CUploadRun> {
              return std::make_unique<CGatewayUpload>(context.doc, *link(), options);
          },
          parent) {}
