#include "gui/keypads/Cvpad_basic.h"

#include "core/transport/CIpv4Address.h"
#include "gui/base/WindowMessages.h"
#include "gui/keypads/CKeypadAddressBox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

Cvpad_basic::Cvpad_basic(QWidget* parent)
    : CLedKeypadWindow(vorel::umw::kBasicKeypad, QString::fromLatin1(kCaption),
                       CLedKeyDispatch::Endings::None, parent) {
    m_addressBox = new CKeypadAddressBox(CKeypadAddressBox::Range::Wide, {2, 1, 0}, this);
    m_addressBox->setObjectName(QStringLiteral("address"));
    connect(m_addressBox, &CKeypadAddressBox::entered, this, [this] { setFocus(); });
    auto* address = new QHBoxLayout;
    address->addWidget(new QLabel(QStringLiteral("Address"), this));
    address->addWidget(m_addressBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(address);
    layout->addWidget(buildKeys());
}

std::optional<CKeypadAddress> Cvpad_basic::commandAddress() {
    return m_addressBox->commit();
}

CKeypadAddress Cvpad_basic::shownAddress() const {
    return m_addressBox->address();
}

std::optional<quint32> Cvpad_basic::commandTarget() const {
    return CIpv4Address::kBroadcast;
}
