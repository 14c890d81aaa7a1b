#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaType>
#include <QtGlobal>
#include <array>
#include <optional>

// A six-byte Ethernet hardware address, first byte first as it goes on the wire.
class CMacAddress {
public:
    static constexpr int kSize = 6;

    CMacAddress() = default;
    explicit CMacAddress(const std::array<quint8, kSize>& bytes) : m_bytes(bytes) {}

    // "00:1a:2b:3c:4d:5e" or "00-1A-2B-3C-4D-5E": six pairs of hex digits, one separator
    // kind throughout. Anything else (another length, a stray character) is no address.
    static std::optional<CMacAddress> fromText(QByteArrayView text);

    // As the scan list shows it: "[00:1A:2B:3C:4D:5E]".
    QByteArray bracketedText() const;

    const std::array<quint8, kSize>& bytes() const { return m_bytes; }
    bool isZero() const;

    friend bool operator==(const CMacAddress&, const CMacAddress&) = default;

private:
    std::array<quint8, kSize> m_bytes{};
};

Q_DECLARE_METATYPE(CMacAddress)
