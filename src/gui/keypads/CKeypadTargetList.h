#pragma once

#include "gui/views/CDestinationList.h"

#include <QComboBox>
#include <optional>

class CTransport;
class CUbrixVorelDoc;

// Where a keypad's commands go: "Broadcast (UDP)" or one named gateway of the plan, as
// "Hall (..007)". The list is sorted and takes in the gateways reported since, each time it
// drops down. In TCP mode every command to a gateway goes over the one kept connection, so
// the list offers only the gateway that connection goes to (the default gateway while none
// is open), never one whose commands would end up on another gateway's bus.
class CKeypadTargetList : public QComboBox {
    Q_OBJECT

public:
    static constexpr const char* kBroadcast = "Broadcast (UDP)";

    CKeypadTargetList(const CUbrixVorelDoc& doc, const CTransport& transport,
                      QWidget* parent = nullptr);

    // Network byte order; all bits set for broadcast.
    quint32 currentAddress() const;
    // The chosen address, unless a command to it would go over a connection to another
    // gateway (the connection changed since the list was filled).
    std::optional<quint32> reachableAddress() const;
    // Adds the named gateways not listed yet (an entry that begins with the same text
    // counts as listed) and, in TCP mode, drops the gateways it cannot reach.
    void refill();

    void showPopup() override;

private:
    QList<CDestinationList::Entry> candidates() const;
    bool isListed(const QString& text) const;
    void insertSorted(const CDestinationList::Entry& entry);
    void dropUnreachable(quint32 reachable);
    // In TCP mode, the one gateway commands can go to.
    quint32 tcpGateway() const;

    const CUbrixVorelDoc& m_doc;
    const CTransport& m_transport;
};
