#pragma once

#include "sim/CSimFaults.h"
#include "sim/CSimLatency.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimSiteConfig.h"

#include <QString>
#include <QStringList>
#include <optional>

// The command line of vorel-sim, read into what the site and its network are made from.
struct CSimOptions {
    CSimSiteConfig site;
    CSimFaults faults;
    CSimLatency latency;
    // Control lines "fault ..." to run once the site is up ("--fault '2 12 silent'").
    QList<QByteArray> faultLines;
    CSimNetwork::Options network;
    qint64 restartSilenceMs = 3000;
    QString templateFolder;        // empty: beside the program, or installed
    bool typesFromSchema = false;  // "--types all": every bus device type of the schema
    bool quiet = false;
    bool logCommands = false;  // print every command received (CSimCommandJournal::describe)

    // Nothing when the arguments (the program name first) are wrong; the reason, or the
    // help text when help was asked for, is in message and helpAsked tells which.
    static std::optional<CSimOptions> parse(const QStringList& arguments, QString& message,
                                            bool& helpAsked);
};
