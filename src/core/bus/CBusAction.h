#pragma once

#include "core/bus/CBusTarget.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The announcement ("+UIDn;", "+SNn;") that tells an action took.
struct CBusAwaited {
    QByteArray gateway;  // dotted; empty: any gateway
    QByteArray attribute;
    quint32 number = 0;
    // The action took the device out of the plan: its announcement brings it back, and the
    // bus view makes it its selection again.
    bool comesBack = false;

    bool isAnnouncedBy(QByteArrayView sender, QByteArrayView announcedAttribute,
                       quint32 announcedNumber) const;
};

// What one action of the bus does, worked out before anything happens (CBusActions): the
// command and where it goes, the question asked first, the change of the plan and of the bus
// tree made once the command left, the announcement it waits for, and what the user is told.
struct CBusAction {
    enum class Change {
        None,
        ForgetTree,          // the tree starts again from its root; the plan stays
        RemoveSerialDevice,  // the device known by its serial number, behind its gateway
        RemoveDevice,        // the device, behind every gateway
        RemoveGateway,       // the gateway and its devices
        RemoveAll,           // every gateway and device
    };

    // The status line's first word: "Set: sent #UID=7; to Hall (10.0.0.7)."
    QString name;
    // Nothing is done; said and message tell why.
    bool refused = false;
    // The status line: for a command, said whether or not it left (empty: that it was sent,
    // or could not be); without one, once the change is made.
    QString said;
    // A message box: at once when refused, else once the command left.
    QString message;

    QByteArray command;  // empty: nothing is sent
    quint32 destination = 0;
    QString to;  // the destination as people read it
    // A question to every gateway that goes behind the firewall probe while a firewall is
    // suspected (CBroadcastQuery), rather than at once.
    bool probeFirst = false;

    // Asked before anything is done; "No" ends the action with declined in the status line.
    QString question;
    // Enter answers "No": the question comes before something a site does not take back.
    bool enterAnswersNo = false;
    QString declined;

    Change change = Change::None;
    CBusTarget changed;  // what the change removes

    std::optional<CBusAwaited> awaited;
    // What the UID field proposes once the command left; 0: it keeps its text.
    quint32 proposedUid = 0;

    // "Set: sent COMMAND to WHO.", or "Set: COMMAND could not be sent to WHO."
    QString sentLine(bool sent) const;
};
