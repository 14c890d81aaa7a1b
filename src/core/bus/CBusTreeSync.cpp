#include "CBusTreeSync.h"

#include "CBusTreeModel.h"
#include "plan/CUbrixVorelDoc.h"

#include <QTimer>

CBusTreeSync::CBusTreeSync(const CUbrixVorelDoc& doc, CBusTreeModel& model, QObject* parent)
    : QObject(parent), m_doc(doc), m_model(model) {}

void CBusTreeSync::documentUpdated(quint32 hint) {
    if ((hint & CUbrixVorelDoc::kHintRestructured) != 0) {
        m_model.reset();
        schedule();
    } else if ((hint & (CUbrixVorelDoc::kHintDeviceAnnounced | CUbrixVorelDoc::kHintSettings)) !=
               0) {
        schedule();
    }
}

void CBusTreeSync::schedule() {
    if (m_pending) {
        return;
    }
    m_pending = true;
    QTimer::singleShot(0, this, &CBusTreeSync::syncNow);
}

void CBusTreeSync::syncNow() {
    if (!m_pending) {
        return;
    }
    m_pending = false;
    m_model.update(m_doc.plan());
    emit synced();
}
