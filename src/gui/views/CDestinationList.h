#pragma once

#include <QList>
#include <QString>
#include <pugixml.hpp>
#include <string>

// The lists of the traffic view that come from the plan: the gateways that reported a
// name ("Ubrixs Found") and the destinations a typed command can go to.
class CDestinationList {
public:
    struct Gateway {
        QString name;
        // Network byte order, read from the gateway's identifying attribute as inet_addr
        // reads it.
        quint32 address = 0;
    };

    struct Entry {
        QString text;
        quint32 address = 0;
    };

    // The gateways of the plan in document order; a gateway without a NAME is left out.
    static QList<Gateway> gatewaysOf(const pugi::xml_document& plan);
    // "Ubrixs Found": the names, sorted as a sorted list box sorts (ignoring case).
    static QStringList sortedNames(const QList<Gateway>& gateways);
    // "Lobby (..020)".
    static QString destinationText(const Gateway& gateway);
    // The destinations: in UDP mode "Broadcast" first; in TCP mode the default IP first
    // (when there is one); in USB mode nothing first; then one entry per gateway.
    static QList<Entry> build(int mode, quint32 defaultIp, const QList<Gateway>& gateways);
    // The entry to select for the remembered text: the first entry after entry 0 whose
    // text starts with it (ignoring case), wrapping round to entry 0; entry 0 when none
    // does or nothing is remembered; -1 for an empty list.
    static int selectionFor(const QList<Entry>& entries, const QString& remembered);

private:
    static QString textOf(const pugi::xml_node& element);
    static void appendText(const pugi::xml_node& node, std::string& text);
};
