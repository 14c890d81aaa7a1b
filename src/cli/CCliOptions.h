#pragma once

#include <QString>
#include <QStringList>

// What the command line asked for.
struct CCliOptions {
    enum class Command { None, Help, Adapters, Discover, Query, Send, Monitor, Collect };

    // Exit codes, also listed by --help.
    static constexpr int kExitOk = 0;
    static constexpr int kExitUsage = 2;
    static constexpr int kExitNothingAnswered = 3;
    static constexpr int kExitNetwork = 4;
    static constexpr int kExitFile = 5;

    Command command = Command::None;
    QString target;         // query: the gateway; send: the text
    QString destination;    // send --to
    QString mapFile;        // collect --map
    QString adapter;        // name, index or address; empty: the first wired one
    bool loopback = false;  // the demo adapter on 127.0.0.1
    int sendPort = 5000;
    int receivePort = 4000;
    bool tcp = false;
    bool appendCr = false;
    bool showTime = true;
    bool showSender = true;
    int waitMs = 2000;        // how long a reply may keep us waiting after the last one
    int quietMs = 400;        // silence that ends a wait early
    int paceMs = 20;          // pause between commands sent in a row
    int durationSeconds = 0;  // monitor: 0 runs until interrupted

    QString error;  // set when the command line is wrong

    static CCliOptions parse(const QStringList& arguments);
    static QString helpText();
};
