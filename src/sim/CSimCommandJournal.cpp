#include "sim/CSimCommandJournal.h"

#include "core/transport/CIpv4Address.h"

void CSimCommandJournal::record(Entry entry) {
    Observer observer;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
        if (m_capacity > 0) {
            if (m_entries.size() >= m_capacity) {
                m_entries.pop_front();
            }
            m_entries.push_back(entry);
        }
    }
    if (observer) {
        observer(entry);
    }
}

QList<CSimCommandJournal::Entry> CSimCommandJournal::entries() const {
    std::lock_guard lock(m_mutex);
    return QList<Entry>(m_entries.begin(), m_entries.end());
}

QList<QByteArray> CSimCommandJournal::textsHeardBy(quint32 gateway) const {
    std::lock_guard lock(m_mutex);
    QList<QByteArray> texts;
    for (const Entry& entry : m_entries) {
        if (entry.heardBy.contains(gateway)) {
            texts.append(entry.text);
        }
    }
    return texts;
}

void CSimCommandJournal::clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

void CSimCommandJournal::setObserver(Observer observer) {
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

QByteArray CSimCommandJournal::describe(const Entry& entry) {
    QByteArray line = "<- " + CIpv4Address::toDotted(entry.sender);
    if (entry.broadcast) {
        line += " to all";
    } else {
        QList<QByteArray> gateways;
        for (const quint32 gateway : entry.heardBy) {
            gateways.append(CIpv4Address::toDotted(gateway));
        }
        line += " to " + gateways.join(',');
    }
    if (entry.tcp) {
        line += " by TCP";
    }
    line += ": ";
    for (const char c : entry.text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            line += "\\r";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\\') {
            line += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F) {
            line += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        } else {
            line += c;
        }
    }
    return line;
}
