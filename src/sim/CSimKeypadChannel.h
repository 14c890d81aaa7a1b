#pragma once

#include "sim/CSimKeypadAddress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>

// One output of a bus device that the virtual keypads drive: an LED channel (colour,
// level, sun and colour temperature) or a motor channel (position). It answers every
// command it understands with the status line of what the command concerns; a command
// it does not understand gets no answer.
class CSimKeypadChannel {
public:
    enum class Kind { Led, Motor };

    static constexpr int kLedMax = 240;
    static constexpr int kRampStep = 24;
    static constexpr int kCctMin = 1700;
    static constexpr int kCctMax = 9000;
    static constexpr int kPositionMax = 10000;

    CSimKeypadChannel(Kind kind, CSimKeypadAddress address, QByteArray port = {});

    Kind kind() const { return m_kind; }
    const CSimKeypadAddress& address() const { return m_address; }
    // The device port whose outputs this channel drives; empty for the device itself.
    const QByteArray& port() const { return m_port; }

    // family is the command path ("LED", "LED.VALUE" or "MOTOR"), value its value.
    QList<QByteArray> handle(QByteArrayView family, QByteArrayView value);

    // A motor preset in whole percent, as the device's settings give it.
    void setMotorPreset(int number, int percent);

    int hue() const { return m_hue; }
    int saturation() const { return m_saturation; }
    int fade() const { return m_fade; }
    int red() const { return m_red; }
    int green() const { return m_green; }
    int blue() const { return m_blue; }
    int white() const { return m_white; }
    int sun() const { return m_sun; }
    int cct() const { return m_cct; }
    int position() const { return m_position; }

private:
    struct LedScene {
        int hue, saturation, fade, red, green, blue, white;
    };

    QList<QByteArray> handleLed(QByteArrayView action, const QList<int>& arguments);
    QList<QByteArray> handleLedSwitch(QByteArrayView action);
    QList<QByteArray> handleLedValue(const QList<int>& numbers);
    QList<QByteArray> handleMotor(QByteArrayView action, QByteArrayView argument);
    QByteArray colorLine() const;
    QByteArray valueLine() const;
    QByteArray statusLine() const;
    QByteArray positionLine() const;

    Kind m_kind;
    CSimKeypadAddress m_address;
    QByteArray m_port;

    int m_hue = 0;
    int m_saturation = 0;
    int m_fade = 0;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    int m_white = 0;
    int m_sun = kLedMax;
    int m_cct = 3000;
    int m_lastFade = kLedMax;
    QMap<int, LedScene> m_ledScenes;

    int m_position = 0;
    QMap<int, int> m_motorPresets;
};
