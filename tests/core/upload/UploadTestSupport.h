#pragma once

// What the upload tests share: a document with a project, a simulated site of shipped
// models answering over a direct link, and one virtual time for the program's timers and
// the site, so that every pause of a run can be measured exactly and a run of twenty
// minutes of device time takes a moment.

#include "core/sequence/CSequencer.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CUploadOptions.h"
#include "core/upload/IUploadLink.h"
#include "sim/CSimSiteBuilder.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"
#include "support/TestSupport.h"
#include "support/sim/CSimVirtualTime.h"

#include <QFile>
#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>
#include <memory>

namespace uploadtest {

inline quint32 ip(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

constexpr const char* kProgram = "10.0.0.1";

// An upload as the devices have always seen it: one gateway after another, and nothing
// sent again when an answer did not come.
inline CUploadOptions oneByOne(CPacing pacing) {
    CUploadOptions options;
    options.pacing = pacing;
    options.retries = 0;
    options.concurrent = false;
    return options;
}

// The way out of a run in a test: every text goes to the site (and into sent, as
// "address text", "*" for a broadcast), boxes and prompts are answered by script.
class CScriptedLink : public IUploadLink {
public:
    struct Reply {
        Answer answer;
        std::function<void()> meanwhile;  // what the user does before answering
    };

    explicit CScriptedLink(CSimVirtualTime& time) : m_time(time) {}

    bool send(const QByteArray& text, quint32 address) override {
        const QByteArray to =
            address == CIpv4Address::kBroadcast ? "*" : CIpv4Address::toDotted(address);
        if (failingSends > 0) {
            --failingSends;
            failed.append(to + " " + text);
            return false;
        }
        sent.append(to + " " + text);
        if (onSent) {
            onSent(text);
        }
        m_time.send(text, address);
        return true;
    }
    QByteArray reachesInstead(quint32 address) const override { return elsewhere.value(address); }
    void showError(const QString& text) override { errors.append(text); }
    Answer askDiscover(const QString& text) override {
        prompts.append(text);
        if (replies.isEmpty()) {
            qFatal("unexpected discover prompt: %s", qPrintable(text));
        }
        const Reply reply = replies.takeFirst();
        if (reply.meanwhile) {
            reply.meanwhile();
        }
        return reply.answer;
    }

    QList<QByteArray> sent;
    QList<QByteArray> failed;
    QStringList errors;
    QStringList prompts;
    QList<Reply> replies;
    QMap<quint32, QByteArray> elsewhere;
    int failingSends = 0;
    // Called with each text just before the site hears it.
    std::function<void(const QByteArray&)> onSent;

private:
    CSimVirtualTime& m_time;
};

// Ten settings of a LUMET_BC device that differ from what a simulated one reports, on
// port A: "<PORT P='A'><LED>...</LED></PORT>".
inline QByteArray tenLumetChanges() {
    return "<PORT P='A'><LED><DISSOLVE>20</DISSOLVE><LEVEL_MIN>5</LEVEL_MIN>"
           "<LEVEL_MAX>250</LEVEL_MAX><CURVE>LINEAR</CURVE><POWER_ON>FULL</POWER_ON>"
           "<FREQUENCY>1200</FREQUENCY><PRESET A='1'>1.1.1</PRESET><PRESET A='2'>2.2.2</PRESET>"
           "<PRESET A='3'>3.3.3</PRESET><PRESET A='4'>4.4.4</PRESET></LED></PORT>";
}

inline QByteArray busDevice(const QByteArray& key, const QByteArray& settings,
                            const char* type = "LUMET_BC") {
    return "<DEVICE " + key + "><TYPE>" + QByteArray(type) + "</TYPE>" + settings + "</DEVICE>";
}

// A document whose project is the given Device_Configuration content, and a site.
class CUploadBench {
public:
    CUploadBench(const CSimSiteConfig& config, const QByteArray& devices) {
        QString error;
        auto models = std::make_shared<CSimModels>();
        if (!models->load(QStringLiteral(VOREL_RUNTIME_DIR), error)) {
            qFatal("models: %s", qPrintable(error));
        }
        auto built = CSimSiteBuilder::build(models, config, error);
        if (!built) {
            qFatal("site: %s", qPrintable(error));
        }
        site = std::make_unique<CSimSite>(std::move(*built));
        time = std::make_unique<CSimVirtualTime>(*site, doc.doc(), timers, ip(kProgram),
                                                 QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
        link = std::make_unique<CScriptedLink>(*time);
        sequencer.watch(doc.doc());
        setProject(devices);
    }

    void setProject(const QByteArray& devices) {
        const QString path = doc.path(QStringLiteral("project.xml"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            qFatal("cannot write the project");
        }
        file.write("<?xml version=\"1.0\"?><Plan><Device_Configuration>" + devices +
                   "</Device_Configuration><Network_Configuration/></Plan>");
        file.close();
        if (!doc.doc().openProject(path)) {
            qFatal("project does not open: %s", devices.constData());
        }
    }

    // Runs until the upload has finished (or a day of virtual time has passed).
    template <typename Upload>
    bool run(Upload& upload) {
        started = timers.now();
        if (!upload.start(sequencer)) {
            return false;
        }
        return time->runUntil([&upload] { return upload.isFinished(); }, std::chrono::hours(24));
    }
    qint64 elapsedMs() const { return (timers.now() - started).count(); }

    // The lines of the traffic history that are not received lines.
    QList<QByteArray> logLines() const {
        QList<QByteArray> lines;
        for (const QByteArray& line : doc.doc().trafficHistory()) {
            if (!line.startsWith('[')) {
                lines.append(line);
            }
        }
        return lines;
    }

    CDocFixture doc;
    std::unique_ptr<CSimSite> site;
    CManualTimerSource timers;
    CSequencer sequencer{timers};
    std::unique_ptr<CSimVirtualTime> time;
    std::unique_ptr<CScriptedLink> link;
    std::chrono::milliseconds started{0};
};

}  // namespace uploadtest
