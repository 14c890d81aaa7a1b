#pragma once

#include <QString>

class QCommandLineParser;

// An option that takes a whole number in a range, and where its value goes.
struct CCliNumberOption {
    QString name;
    int minimum;
    int maximum;
    int& into;

    // Reads the value when the option is given (or has a default); returns why it is
    // wrong, or nothing.
    QString read(const QCommandLineParser& parser) const;
};
