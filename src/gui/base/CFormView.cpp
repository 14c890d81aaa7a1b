#include "gui/base/CFormView.h"

#include "gui/base/CDialogService.h"

#include <QPointer>

std::function<void()> CFormView::messageWhileShown(const char* text) {
    return [view = QPointer<CFormView>(this), text] {
        if (view) {
            CDialogService::message(QString::fromLatin1(text));
        }
    };
}
