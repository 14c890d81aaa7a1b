#include "gui/shell/CNetworkConfig.h"

#include "gui/base/CDialogService.h"

#include "core/transport/CIpv4Address.h"

#include <arpa/inet.h>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QLineEdit* digitsOnlyField(quint32 value, QWidget* parent) {
    auto* field = new QLineEdit(QString::number(value), parent);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

}  // namespace

CNetworkConfig::CNetworkConfig(const QString& hostName, const QStringList& adapterNames,
                               const Values& current, QWidget* parent)
    : QDialog(parent),
      m_hostName(new QLineEdit(hostName, this)),
      m_adapters(new QComboBox(this)),
      m_sendPort(digitsOnlyField(current.sendPort, this)),
      m_listenPort(digitsOnlyField(current.receivePort, this)),
      m_defaultIp(
          new QLineEdit(QString::fromLatin1(CIpv4Address::toDotted(current.defaultIp)), this)) {
    setWindowTitle(QStringLiteral("Network Setup"));
    m_hostName->setObjectName(QStringLiteral("hostName"));
    m_adapters->setObjectName(QStringLiteral("adapters"));
    m_sendPort->setObjectName(QStringLiteral("sendPort"));
    m_listenPort->setObjectName(QStringLiteral("listenPort"));
    m_defaultIp->setObjectName(QStringLiteral("defaultIp"));
    m_hostName->setReadOnly(true);
    m_adapters->addItems(adapterNames);
    m_adapters->setCurrentIndex(
        current.selectedAdapter < adapterNames.size() ? current.selectedAdapter : -1);

    auto* machine = new QFormLayout;
    machine->addRow(QStringLiteral("This computer"), m_hostName);
    machine->addRow(QStringLiteral("NIC IP"), m_adapters);

    auto* udp = new QGroupBox(QStringLiteral("UDP"), this);
    auto* udpFields = new QFormLayout(udp);
    udpFields->addRow(QStringLiteral("Send port"), m_sendPort);
    udpFields->addRow(QStringLiteral("Listen port"), m_listenPort);

    auto* tcp = new QGroupBox(QStringLiteral("TCP"), this);
    auto* tcpFields = new QFormLayout(tcp);
    tcpFields->addRow(QStringLiteral("Default IP"), m_defaultIp);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(machine);
    layout->addWidget(udp);
    layout->addWidget(tcp);
    layout->addWidget(buttons);
}

CNetworkConfig::Values CNetworkConfig::values() const {
    Values values;
    values.selectedAdapter = m_adapters->currentIndex();
    values.sendPort = portFromText(m_sendPort->text());
    values.receivePort = portFromText(m_listenPort->text());
    values.defaultIp = addressFromText(m_defaultIp->text());
    return values;
}

QString CNetworkConfig::refusal() const {
    const std::pair<const QLineEdit*, const char*> ports[] = {{m_sendPort, "Send port"},
                                                              {m_listenPort, "Listen port"}};
    for (const auto& [field, name] : ports) {
        const quint32 port = portFromText(field->text());
        if (port < 1 || port > 65535) {
            return QStringLiteral("%1 must be a number from 1 to 65535.").arg(QLatin1String(name));
        }
    }
    in_addr address{};
    if (::inet_aton(m_defaultIp->text().toLatin1().constData(), &address) == 0) {
        return QStringLiteral(
            "Default IP must be an IPv4 address such as 192.168.1.20 (0.0.0.0 for none).");
    }
    return {};
}

void CNetworkConfig::accept() {
    const QString problem = refusal();
    if (!problem.isEmpty()) {
        CDialogService::message(problem);
        return;
    }
    QDialog::accept();
}

quint32 CNetworkConfig::portFromText(const QString& text) {
    bool ok = false;
    const quint32 port = text.toUInt(&ok);
    return ok ? port : 0;
}

quint32 CNetworkConfig::addressFromText(const QString& text) {
    // inet_addr's own reading, shorthand forms ("10.1") included.
    return ::inet_addr(text.toLatin1().constData());
}
