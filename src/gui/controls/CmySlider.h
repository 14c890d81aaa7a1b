#pragma once

#include <QSlider>

// The keypads' colour slider: a standard slider whose track shows the colour scale of what
// it sets (red, hue, sun ramp ...). It also reports the end of every mouse action on it,
// because the keypads send a slider's position only when the mouse lets go of it.
class CmySlider : public QSlider {
    Q_OBJECT

public:
    // The kinds the keypad gives its sliders; each selects one colour scale.
    enum Kind {
        NoScale = 0,
        Red = 1,
        Green = 2,
        Blue = 3,
        Fade = 4,
        Hue = 5,
        Saturation = 6,
        Sun = 7,
        Cct = 8,
        White = 9,
    };
    Q_ENUM(Kind)

    // The scale fills the track less this margin on every side, so the track's frame shows.
    static constexpr int kScaleInset = 2;
    // The styles draw a hairline track; the scale needs room to be seen.
    static constexpr int kMinimumTrackThickness = 12;

    explicit CmySlider(QWidget* parent = nullptr);
    explicit CmySlider(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Set once by the owner after creation. A kind without a scale (0, or anything
    // outside 1 to 9) leaves the slider looking standard.
    void setKind(int kind);
    int kind() const { return m_kind; }

    // A vertical slider of the keypads has its minimum at the top (a blind rolled up, the
    // sun at full daylight), where a standard one has it at the bottom. The wheel and the
    // arrow keys then move the thumb the way they point.
    void setMinimumAtTop();
    // Moves the thumb by single steps towards the top (vertical) or the right
    // (horizontal); a negative count moves it the other way.
    void stepVisually(int steps);

    QRect trackRect() const;
    QRect colourScaleRect() const;

signals:
    // The left mouse button let go of the slider, after a drag of the thumb or a click on
    // the track. Moves by keyboard or wheel do not end here.
    void positionReleased(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_kind = NoScale;
    bool m_leftButtonDown = false;
};
