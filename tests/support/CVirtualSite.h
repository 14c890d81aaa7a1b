#pragma once

#include "core/protocol/CTrafficLine.h"
#include "core/transport/CIpv4Address.h"
#include "sim/CSimSite.h"
#include "support/CDocFixture.h"
#include "support/CManualTimerSource.h"

#include <QCoreApplication>
#include <QList>
#include <QTime>
#include <chrono>
#include <functional>

// A simulated site on the same hand-driven clock as the program's timers: what the program
// sends reaches the site at once, the site's replies reach the document's inbound queue
// when they fall due, and time jumps from one due reply or timer to the next. Minutes of a
// collection pass in a moment, paced exactly as on a real clock.
//
// Header only: the support library links the core alone, and only those who use this
// link the simulator too.
class CVirtualSite {
public:
    static constexpr quint32 kProgram = 0x0100000Au;  // 10.0.0.1, network byte order

    CVirtualSite(CSimSite site, CDocFixture& fixture, CManualTimerSource& timers)
        : m_site(std::move(site)), m_fixture(fixture), m_timers(timers) {}

    CSimSite& site() { return m_site; }
    // "<ms> <text>" for every send, on the virtual clock.
    QStringList sent() const { return m_sent; }
    qint64 now() const { return m_timers.now().count(); }
    // Sends from now on fail, as the transport's do when the network is gone.
    void failSends(bool fail) { m_failing = fail; }

    // The transport's SendText, as far as the site can tell.
    bool send(QByteArrayView text, quint32 address) {
        m_sent.append(QStringLiteral("%1 %2").arg(now()).arg(QString::fromLatin1(text)));
        if (m_failing) {
            return false;
        }
        for (int gateway = 0; gateway < m_site.gateways().size(); ++gateway) {
            if ((address == CIpv4Address::kBroadcast ||
                 m_site.gateways()[gateway].address() == address) &&
                !m_site.losesCommand()) {
                m_site.receive(gateway, text, kProgram, now());
            }
        }
        return true;
    }
    std::function<bool(QByteArrayView, quint32)> sender() {
        return [this](QByteArrayView text, quint32 address) { return send(text, address); };
    }

    // Runs until done() or the limit (on the virtual clock), delivering every reply that
    // falls due on the way. Returns whether done() came true.
    bool runUntil(const std::function<bool()>& done, qint64 limitMs) {
        while (true) {
            deliverDue();
            QCoreApplication::processEvents();
            if (done()) {
                return true;
            }
            qint64 next = limitMs + 1;
            if (const std::optional<qint64> reply = m_site.nextDueMs()) {
                next = std::min(next, *reply);
            }
            if (const auto timer = m_timers.nextDue()) {
                next = std::min(next, static_cast<qint64>(timer->count()));
            }
            if (next > limitMs) {
                return false;
            }
            m_timers.advance(std::chrono::milliseconds(std::max<qint64>(next - now(), 0)));
        }
    }

private:
    void deliverDue() {
        QList<QByteArray> lines;
        for (const CSimOutgoing& reply : m_site.takeDue(now())) {
            // As the receive thread makes it: the text up to its first CR or LF.
            lines.append(CTrafficLine::build(QTime(0, 0), reply.from, reply.bytes));
        }
        if (!lines.isEmpty()) {
            m_fixture.receive(lines);
        }
    }

    CSimSite m_site;
    CDocFixture& m_fixture;
    CManualTimerSource& m_timers;
    QStringList m_sent;
    bool m_failing = false;
};
