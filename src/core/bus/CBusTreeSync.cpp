#include "core/bus/CBusTreeSync.h"

#include "core/bus/CBusPlan.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CEnteredSetting.h"

#include <QTimer>

CBusTreeSync::CBusTreeSync(const CUbrixVorelDoc& doc, CBusTreeModel& model, QObject* parent)
    : QObject(parent), m_doc(doc), m_model(model) {
    connect(&doc, &CUbrixVorelDoc::settingEntered, this, &CBusTreeSync::settingEntered);
}

void CBusTreeSync::settingEntered(const CEnteredSetting& setting) {
    if (!setting.isGateway() && m_pass == Pass::ChangedDevices) {
        m_changed.insert(CBusPlan::deviceKey(setting.attribute, setting.number.toStdString()));
    }
}

void CBusTreeSync::documentUpdated(quint32 hint) {
    if ((hint & CUbrixVorelDoc::kHintRestructured) != 0) {
        m_pass = Pass::Rebuild;
        m_changed.clear();
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
    switch (m_pass) {
        case Pass::Rebuild:
            m_model.rebuild(m_doc.plan());
            break;
        case Pass::WholePlan:
            m_model.update(m_doc.plan());
            break;
        case Pass::ChangedDevices:
            m_model.update(m_doc.plan(), m_changed);
            break;
    }
    m_pass = Pass::ChangedDevices;
    m_changed.clear();
    emit synced();
}
