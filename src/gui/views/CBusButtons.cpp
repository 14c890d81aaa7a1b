#include "gui/views/CBusButtons.h"

#include "core/bus/CBusActions.h"
#include "gui/views/CRunProgress.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>

namespace {

QPushButton* makeButton(const char* caption, const char* name) {
    auto* button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QGroupBox* groupOf(const char* title, std::initializer_list<QWidget*> widgets, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromLatin1(title), parent);
    auto* layout = new QHBoxLayout(group);
    for (QWidget* widget : widgets) {
        layout->addWidget(widget);
    }
    return group;
}

}  // namespace

CBusButtons::CBusButtons(int collectRange, QWidget* parent) : QWidget(parent) {
    QPushButton* ubrixs = makeButton("Ubrixs", "ubrixs");
    QPushButton* devices = makeButton("Devices", "devices");
    QPushButton* set = makeButton("Set", "set");
    m_uid = new QLineEdit;
    m_uid->setObjectName(QStringLiteral("uid"));
    m_uid->setMaxLength(CBusActions::kUidFieldLength);
    m_uid->setMaximumWidth(70);
    m_uid->setText(QStringLiteral("1"));
    m_collection = new CRunProgress(QStringLiteral("Data"), QStringLiteral("Collect"),
                                    QStringLiteral("collect"), collectRange, this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(groupOf("Discover", {ubrixs, devices}, this));
    layout->addWidget(groupOf("UID", {set, m_uid}, this));
    layout->addWidget(m_collection, 1);

    connect(ubrixs, &QPushButton::clicked, this, &CBusButtons::discoverClicked);
    connect(devices, &QPushButton::clicked, this, &CBusButtons::devicesClicked);
    connect(set, &QPushButton::clicked, this, &CBusButtons::setClicked);
    connect(m_uid, &QLineEdit::returnPressed, this, &CBusButtons::setClicked);
}

QString CBusButtons::uidText() const {
    return m_uid->text();
}

void CBusButtons::setUid(quint32 uid) {
    m_uid->setText(QString::number(uid));
}
