#pragma once

#include <QByteArray>

class CSimNetwork;

// The lines a user or a test types at a running simulator, on its standard input or its
// control port:
//   press <gateway> <serial>   press the discover button of a device; the gateway is its
//                              number (from 1) or its address
//   fault <gateway> [<uid>] <kinds>
//                              make the gateway, or the device with that UID on its bus,
//                              misbehave: kinds are none, or any of other-type, silent and
//                              refuses-sets, comma-separated
//   remove <gateway> <uid>     the device with that UID leaves the bus for good
//   add <gateway> <type> [sn <serial>]
//                              a new device of that type, without UID, joins the bus (its
//                              serial number the next free one of the gateway's, unless
//                              given)
//   list                       the gateways and their devices, with how often each was
//                              identified (and a gateway restarted)
//   show <gateway> [<uid> | sn <serial>]
//                              the settings of the gateway or of one device on its bus, one
//                              "path=value" a line
//   stats                      what the site received and sent
//   help, quit
class CSimControl {
public:
    struct Result {
        QByteArray answer;  // ends in a line feed
        bool quit = false;
    };

    static Result execute(CSimNetwork& network, const QByteArray& line);

private:
    static Result press(CSimNetwork& network, const QList<QByteArray>& words);
    static Result fault(CSimNetwork& network, const QList<QByteArray>& words);
    static Result remove(CSimNetwork& network, const QList<QByteArray>& words);
    static Result add(CSimNetwork& network, const QList<QByteArray>& words);
    static QByteArray list(CSimNetwork& network);
    static Result show(CSimNetwork& network, const QList<QByteArray>& words);
    static QByteArray stats(CSimNetwork& network);
};
