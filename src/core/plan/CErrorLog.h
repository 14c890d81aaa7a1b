#pragma once

#include <QString>

class IClock;

// The error log: one time-stamped line per failure of an XML operation, appended to a
// file that is opened and closed for every report. Failures to write are silent; an empty
// path keeps no log at all.
class CErrorLog {
public:
    static constexpr const char* kDefaultFileName = "Vorel_Error_log.txt";

    explicit CErrorLog(IClock& clock, QString path = QString::fromLatin1(kDefaultFileName));

    void write(const QByteArray& report) const;
    QString path() const { return m_path; }

private:
    IClock& m_clock;
    QString m_path;
};
