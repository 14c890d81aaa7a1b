#include "cli/CCliAdaptersCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliSession.h"

#include "core/transport/CAdapterTable.h"
#include "core/transport/CIpv4Address.h"

QString CCliAdaptersCommand::name() const {
    return QStringLiteral("adapters");
}

QString CCliAdaptersCommand::summary() const {
    return QStringLiteral("list the network adapters that can be used");
}

QString CCliAdaptersCommand::description() const {
    return QStringLiteral(
        "Lists the adapters the tool can send through: number, address, wired or wireless,\n"
        "name, and which one is used when --adapter is not given. Sends nothing.");
}

QString CCliAdaptersCommand::configure(const QCommandLineParser& /*parser*/,
                                       const QStringList& arguments) {
    return arguments.isEmpty() ? QString()
                               : QStringLiteral("unexpected argument '%1'").arg(arguments.front());
}

int CCliAdaptersCommand::run(CCliSession& session) {
    const CAdapterTable table = CAdapterTable::fromCandidates(CAdapterTable::systemCandidates());
    for (int i = 0; i < table.count(); ++i) {
        const CAdapterEntry& entry = table.entries()[i];
        session.print(
            QStringLiteral("%1\t%2\t%3\t%4%5\n")
                .arg(i)
                .arg(QString::fromLatin1(CIpv4Address::toDotted(entry.address)),
                     entry.isWired() ? QStringLiteral("wired") : QStringLiteral("wireless"),
                     entry.name,
                     i == table.selected() ? QStringLiteral("\t(selected)") : QString()));
    }
    if (!table.startupMessage().isEmpty()) {
        session.report(table.startupMessage());
    }
    return table.count() > 0 ? CCliExit::kOk : CCliExit::kNothingAnswered;
}
