#pragma once

#include <QWidget>

// The scale beside the sun dialog's slider: full daylight at the top, night at the bottom,
// in 241 bands.
class CSunStrip : public QWidget {
    Q_OBJECT

public:
    explicit CSunStrip(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
