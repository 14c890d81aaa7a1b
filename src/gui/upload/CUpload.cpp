#include "gui/upload/CUpload.h"

#include "core/upload/CBusUpload.h"
#include "gui/base/CViewContext.h"

CUpload::CUpload(const CViewContext& context, QWidget* parent)
    : CUploadDialog(
          context, QStringLiteral("Up Load"),
          [this, &context](CUploadOptions options) -> std::unique_ptr<CUploadRun> {
              return std::make_unique<CBusUpload>(context.doc, *link(), options);
          },
          parent) {}
