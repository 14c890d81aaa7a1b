#include "gui/keypads/CSun.h"

#include "core/keypads/CSunColours.h"
#include "core/protocol/CKeypadCommands.h"
#include "core/transport/CIpv4Address.h"
#include "gui/controls/CmySlider.h"
#include "gui/keypads/CBeep.h"
#include "gui/keypads/CSunStrip.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

CSun::CSun(QWidget* parent) : CKeypadWindow(0, QString::fromLatin1(kCaption), parent) {
    setToolTip(QStringLiteral(
        "Keyboard: the arrow keys move the slider and send the colour when let go."));
    // Closed by its toggle and its close box only: Enter in an address box must not lose it.
    keepOpenOnKeys();
    auto* layout = new QHBoxLayout(this);
    auto* right = new QVBoxLayout;
    right->addWidget(buildAddress());
    right->addWidget(buildComponents());
    right->addStretch();
    layout->addWidget(buildSlider());
    layout->addLayout(right);
    refresh();
}

QWidget* CSun::buildAddress() {
    auto* group = new QGroupBox(QStringLiteral("Address"), this);
    auto* grid = new QGridLayout(group);
    const std::array<QString, 3> captions{QStringLiteral("Zone"), QStringLiteral("Group"),
                                          QStringLiteral("Node")};
    const std::array<QString, 3> initial{QStringLiteral("2"), QStringLiteral("1"),
                                         QStringLiteral("1")};
    // Digits only: whatever is typed here goes into a broadcast.
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), group);
    for (int part = 0; part < 3; ++part) {
        m_address.at(part) = new QLineEdit(initial.at(part), group);
        m_address.at(part)->setObjectName(QStringLiteral("address%1").arg(part));
        m_address.at(part)->setValidator(digits);
        m_address.at(part)->setMaximumWidth(50);
        grid->addWidget(new QLabel(captions.at(part), group), 0, part);
        grid->addWidget(m_address.at(part), 1, part);
    }
    return group;
}

QWidget* CSun::buildSlider() {
    auto* group = new QWidget(this);
    auto* grid = new QGridLayout(group);
    m_level = new QLabel(group);
    m_level->setObjectName(QStringLiteral("level"));
    m_level->setAlignment(Qt::AlignCenter);
    m_up = new QPushButton(QStringLiteral("\u25B2"), group);
    m_up->setObjectName(QStringLiteral("up"));
    m_down = new QPushButton(QStringLiteral("\u25BC"), group);
    m_down->setObjectName(QStringLiteral("down"));
    m_slider = new CmySlider(Qt::Vertical, group);
    m_slider->setObjectName(QStringLiteral("slider"));
    m_slider->setRange(0, CSunColours::kTopLevel);
    m_slider->setMinimumAtTop();
    m_slider->setValue(0);
    m_slider->setMinimumHeight(CSunColours::kTopLevel + 1);
    for (QPushButton* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
    }
    connect(m_up, &QPushButton::clicked, this, [this] { step(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_slider, &QAbstractSlider::valueChanged, this, [this] { refresh(); });
    addSlider(m_slider, nullptr);
    grid->addWidget(m_level, 0, 0, 1, 2);
    grid->addWidget(m_up, 1, 0);
    grid->addWidget(m_slider, 2, 0, Qt::AlignHCenter);
    grid->addWidget(new CSunStrip(group), 2, 1);
    grid->addWidget(m_down, 3, 0);
    return group;
}

QWidget* CSun::buildComponents() {
    auto* group = new QGroupBox(QStringLiteral("Colour"), this);
    auto* grid = new QGridLayout(group);
    const std::array<QString, 3> captions{QStringLiteral("Red"), QStringLiteral("Green"),
                                          QStringLiteral("Blue")};
    for (int component = 0; component < 3; ++component) {
        m_components.at(component) = new QLineEdit(group);
        m_components.at(component)->setObjectName(QStringLiteral("component%1").arg(component));
        makeValueBox(m_components.at(component));
        m_components.at(component)->setMaximumWidth(50);
        grid->addWidget(new QLabel(captions.at(component), group), component, 0);
        grid->addWidget(m_components.at(component), component, 1);
    }
    return group;
}

int CSun::level() const {
    return CSunColours::levelOf(m_slider->value());
}

std::optional<CKeypadAddress> CSun::address() const {
    return CKeypadAddress::fromParts(m_address.at(0)->text().toLatin1(),
                                     m_address.at(1)->text().toLatin1(),
                                     m_address.at(2)->text().toLatin1());
}

void CSun::step(int positions) {
    // The slider stops at its ends; the level is sent again all the same.
    m_slider->setValue(m_slider->value() + positions);
    refresh();
    sendLevel();
}

void CSun::onSliderLetGo(CmySlider*) {
    sendLevel();
}

void CSun::sendLevel() {
    const std::optional<CKeypadAddress> target = address();
    if (!target) {
        CBeep::warning();
        return;
    }
    const CSunColours::Rgb& colour = CSunColours::colourTable().at(level());
    emit sendRequested(
        CIpv4Address::kBroadcast,
        CKeypadCommands::ledColourValue(*target, colour.red, colour.green, colour.blue));
}

void CSun::refresh() {
    const CSunColours::Rgb& colour = CSunColours::colourTable().at(level());
    m_level->setText(QString::number(level()));
    m_components.at(0)->setText(QString::number(colour.red));
    m_components.at(1)->setText(QString::number(colour.green));
    m_components.at(2)->setText(QString::number(colour.blue));
}
