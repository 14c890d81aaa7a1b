#include "cli/CCliCompareCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/common/CXmlFile.h"
#include "core/site/CSiteComparison.h"

#include <QCommandLineParser>

namespace {
const QString kWithReadings = QStringLiteral("with-readings");
}  // namespace

QString CCliCompareCommand::name() const {
    return QStringLiteral("compare");
}

QString CCliCompareCommand::arguments() const {
    return QStringLiteral("OLD.xml NEW.xml");
}

QString CCliCompareCommand::summary() const {
    return QStringLiteral("compare two snapshots of a site (map files), offline");
}

QString CCliCompareCommand::description() const {
    return QStringLiteral(
        "Compares two map files, as 'collect' writes them, without a network. Gateways are\n"
        "matched by address, bus devices by serial number and then by UID, so a device\n"
        "given another UID is readdressed and a UID held by another serial number is a\n"
        "device replaced. One line a difference on stdout: \"UID 12: A.LED.MODE: RGBW ->\n"
        "RGB\", \"IP 10.0.0.5: added (UBRIX_A)\", \"SN 100004: readdressed: UID 4 -> UID 9\",\n"
        "\"UID 4: replaced: SN 100004 -> SN 200001\", type and firmware changes, and\n"
        "\"(none)\" for a setting one side did not report. With --json one object:\n"
        "{\"same\", \"differences\": [{\"device\", \"change\", \"place\", \"old\", \"new\"}]}.\n"
        "Live readings (a level, a supply voltage, a signal strength: the schema's reading\n"
        "settings) differ at every visit and are left out unless --with-readings.\n"
        "Credentials (such as TELNET.PASSWORD) read \"(set)\" or \"(empty)\" unless\n"
        "--with-secrets.\n"
        "Exits 0 when the two are the same, 9 when something differs, 8 when a file cannot\n"
        "be read or is no map file.");
}

QList<QCommandLineOption> CCliCompareCommand::options() const {
    return {CCliOptions::json(), CCliOptions::withSecrets(),
            QCommandLineOption(kWithReadings,
                               QStringLiteral("compare live readings too (levels, supply "
                                              "voltages, signal strengths)"))};
}

QString CCliCompareCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (arguments.size() != 2) {
        return QStringLiteral("compare takes two map files, the older first");
    }
    m_before = arguments[0];
    m_after = arguments[1];
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_shown.withSecrets = CCliOptions::readWithSecrets(parser);
    m_shown.withReadings = parser.isSet(kWithReadings);
    return {};
}

int CCliCompareCommand::run(CCliSession& session) {
    pugi::xml_document before;
    pugi::xml_document after;
    for (const auto& [path, document] :
         {std::pair<const QString&, pugi::xml_document&>{m_before, before},
          std::pair<const QString&, pugi::xml_document&>{m_after, after}}) {
        QString reason;
        if (!CXmlFile::load(path, document, reason)) {
            session.report(QStringLiteral("cannot read %1: %2").arg(path, reason));
            return CCliExit::kRefused;
        }
        if (!document.child("Plan")) {
            session.report(QStringLiteral("%1 is no map file (it has no Plan)").arg(path));
            return CCliExit::kRefused;
        }
    }
    // The schema comes with a new plan; nothing is sent.
    session.document().newPlan();
    const std::vector<CSiteDifference> differences =
        CSiteComparison::compare(CSiteInventory::of(before), CSiteInventory::of(after),
                                 session.document().schema(), m_shown);
    session.printBytes(m_json ? CSiteComparison::json(differences)
                              : CSiteComparison::text(differences));
    session.progress(differences.empty()
                         ? QStringLiteral("The two snapshots are the same.")
                         : QStringLiteral("%1 difference(s).").arg(differences.size()));
    return differences.empty() ? CCliExit::kOk : CCliExit::kFindings;
}
