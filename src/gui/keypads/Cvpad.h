#pragma once

#include "gui/keypads/CLedKeypadWindow.h"

#include <QHash>

struct CKeypadAddressBlock;
class CKeypadAddressBox;
class CKeypadTargetList;
class CTransport;
class CUbrixVorelDoc;
class CmySlider;
class QLineEdit;

// The LED virtual keypad ("Tavo LX"): the wall keypad's keys, an effects group and nine
// colour sliders for the address shown, sent to every gateway or to the one chosen. The
// status lines that the lights report move the sliders.
class Cvpad : public CLedKeypadWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Tavo LX";

    // Starts at entry 6 of the block.
    Cvpad(const CUbrixVorelDoc& doc, const CTransport& transport, const CKeypadAddressBlock& block,
          QWidget* parent = nullptr);

    CmySlider* slider(vorel::keypad::LedLevel level) const;

    // UMW_KEYPAD_STATUS.
    void OnKeypadStatus(const QByteArray& text) override;

protected:
    std::optional<CKeypadAddress> commandAddress() override;
    CKeypadAddress shownAddress() const override;
    std::optional<quint32> commandTarget() const override;
    void onSliderLetGo(CmySlider* slider) override;
    QString silenceText() const override;

private:
    struct LevelRow {
        CmySlider* slider = nullptr;
        QLineEdit* value = nullptr;
        // The level was reported or set here: until then the box stays blank.
        bool known = false;
    };

    QWidget* buildEffects();
    QWidget* buildSliders();
    void sendEffect(int number);
    void refreshValueBoxes();

    CKeypadAddressBox* m_addressBox = nullptr;
    CKeypadTargetList* m_targets = nullptr;
    QHash<int, LevelRow> m_levels;  // by vorel::keypad::LedLevel
};
