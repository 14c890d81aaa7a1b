// The hand-over report of a 20-gateway, 5,000-device site, timed as "vorel-cli report" does
// its work: from the map file on disk (every setting of the simulated site, entered into a
// plan as collecting it would and saved) to the report on disk, with a journal of one
// change per device. HTML five times (the fastest and the slowest are printed), then the
// PDF three times. With a folder as its argument the files stay there to be looked at.
#include "core/common/CXmlFile.h"
#include "core/journal/CJournalEntry.h"
#include "core/report/CReportHtml.h"
#include "core/report/CSiteReport.h"
#include "core/site/CSiteInventory.h"
#include "core/transport/CIpv4Address.h"
#include "print/CReportPdf.h"
#include "sim/CSimSiteBuilder.h"
#include "support/CDocFixture.h"
#include "support/CSimulatedPlan.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kGateways = 20;
constexpr int kDevicesPerGateway = 250;
constexpr int kHtmlRuns = 5;
constexpr int kPdfRuns = 3;

// A journal of one set per device, as an upload of the whole site would leave.
std::vector<CJournalEntry> journalOf(const CSiteInventory& site) {
    std::vector<CJournalEntry> journal;
    for (const CSiteDevice& device : site.devices()) {
        CJournalEntry entry;
        entry.time = QDateTime::currentDateTimeUtc();
        entry.tool = QStringLiteral("vorel-cli");
        entry.action = QStringLiteral("upload");
        entry.gateway = QStringLiteral("all");
        entry.device = QString::fromLatin1(device.label());
        entry.command =
            QStringLiteral("#UID%1.ALIAS=DESK").arg(QString::fromStdString(device.number));
        entry.outcome = CJournalEntry::Outcome::Echoed;
        journal.push_back(entry);
    }
    return journal;
}

// The map from its file to the report's content, as the command reads it.
CReportDocument reportOf(const QString& mapPath, const pugi::xml_document& schema,
                         const std::vector<CJournalEntry>& journal) {
    pugi::xml_document map;
    QString reason;
    CXmlFile::load(mapPath, map, reason);
    CSiteReport::Input input;
    input.map = &map;
    input.schema = &schema;
    input.journal = &journal;
    input.title = QStringLiteral("Site report");
    input.written = QDateTime::currentDateTimeUtc();
    input.version = QStringLiteral("bench");
    return CSiteReport::document(input);
}

// The fastest and the slowest of runs of write().
std::pair<qint64, qint64> timed(int runs, const std::function<bool()>& write) {
    QList<qint64> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!write()) {
            return {-1, -1};
        }
        times << timer.elapsed();
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times.back()};
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString reason;
    auto models = std::make_shared<CSimModels>();
    if (!models->load(QCoreApplication::applicationDirPath(), reason)) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses << CIpv4Address::fromHostOrder(0x0A000002u + static_cast<quint32>(g));
    }
    config.devicesPerGateway = kDevicesPerGateway;
    config.deviceTypes = models->busTypes();
    std::optional<CSimSite> site = CSimSiteBuilder::build(models, config, reason);
    if (!site) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    CDocFixture fixture;
    simulatedplan::enter(*site, fixture);
    const CUbrixVorelDoc& doc = fixture.doc();
    QTemporaryDir temporary;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    const QString mapPath = dir.filePath(QStringLiteral("site.xml"));
    if (!CXmlFile::save(doc.plan(), mapPath, reason)) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    const CSiteInventory inventory = CSiteInventory::of(doc.plan());
    size_t settings = 0;
    for (const CSiteDevice& device : inventory.devices()) {
        settings += device.settings.size();
    }
    const std::vector<CJournalEntry> journal = journalOf(inventory);
    std::printf("site: %zu gateways, %zu bus devices, %zu device settings; map file %.1f MB\n",
                inventory.gateways().size(), inventory.devices().size(), settings,
                static_cast<double>(QFileInfo(mapPath).size()) / 1e6);

    const QString htmlPath = dir.filePath(QStringLiteral("report.html"));
    const auto [htmlFastest, htmlSlowest] = timed(kHtmlRuns, [&] {
        const QByteArray html = CReportHtml::of(reportOf(mapPath, doc.schema(), journal));
        QSaveFile file(htmlPath);
        return file.open(QIODevice::WriteOnly) && file.write(html) == html.size() && file.commit();
    });
    std::printf("HTML report: %.1f MB, from the map file in %lld ms (fastest of %d) to %lld ms\n",
                static_cast<double>(QFileInfo(htmlPath).size()) / 1e6,
                static_cast<long long>(htmlFastest), kHtmlRuns,
                static_cast<long long>(htmlSlowest));

    const QString pdfPath = dir.filePath(QStringLiteral("report.pdf"));
    const auto [pdfFastest, pdfSlowest] = timed(kPdfRuns, [&] {
        return CReportPdf::write(reportOf(mapPath, doc.schema(), journal), pdfPath, reason);
    });
    if (pdfFastest < 0) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    std::printf("PDF report: %.1f MB, from the map file in %lld ms (fastest of %d) to %lld ms\n",
                static_cast<double>(QFileInfo(pdfPath).size()) / 1e6,
                static_cast<long long>(pdfFastest), kPdfRuns, static_cast<long long>(pdfSlowest));
    return 0;
}
