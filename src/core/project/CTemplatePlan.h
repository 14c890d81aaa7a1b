#pragma once

#include "core/project/CProjectDevice.h"
#include "core/project/CTemplateEdit.h"

#include <QString>
#include <optional>

// What a project operation would do, worked out before anything changes: the edit, or why
// there is none. Neither an edit nor a refusal: there is nothing to do (an address typed
// in no valid form, a value that is already there).
struct CTemplatePlan {
    std::optional<CTemplateEdit> edit;
    QString refusal;
    // The device as the edit leaves it: the copy, the device under its new address.
    CProjectDevice device;

    static CTemplatePlan refused(const QString& why) {
        CTemplatePlan plan;
        plan.refusal = why;
        return plan;
    }
};
