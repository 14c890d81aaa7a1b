// Feeds arbitrary datagram texts through AddMsg. Whatever arrives, the plan must stay
// well-formed and must come back the same after a save and a load.
#include "common/CManualClock.h"
#include "common/CRecordingNotifier.h"
#include "common/CXmlFile.h"
#include "plan/CErrorLog.h"
#include "plan/CUbrixVorelDoc.h"
#include "settings/CSettings.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

namespace {

struct Site {
    CManualClock clock{QDateTime(QDate(2026, 1, 1), QTime(0, 0))};
    CSettings settings;
    CRecordingNotifier notifier;
    CErrorLog errorLog{clock, QStringLiteral("/dev/null")};
    CUbrixVorelDoc doc{settings, notifier, errorLog};
    Site() {
        settings.log = 0;
        doc.newPlan();
    }
};

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Site* site = nullptr;
    // A fresh plan now and then, so that the fuzzer also sees replies meet an empty plan.
    static int runs = 0;
    if (site == nullptr || ++runs % 64 == 0) {
        delete site;
        site = new Site;
    }
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& text : input.split('\n')) {
        // Lines as the receive thread queues them, and a few without the usual prefix.
        site->doc.inboundQueue().push(text.startsWith('~') ? text.mid(1)
                                                           : "[00:00:00] (10.0.0.1) " + text);
    }
    for (int drains = 0; drains < 1000 && !site->doc.inboundQueue().isEmpty(); ++drains) {
        site->doc.AddMsg();
    }
    require(CXmlFile::checkWellFormed(site->doc.plan()).isEmpty(), "plan well-formed");
    const QByteArray saved = CXmlFile::serialize(site->doc.plan());
    pugi::xml_document reloaded;
    QString reason;
    require(CXmlFile::parse(saved, reloaded, reason), "saved plan parses");
    const QByteArray again = CXmlFile::serialize(reloaded);
    if (again != saved) {
        std::fprintf(stderr, "saved:\n%s\nreloaded:\n%s\n", saved.constData(), again.constData());
    }
    require(again == saved, "saved plan loads unchanged");
    return 0;
}
