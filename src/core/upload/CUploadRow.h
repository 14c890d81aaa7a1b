#pragma once

#include "core/upload/CTemplateSetting.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

// One visited setting of a project device compared with what the device reported: what
// the upload does with it and, for a difference, the exact command.
struct CUploadRow {
    enum class Outcome {
        Match,         // the device has the value already
        Differs,       // sent
        NotReported,   // the device did not report the setting: nothing is said or sent
        EmptyValue,    // the project gives no value
        NotInSchema,   // the device type has no such setting
        NotAnOption,   // not one of the setting's options
        ReadOnly,      // the device reports another value, but nobody may set it
        UnsafeValue,   // a value, port or index that cannot go out in a command
        InvalidValue,  // not of the setting's value type
    };

    CTemplateSetting setting;
    Outcome outcome = Outcome::NotReported;
    std::optional<std::string> reported;
    QByteArray command;    // Differs: the set command, byte for byte
    QByteArray wireValue;  // Differs: the value as it goes out, which the echo repeats
    QString refusal;       // UnsafeValue, InvalidValue: why, in the user's words
    // A gateway's connection setting (NETWORK, UDP): handled after all its others, so that
    // a new address or port cannot swallow the rest.
    bool deferred = false;
    // A credential (CSecretRule): the upload's log lines and its refusal show its value as
    // "(set)" or "(empty)", and so does every output once hideSecret() ran.
    bool secret = false;

    // What became of a Differs row in a run.
    enum class Delivery {
        NotSent,    // a preview, or the upload ended first
        Sent,       // no echo came
        Confirmed,  // the device echoed the value
        // No echo came, but asked again afterwards the device reports the value.
        ReportedWhenAsked,
        AnsweredOther,  // the device echoed another value (in answered)
        SendFailed,
    };
    Delivery delivery = Delivery::NotSent;
    QByteArray answered;
    int repeats = 0;  // the command went again: no echo came in its pause

    bool isSent() const { return outcome == Outcome::Differs; }
    // A secret row's values, command and answer as outputs show them unless the secrets
    // are asked for; a row sent already, or one that is only shown. Others stay as they are.
    void hideSecret();
    // "match", "differs", "not reported", ...: how previews and reports name the outcome.
    static const char* outcomeName(Outcome outcome);
    // [port "."] [group "."] key ["." index], as commands and replies name the place.
    QByteArray placeText() const;
};
