#include "CUpload.h"

#include "app/CViewContext.h"
#include "upload/CBusUpload.h"

CUpload::CUpload(const CViewContext& context, QWidget* parent)
    : CUploadDialog(
          context, QStringLiteral("Up Load"),
          [this, &context](CUploadOptions options) -> std::unique_ptr<CUploadRun> {
              return std::make_unique<CBusUpload>(context.doc, *link(), options);
          },
          parent) {}
