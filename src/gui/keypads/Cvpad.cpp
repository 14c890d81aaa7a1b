#include "gui/keypads/Cvpad.h"

#include "core/keypads/CKeypadAddressBlock.h"
#include "core/keypads/CLedLevels.h"
#include "core/keypads/CLedStatus.h"
#include "core/protocol/CKeypadCommands.h"
#include "gui/base/WindowMessages.h"
#include "gui/controls/CmySlider.h"
#include "gui/keypads/CKeypadAddressBox.h"
#include "gui/keypads/CKeypadTargetList.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace vorel::keypad;

namespace {

// A value box's frame and inner margins around its text.
constexpr int kValueBoxPadding = 12;

// The colour scale each slider paints.
int scaleOf(LedLevel level) {
    switch (level) {
        case LedLevel::Red:
            return CmySlider::Red;
        case LedLevel::Green:
            return CmySlider::Green;
        case LedLevel::Blue:
            return CmySlider::Blue;
        case LedLevel::Fade:
            return CmySlider::Fade;
        case LedLevel::Hue:
            return CmySlider::Hue;
        case LedLevel::Saturation:
            return CmySlider::Saturation;
        case LedLevel::Sun:
            return CmySlider::Sun;
        case LedLevel::Cct:
            return CmySlider::Cct;
        case LedLevel::White:
            return CmySlider::White;
    }
    return CmySlider::NoScale;
}

}  // namespace

Cvpad::Cvpad(const CUbrixVorelDoc& doc, const CTransport& transport,
             const CKeypadAddressBlock& block, QWidget* parent)
    : CLedKeypadWindow(vorel::umw::kLedKeypad, QString::fromLatin1(kCaption),
                       CLedKeyDispatch::Endings::LedKeypad, parent) {
    m_addressBox = new CKeypadAddressBox(CKeypadAddressBox::Range::Bytes,
                                         block.start(CKeypadAddressBlock::kKeypadEntry), this);
    m_addressBox->setObjectName(QStringLiteral("address"));
    m_targets = new CKeypadTargetList(doc, transport, this);
    m_targets->setObjectName(QStringLiteral("targets"));
    connect(m_addressBox, &CKeypadAddressBox::entered, this, [this] { setFocus(); });

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Address"), this));
    top->addWidget(m_addressBox);
    top->addWidget(m_targets, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(buildKeys());
    left->addWidget(buildEffects());
    left->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(buildSliders(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body);
    layout->addWidget(addStatusLine());
    refreshValueBoxes();
}

QString Cvpad::silenceText() const {
    return QStringLiteral("No light at %1 answered within a second.")
        .arg(QString::fromLatin1(m_addressBox->address().text()));
}

QWidget* Cvpad::buildEffects() {
    auto* group = new QGroupBox(QStringLiteral("Effects"), this);
    auto* grid = new QGridLayout(group);
    for (int number = 0; number <= 6; ++number) {
        auto* button =
            new QPushButton(number == 0 ? QStringLiteral("Stop") : QString::number(number), group);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, number] { sendEffect(number); });
        // Effects "1" to "6"; 0 is "Stop".
        button->setObjectName(QStringLiteral("effect%1").arg(number));
        // The numbers in a row, "Stop" after them.
        grid->addWidget(button, number == 0 ? 1 : 0, number == 0 ? 0 : number - 1, 1,
                        number == 0 ? 6 : 1);
    }
    return group;
}

QWidget* Cvpad::buildSliders() {
    auto* group = new QGroupBox(QStringLiteral("Levels"), this);
    group->setToolTip(keyboardHelp(QStringLiteral("sends On and Off in turn")));
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const LedLevel level : CLedLevels::kAll) {
        auto* caption = new QLabel(CLedLevels::caption(level), group);
        auto* slider = new CmySlider(Qt::Horizontal, group);
        slider->setRange(CLedLevels::minimum(level), CLedLevels::maximum(level));
        slider->setKind(scaleOf(level));
        slider->setMinimumWidth(240);
        auto* value = new QLineEdit(group);
        value->setObjectName(QStringLiteral("value%1").arg(static_cast<int>(level)));
        makeValueBox(value);
        // Wide enough for "100%" and "9000" whatever room the window leaves.
        value->setFixedWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("9000%")) +
                             kValueBoxPadding);
        connect(slider, &QAbstractSlider::valueChanged, this, [this, level] {
            m_levels[static_cast<int>(level)].known = true;
            refreshValueBoxes();
        });
        addSlider(slider, caption);
        m_levels.insert(static_cast<int>(level), {slider, value, false});
        grid->addWidget(caption, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(value, row, 2);
        ++row;
    }
    return group;
}

CmySlider* Cvpad::slider(LedLevel level) const {
    return m_levels.value(static_cast<int>(level)).slider;
}

std::optional<CKeypadAddress> Cvpad::commandAddress() {
    return m_addressBox->commit();
}

CKeypadAddress Cvpad::shownAddress() const {
    return m_addressBox->address();
}

std::optional<quint32> Cvpad::commandTarget() const {
    return m_targets->reachableAddress();
}

void Cvpad::sendEffect(int number) {
    const std::optional<CKeypadAddress> address = commandAddress();
    if (!address) {
        return;
    }
    using Action = CKeypadCommands::LedAction;
    sendCommand(number == 0 ? CKeypadCommands::led(*address, Action::Stop, std::nullopt,
                                                   CKeypadCommands::Terminator::Cr)
                            : CKeypadCommands::led(*address, Action::Effect, number,
                                                   CKeypadCommands::Terminator::Cr));
}

void Cvpad::onSliderLetGo(CmySlider* letGo) {
    for (const LedLevel level : CLedLevels::kAll) {
        if (slider(level) != letGo) {
            continue;
        }
        m_levels[static_cast<int>(level)].known = true;
        refreshValueBoxes();
        if (const std::optional<CKeypadAddress> address = commandAddress()) {
            sendCommand(CKeypadCommands::ledLevel(*address, level, letGo->value()));
        }
        return;
    }
}

void Cvpad::refreshValueBoxes() {
    for (const LedLevel level : CLedLevels::kAll) {
        // Blank until the light reports it or the user sets it: 0 would be a guess.
        const LevelRow row = m_levels.value(static_cast<int>(level));
        row.value->setText(row.known ? CLedLevels::valueText(level, row.slider->value())
                                     : QString());
    }
}

void Cvpad::OnKeypadStatus(const QByteArray& text) {
    const QList<CLedStatus::Update> updates = CLedStatus::updates(text, m_addressBox->address());
    for (const CLedStatus::Update& update : updates) {
        // Moving a slider from here only shows the level; nothing is sent.
        slider(update.level)->setValue(update.value);
        m_levels[static_cast<int>(update.level)].known = true;
    }
    if (!updates.isEmpty()) {
        statusArrived();
        refreshValueBoxes();
    }
}
