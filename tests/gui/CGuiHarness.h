#pragma once

#include "core/sequence/CSequencer.h"
#include "core/transport/CAdapterTable.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "gui/base/CViewContext.h"
#include "gui/base/CViewState.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"
#include "support/NamedChild.h"

#include <QAction>
#include <QByteArray>

// What the frame and the views are given: a document with a new plan (CDocFixture), a
// transport whose only adapter is the loopback one (broadcasts go to 127.255.255.255,
// so a test's own namespace hears them), the settings, and a sequencer whose timers move
// only when the test advances them (timers()).
class CGuiHarness {
public:
    explicit CGuiHarness(bool logging = false)
        : m_fixture(logging),
          m_transport(m_fixture.notifier(), m_fixture.clock(), m_fixture.doc().inboundQueue(),
                      m_fixture.doc().firewallSuspect()) {
        CAdapterTable table = CAdapterTable::fromCandidates({});
        table.addDemoAdapter();
        m_transport.setAdapters(table);
        m_sequencer.watch(m_fixture.doc());
        m_state.keypads = CKeypadAddressBlock::fromSettings(settings());
    }

    CDocFixture& fixture() { return m_fixture; }
    CUbrixVorelDoc& doc() { return m_fixture.doc(); }
    CTransport& transport() { return m_transport; }
    CSettings& settings() { return m_fixture.settings(); }
    CManualTimerSource& timers() { return m_timers; }
    CSequencer& sequencer() { return m_sequencer; }
    CViewState& state() { return m_state; }
    CViewContext context() {
        return CViewContext{doc(), m_transport, settings(), m_sequencer, m_state};
    }

    static quint32 loopback(quint32 last) {
        return CIpv4Address::fromHostOrder(0x7F000000u | last);
    }
    // The frame's action of a command, found by the name the frame gives it.
    static QAction* command(const QObject& frame, int command) {
        return namedChild<QAction>(frame, QStringLiteral("command%1").arg(command));
    }
    // A traffic line as the receive thread queues it (the fixture's clock reads 14:03:09).
    static QByteArray line(const char* sender, const char* text) {
        return QByteArray("[14:03:09] (") + sender + ") " + text;
    }

private:
    CDocFixture m_fixture;
    CTransport m_transport;
    CManualTimerSource m_timers;
    CSequencer m_sequencer{m_timers};
    CViewState m_state;
};
