#pragma once

#include "core/sequence/CSequenceRun.h"

#include <QByteArrayView>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <vector>

class CUbrixVorelDoc;

// Finding the bus devices whose announcement was lost. A registration is answered by one
// datagram per device and never goes again (CRetryRule), so a device whose "+UIDn" was
// lost on a site's Wi-Fi would stay unknown, and a collection would call the site complete
// without it. UIDs are given from 1 upwards, so after the registration the roll call asks
// the UIDs the site should have and nobody announced: those below the highest UID heard,
// and a few above it, with the same query that collects a device ("#UIDn=?;", safe to
// repeat). Whoever answers is known from then on; a UID that stays silent is asked again
// at most retries times. Every UID that answers moves the top up, so a whole bus whose
// registration was lost is found one UID after another. As a lane beside a collection's
// (CBusCollection::Options::devicesMayCome), the roll call costs a collection no time.
//
//   CRollCall call(2);
//   call.nextRound({1, 2, 4})        // {3, 5, 6}
//   call.nextRound({1, 2, 3, 4})     // {5, 6}: 3 answered
class CRollCall {
public:
    using Send = std::function<bool(QByteArrayView text, quint32 address)>;

    // UIDs asked above the highest UID heard.
    static constexpr quint32 kMargin = 2;
    // The most UIDs one roll call asks: a site whose UIDs are far apart is not searched
    // UID by UID.
    static constexpr size_t kMostUids = 64;
    // After each round, the time its answers have to come.
    static constexpr std::chrono::milliseconds kRoundPause{300};

    explicit CRollCall(int retries) : m_retries(retries) {}

    // The UIDs to ask now, given every UID the site knows (announced or answered), lowest
    // first; empty when the roll call is over.
    std::vector<quint32> nextRound(const std::set<quint32>& known);
    // UIDs asked so far, and queries sent for them (repeats counted).
    size_t uidsAsked() const { return m_asked.size(); }
    int queriesSent() const { return m_queries; }
    // Devices that answered and had not announced themselves.
    size_t found() const { return m_found; }
    bool isOver() const { return m_over; }

    // Every UID of a bus device that the plan's network part knows.
    static std::set<quint32> knownUids(const pugi::xml_document& plan);
    // The roll call as a lane of a run: each round's queries go by broadcast, then the
    // round's pause; over when a round would ask nobody.
    static CSequenceRun::StepSource lane(std::shared_ptr<CRollCall> call, const CUbrixVorelDoc& doc,
                                         Send send);

private:
    std::vector<quint32> candidates(const std::set<quint32>& known) const;

    int m_retries;
    std::map<quint32, int> m_asked;  // UID -> times asked
    int m_queries = 0;
    std::optional<size_t> m_announced;  // known when the roll call began
    size_t m_found = 0;
    bool m_over = false;
};
