#include "gui/keypads/Cvpad_motor.h"

#include "core/keypads/CKeypadAddressBlock.h"
#include "gui/base/WindowMessages.h"
#include "gui/controls/CmySlider.h"
#include "gui/keypads/CBeep.h"
#include "gui/keypads/CKeypadAddressBox.h"
#include "gui/keypads/CKeypadTargetList.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace vorel::keypad;

Cvpad_motor::Cvpad_motor(const CUbrixVorelDoc& doc, const CTransport& transport,
                         const CKeypadAddressBlock& block, QWidget* parent)
    : CKeypadWindow(vorel::umw::kMotorKeypad, QString::fromLatin1(kCaption), parent),
      m_motor(block.start(CKeypadAddressBlock::kKeypadEntry)) {
    m_addressBox = new CKeypadAddressBox(CKeypadAddressBox::Range::Bytes, m_motor.address(), this);
    m_addressBox->setObjectName(QStringLiteral("address"));
    m_targets = new CKeypadTargetList(doc, transport, this);
    m_targets->setObjectName(QStringLiteral("targets"));
    connect(m_addressBox, &CKeypadAddressBox::entered, this, [this] {
        takeAddress();
        setFocus();
    });
    connect(m_addressBox, &QLineEdit::editingFinished, this, [this] { takeAddress(); });

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Address"), this));
    top->addWidget(m_addressBox);
    top->addWidget(m_targets, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(buildKeys());
    body->addWidget(buildSliders());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body);
    layout->addWidget(addStatusLine());
    refreshLabels();
    refreshPositionBoxes();
}

QWidget* Cvpad_motor::buildKeys() {
    auto* group = new QGroupBox(QStringLiteral("Keypad"), this);
    group->setToolTip(keyboardHelp(QStringLiteral("stops every motor of the group")));
    auto* grid = new QGridLayout(group);
    for (int number = 1; number <= 6; ++number) {
        grid->addWidget(addKey(static_cast<Key>(number), QString::number(number)), (number - 1) / 3,
                        (number - 1) % 3);
    }
    for (int column = 0; column < 2; ++column) {
        m_columns.at(column) = new QLabel(group);
        m_columns.at(column)->setObjectName(QStringLiteral("column%1").arg(column));
        m_columns.at(column)->setAlignment(Qt::AlignCenter);
        grid->addWidget(m_columns.at(column), 2, column * 2);
    }
    grid->addWidget(addKey(Key::LeftUp, QStringLiteral("UP")), 3, 0);
    grid->addWidget(addKey(Key::RightUp, QStringLiteral("UP")), 3, 2);
    grid->addWidget(addKey(Key::LeftDown, QStringLiteral("DN")), 4, 0);
    grid->addWidget(addKey(Key::RightDown, QStringLiteral("DN")), 4, 2);
    grid->addWidget(addKey(Key::Star, QStringLiteral("*")), 5, 0);
    auto* stopButton = new QPushButton(QStringLiteral("STOP"), group);
    stopButton->setObjectName(QStringLiteral("stop"));
    stopButton->setFocusPolicy(Qt::NoFocus);
    stopButton->setAutoDefault(false);
    connect(stopButton, &QPushButton::clicked, this, [this] { stop(); });
    grid->addWidget(stopButton, 5, 2);
    return group;
}

QWidget* Cvpad_motor::buildSliders() {
    auto* group = new QGroupBox(QStringLiteral("Position"), this);
    auto* grid = new QGridLayout(group);
    const std::array<QString, 2> captions{QStringLiteral("Screen"), QStringLiteral("Mask")};
    for (int index = 0; index < 2; ++index) {
        auto* caption = new QLabel(captions.at(index), group);
        auto* slider = new CmySlider(Qt::Vertical, group);
        slider->setRange(0, CMotorKeypad::kPositionMax);
        slider->setSingleStep(100);
        slider->setPageStep(1000);
        slider->setMinimumAtTop();
        slider->setValue(0);
        slider->setMinimumHeight(200);
        auto* box = new QLineEdit(group);
        makeValueBox(box);
        box->setMaximumWidth(70);
        connect(slider, &QAbstractSlider::valueChanged, this, [this, index] {
            m_known.at(index) = true;
            refreshPositionBoxes();
        });
        addSlider(slider, caption);
        slider->setObjectName(QStringLiteral("slider%1").arg(index));
        box->setObjectName(QStringLiteral("position%1").arg(index));
        m_sliders.at(index) = slider;
        m_boxes.at(index) = box;
        grid->addWidget(caption, 0, index, Qt::AlignCenter);
        grid->addWidget(slider, 1, index, Qt::AlignHCenter);
        grid->addWidget(box, 2, index);
    }
    return group;
}

bool Cvpad_motor::takeAddress() {
    const std::optional<CKeypadAddress> address = m_addressBox->commit();
    if (address) {
        m_motor.setAddress(*address);
    }
    return address.has_value();
}

void Cvpad_motor::send(const QByteArray& text) {
    const std::optional<quint32> target = m_targets->reachableAddress();
    if (!target) {
        CBeep::warning();
        return;
    }
    emit sendRequested(*target, text);
    awaitStatus();
}

QString Cvpad_motor::silenceText() const {
    return QStringLiteral("No motor at %1 answered within a second.")
        .arg(QString::fromLatin1(m_motor.address().text()));
}

void Cvpad_motor::onKey(Key key, KeyEvent event) {
    const int bankBefore = m_motor.bank();
    // The address counts only for what is sent; "*" switching the bank sends nothing.
    const bool sends = !CMotorKeypad(m_motor).onKey(key, event).command.isEmpty();
    if (sends && !takeAddress()) {
        return;
    }
    const CMotorKeypad::Outcome outcome = m_motor.onKey(key, event);
    if (!outcome.command.isEmpty()) {
        send(outcome.command);
    }
    if (outcome.beep) {
        CBeep::warning();
    }
    if (m_motor.bank() != bankBefore) {
        refreshLabels();
    }
}

void Cvpad_motor::stop() {
    if (takeAddress()) {
        send(m_motor.stopCommand());
    }
}

void Cvpad_motor::onSpace(bool pressed) {
    if (!pressed) {
        stop();
    }
}

void Cvpad_motor::onSliderLetGo(CmySlider* slider) {
    const int index = slider == m_sliders.at(CMotorKeypad::kSecondSlider)
                          ? CMotorKeypad::kSecondSlider
                          : CMotorKeypad::kFirstSlider;
    m_known.at(index) = true;
    refreshPositionBoxes();
    if (takeAddress()) {
        send(m_motor.gotoCommand(index, slider->value()));
    }
}

void Cvpad_motor::refreshLabels() {
    m_columns.at(0)->setText(m_motor.leftLabel());
    m_columns.at(1)->setText(m_motor.rightLabel());
}

void Cvpad_motor::refreshPositionBoxes() {
    // Blank until the motor reports it or the user sets it: 0 % would be a guess.
    for (int index = 0; index < 2; ++index) {
        m_boxes.at(index)->setText(m_known.at(index)
                                       ? CMotorKeypad::positionText(m_sliders.at(index)->value())
                                       : QString());
    }
}

void Cvpad_motor::OnKeypadStatus(const QByteArray& text) {
    if (const auto position = m_motor.status(text)) {
        // Moving a slider from here only shows the position; nothing is sent.
        m_sliders.at(position->slider)->setValue(position->hundredths);
        m_known.at(position->slider) = true;
        statusArrived();
        refreshPositionBoxes();
    }
}
