#pragma once

#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CErrorLog.h"
#include "core/settings/CSettings.h"
#include "support/CManualClock.h"
#include "support/CRecordingNotifier.h"

#include <QList>
#include <QTemporaryDir>
#include <memory>

// A document with a new plan, its own temporary folder for the error log and the traffic
// log, a hand-driven clock, recorded messages and the hints it sends.
class CDocFixture {
public:
    explicit CDocFixture(bool logging = false);

    CUbrixVorelDoc& doc() { return *m_doc; }
    const CUbrixVorelDoc& doc() const { return *m_doc; }
    CSettings& settings() { return m_settings; }
    CRecordingNotifier& notifier() { return m_notifier; }
    CManualClock& clock() { return m_clock; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Queues the lines and drains them with AddMsg.
    void receive(const QList<QByteArray>& lines);
    QList<quint32> takeHints();
    QByteArray errorLogText() const;
    // The plan's document element in one line, without declaration or indentation.
    QByteArray planText() const;
    static QByteArray compact(const pugi::xml_node& node);

private:
    QTemporaryDir m_dir;
    CManualClock m_clock;
    CSettings m_settings;
    CRecordingNotifier m_notifier;
    std::unique_ptr<CErrorLog> m_errorLog;
    std::unique_ptr<CUbrixVorelDoc> m_doc;
    QList<quint32> m_hints;
};
