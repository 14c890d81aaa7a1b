#pragma once

#include "cli/CCliCommand.h"

#include <optional>

class CUbrixVorelDoc;
struct CProjectDevice;

// "project": a project file assembled and checked without the program, through the same
// document operations as its device map view: show its devices, add a model, set one
// setting, check every setting against the schema. Nothing is sent to any device.
class CCliProjectCommand : public CCliCommand {
public:
    QString name() const override;
    QString arguments() const override;
    QString summary() const override;
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    QString configure(const QCommandLineParser& parser, const QStringList& arguments) override;
    int run(CCliSession& session) override;

    // The model of the list that text names: its caption (case and blanks do not count),
    // its file name or its index; none when no model matches.
    static std::optional<int> modelIndex(const QString& text);

private:
    enum class Action { Show, Add, Set, Check };

    int show(CCliSession& session) const;
    int add(CCliSession& session) const;
    int set(CCliSession& session) const;
    int check(CCliSession& session) const;
    int save(CCliSession& session) const;
    // The device of the project an address names: a dotted address a gateway, a number a
    // bus device; none (and a message) when the project has no such device.
    std::optional<CProjectDevice> deviceNamed(CCliSession& session, const QString& text) const;

    Action m_action = Action::Show;
    QString m_file;
    QString m_model;
    QString m_device;
    QString m_path;
    QString m_value;
    bool m_json = false;
    bool m_withSecrets = false;
};
