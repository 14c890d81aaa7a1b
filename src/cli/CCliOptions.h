#pragma once

#include "core/protocol/CRetryRule.h"
#include "core/sequence/CPacing.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <variant>

class QCommandLineParser;

// The options every command of vorel-cli takes: how to reach the gateways and how long
// to wait for them. The options several commands share, but not all, are defined here
// once so that they read the same everywhere.
struct CCliOptions {
    QString adapter;        // name, index or address; empty: the first wired one
    bool loopback = false;  // the demo adapter on 127.0.0.1
    int sendPort = 5000;
    int receivePort = 4000;
    bool tcp = false;
    int tcpPort = 23;
    int waitMs = 2000;  // how long a reply may keep us waiting after the last one
    int quietMs = 400;  // silence that ends a wait early
    int paceMs = 20;    // pause between commands sent in a row
    // How often a query, or a set whose echo is awaited, goes again when its answer did not
    // come (only texts safe to repeat: CRetryRule).
    int retries = CRetryRule::kDefaultRetries;

    // The option definitions, for the parser and the help.
    static QList<QCommandLineOption> common();
    // Reads the common options; returns why a value is wrong, or nothing.
    QString read(const QCommandLineParser& parser);

    static QCommandLineOption json();
    // --with-secrets: the values of credentials, which every output a user keeps or
    // shares otherwise shows as "(set)" or "(empty)" (CSecretRule).
    static QCommandLineOption withSecrets();
    static bool readWithSecrets(const QCommandLineParser& parser);
    // --to IP: the one gateway a command goes to (default: broadcast).
    static QCommandLineOption to();
    static QCommandLineOption noTime();
    static QCommandLineOption noSender();
    // --pacing fixed|replies, replies by default, as every sequence of the program offers.
    static QCommandLineOption pacing();
    // The bus device options of address and replace: --uid N, --serial SN, --arm, --via IP.
    static QCommandLineOption uid();
    static QCommandLineOption serial();
    static QCommandLineOption arm();
    static QCommandLineOption via();
    // The pacing asked for; why the value is wrong when it is.
    static std::variant<CPacing, QString> readPacing(const QCommandLineParser& parser);
};
