#include "cli/CCliProjectCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/common/CXmlError.h"
#include "core/plan/CModelTemplateFolder.h"
#include "core/plan/CModelTemplates.h"
#include "core/plan/CSecretRule.h"
#include "core/plan/CValidationSchema.h"
#include "core/project/CProjectAddress.h"
#include "core/project/CProjectCheck.h"
#include "core/project/CProjectLookup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

using Role = CProjectDevice::Role;

QString compacted(const QString& text) {
    QString letters = text.toLower();
    letters.remove(QLatin1Char(' '));
    return letters;
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonObject deviceJson(const CProjectDevice& device, const pugi::xml_node& element) {
    return {{device.isGateway() ? QStringLiteral("address") : QStringLiteral("uid"),
             fromUtf8(device.id)},
            {QStringLiteral("type"), fromUtf8(CProjectLookup::typeOf(element))}};
}

}  // namespace

QString CCliProjectCommand::name() const {
    return QStringLiteral("project");
}

QString CCliProjectCommand::arguments() const {
    return QStringLiteral("show|add|set|check FILE [MODEL | ADDRESS PATH=VALUE]");
}

QString CCliProjectCommand::summary() const {
    return QStringLiteral("show, add to, set or check a project file (nothing is sent)");
}

QString CCliProjectCommand::description() const {
    return QStringLiteral(
        "Works on a project file as the program's device map view does; nothing is sent.\n"
        "  show FILE               its gateways and bus devices with their types, one per\n"
        "                          line (\"gateway ADDRESS TYPE\", \"device UID TYPE\").\n"
        "  add FILE MODEL          adds a model (\"Ubrix A\", \"template_lumetaC.xml\" or its\n"
        "                          number 0-9): a gateway under the first free 0.0.0.n, a\n"
        "                          bus device under the lowest free UID; prints that\n"
        "                          address. A FILE that does not exist yet is begun.\n"
        "  set FILE ADDRESS PATH=VALUE\n"
        "                          gives the setting PATH ([port.][group.]key[.index]) of\n"
        "                          the gateway at ADDRESS, or the bus device with UID\n"
        "                          ADDRESS, a value the schema allows there.\n"
        "  check FILE              every setting against the schema: what an upload would\n"
        "                          skip, and values no command could carry (exit 9).\n"
        "The file is saved only when a change was made; one that cannot be read exits 8.\n"
        "A credential's value (such as TELNET.PASSWORD) reads \"(set)\" or \"(empty)\" in\n"
        "what is printed unless --with-secrets.\n"
        "With --json, show prints {\"gateways\": [{\"address\", \"type\"}], \"devices\":\n"
        "[{\"uid\", \"type\"}]} and check {\"findings\": [{\"device\", \"path\", \"value\",\n"
        "\"problem\"}]}.");
}

QList<QCommandLineOption> CCliProjectCommand::options() const {
    return {CCliOptions::json(), CCliOptions::withSecrets()};
}

QString CCliProjectCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_withSecrets = CCliOptions::readWithSecrets(parser);
    const QString action = arguments.value(0);
    struct Usage {
        Action action;
        const char* operands;
    };
    const QHash<QString, Usage> kActions{
        {QStringLiteral("show"), {Action::Show, "FILE"}},
        {QStringLiteral("add"), {Action::Add, "FILE MODEL"}},
        {QStringLiteral("set"), {Action::Set, "FILE ADDRESS PATH=VALUE"}},
        {QStringLiteral("check"), {Action::Check, "FILE"}},
    };
    const auto found = kActions.constFind(action);
    if (found == kActions.cend()) {
        return action.isEmpty() ? QStringLiteral("project needs show, add, set or check")
                                : QStringLiteral("unknown project action '%1'").arg(action);
    }
    const QString operands = QLatin1String(found->operands);
    if (arguments.size() != operands.count(QLatin1Char(' ')) + 2) {
        return QStringLiteral("project %1 takes %2").arg(action, operands);
    }
    m_action = found->action;
    m_file = arguments.value(1);
    if (m_action == Action::Add) {
        m_model = arguments.value(2);
        if (!modelIndex(m_model)) {
            return QStringLiteral("no model '%1' (the models: Ubrix A to Tavo B, 0 to 9)")
                .arg(m_model);
        }
    }
    if (m_action == Action::Set) {
        m_device = arguments.value(2);
        const QString assignment = arguments.value(3);
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            return QStringLiteral("'%1' is not PATH=VALUE").arg(assignment);
        }
        m_path = assignment.left(equals);
        m_value = assignment.mid(equals + 1);
    }
    return {};
}

std::optional<int> CCliProjectCommand::modelIndex(const QString& text) {
    const auto& models = CModelTemplates::models();
    for (int index = 0; index < static_cast<int>(models.size()); ++index) {
        const CModelTemplates::Model& model = models[static_cast<size_t>(index)];
        if (compacted(text) == compacted(QLatin1String(model.caption)) ||
            text == QLatin1String(model.fileName) || text == QString::number(index)) {
            return index;
        }
    }
    return std::nullopt;
}

int CCliProjectCommand::run(CCliSession& session) {
    CUbrixVorelDoc& doc = session.document();
    doc.newPlan();
    const bool begins = m_action == Action::Add && !QFileInfo::exists(m_file);
    if (!begins && !doc.openProject(m_file)) {
        return CCliExit::kRefused;
    }
    try {
        switch (m_action) {
            case Action::Show:
                return show(session);
            case Action::Add:
                return add(session);
            case Action::Set:
                return set(session);
            case Action::Check:
                return check(session);
        }
    } catch (const CXmlError& error) {
        session.report(QString::fromUtf8(error.what()));
        return CCliExit::kRefused;
    }
    return CCliExit::kUsage;
}

int CCliProjectCommand::show(CCliSession& session) const {
    const pugi::xml_document& project = *session.document().templateDocument();
    QJsonArray gateways;
    QJsonArray devices;
    for (const Role role : {Role::Gateway, Role::BusDevice}) {
        for (const pugi::xml_node& element : CProjectLookup::devices(project, role)) {
            const CProjectDevice device = CProjectLookup::deviceOf(element, role);
            (role == Role::Gateway ? gateways : devices).append(deviceJson(device, element));
            if (!m_json) {
                session.print(QStringLiteral("%1\t%2\t%3\n")
                                  .arg(role == Role::Gateway ? QStringLiteral("gateway")
                                                             : QStringLiteral("device"),
                                       fromUtf8(device.id),
                                       fromUtf8(CProjectLookup::typeOf(element))));
            }
        }
    }
    if (m_json) {
        session.printJson(
            {{QStringLiteral("gateways"), gateways}, {QStringLiteral("devices"), devices}});
    }
    return CCliExit::kOk;
}

int CCliProjectCommand::add(CCliSession& session) const {
    const std::optional<CProjectDevice> added = session.document().addTemplateModel(
        *modelIndex(m_model), CModelTemplateFolder::find(QCoreApplication::applicationDirPath()));
    if (!added) {
        return CCliExit::kRefused;
    }
    session.print(fromUtf8(added->id) + QLatin1Char('\n'));
    return save(session);
}

std::optional<CProjectDevice> CCliProjectCommand::deviceNamed(CCliSession& session,
                                                              const QString& text) const {
    const Role role = text.contains(QLatin1Char('.')) ? Role::Gateway : Role::BusDevice;
    const pugi::xml_document& project = *session.document().templateDocument();
    for (const std::optional<std::string>& id :
         {CProjectAddress::canonical(role, text), std::optional(text.toStdString())}) {
        if (id && CProjectLookup::find(project, {role, *id})) {
            return CProjectDevice{role, *id};
        }
    }
    session.report(QStringLiteral("The project has no %1 %2.")
                       .arg(role == Role::Gateway ? QStringLiteral("gateway at")
                                                  : QStringLiteral("bus device with UID"),
                            text));
    return std::nullopt;
}

int CCliProjectCommand::set(CCliSession& session) const {
    const std::optional<CProjectDevice> device = deviceNamed(session, m_device);
    if (!device) {
        return CCliExit::kRefused;
    }
    // The path reads as a reply's path does: a first component of one letter is a port.
    const std::optional<CSettingAddress> address = CSettingAddress::parse(m_path.toLatin1());
    if (!address) {
        session.report(QStringLiteral("%1 names no setting").arg(m_path));
        return CCliExit::kUsage;
    }
    const CProjectPlace place = CProjectPlace::holding(*device, *address);
    if (!CProjectLookup::section(*session.document().templateDocument(), place)) {
        session.report(QStringLiteral("The project has no setting %1 there.").arg(m_path));
        return CCliExit::kRefused;
    }
    const std::optional<QString> index = address->index.isEmpty()
                                             ? std::nullopt
                                             : std::optional(QString::fromLatin1(address->index));
    if (!session.document().setTemplateValue(place, QString::fromLatin1(address->key), index,
                                             m_value)) {
        return CCliExit::kRefused;
    }
    return session.document().isTemplateModified() ? save(session) : CCliExit::kOk;
}

int CCliProjectCommand::check(CCliSession& session) const {
    const std::vector<CProjectFinding> findings = CProjectCheck::run(
        *session.document().templateDocument(), CValidationSchema(session.document().schema()));
    const CSecretRule secrets(session.document().schema(), m_withSecrets);
    QJsonArray listed;
    for (CProjectFinding finding : findings) {
        if (const std::optional<CSettingAddress> place =
                CSettingAddress::parse(finding.path.toUtf8())) {
            finding.value = secrets.shown(*place, finding.value);
        }
        if (m_json) {
            listed.append(QJsonObject{{QStringLiteral("device"), fromUtf8(finding.device.id)},
                                      {QStringLiteral("path"), finding.path},
                                      {QStringLiteral("value"), finding.value},
                                      {QStringLiteral("problem"), finding.problem}});
        } else {
            session.print(QStringLiteral("%1 %2=%3: %4\n")
                              .arg(fromUtf8(finding.device.id), finding.path, finding.value,
                                   finding.problem));
        }
    }
    if (m_json) {
        session.printJson({{QStringLiteral("findings"), listed}});
    }
    return findings.empty() ? CCliExit::kOk : CCliExit::kFindings;
}

int CCliProjectCommand::save(CCliSession& session) const {
    return session.document().saveProject(m_file) ? CCliExit::kOk : CCliExit::kFile;
}
