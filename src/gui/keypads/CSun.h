#pragma once

#include "core/protocol/CKeypadAddress.h"
#include "gui/keypads/CKeypadWindow.h"

#include <array>
#include <optional>

class CmySlider;
class QLabel;
class QLineEdit;
class QPushButton;

// The sun colour dialog: one slider from night (bottom) to full daylight (top) sets an RGB
// light at the address typed to the colour of that point of a sunrise, broadcast when the
// slider is let go or stepped with the buttons above and below it. Nothing goes out while
// an address box is empty or not a number from 0 to 255.
class CSun : public CKeypadWindow {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Sun";

    explicit CSun(QWidget* parent = nullptr);

    int level() const;
    // The address of the boxes, when every box holds a number from 0 to 255.
    std::optional<CKeypadAddress> address() const;

protected:
    void onSliderLetGo(CmySlider* slider) override;

private:
    QWidget* buildAddress();
    QWidget* buildSlider();
    QWidget* buildComponents();
    void step(int positions);
    void sendLevel();
    void refresh();

    CmySlider* m_slider = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
    QLabel* m_level = nullptr;
    std::array<QLineEdit*, 3> m_address{};     // zone, group, node
    std::array<QLineEdit*, 3> m_components{};  // red, green, blue
};
