#include "gui/base/CMessageBoxNotifier.h"

#include "gui/base/CDialogService.h"

#include <QThread>

CMessageBoxNotifier::CMessageBoxNotifier(QObject* parent) : QObject(parent) {}

void CMessageBoxNotifier::showMessage(const QString& text) {
    if (QThread::currentThread() == thread()) {
        CDialogService::message(text);
        return;
    }
    QMetaObject::invokeMethod(
        this, [text] { CDialogService::message(text); }, Qt::QueuedConnection);
}
