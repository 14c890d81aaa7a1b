#include "CDocFixture.h"

#include <QFile>

CDocFixture::CDocFixture(bool logging) : m_clock(QDateTime(QDate(2026, 12, 6), QTime(14, 3, 9))) {
    m_settings.log = logging ? 1 : 0;
    m_settings.logFilename = m_dir.filePath(QStringLiteral("logfile.txt"));
    m_errorLog =
        std::make_unique<CErrorLog>(m_clock, m_dir.filePath(QStringLiteral("Vorel_Error_log.txt")));
    m_doc = std::make_unique<CUbrixVorelDoc>(m_settings, m_notifier, *m_errorLog);
    QObject::connect(m_doc.get(), &CUbrixVorelDoc::updateAllViews,
                     [this](quint32 hint) { m_hints.append(hint); });
    m_doc->newPlan();
    m_hints.clear();
}

void CDocFixture::receive(const QList<QByteArray>& lines) {
    for (const QByteArray& line : lines) {
        m_doc->inboundQueue().push(line);
    }
    m_doc->AddMsg();
}

QList<quint32> CDocFixture::takeHints() {
    QList<quint32> hints;
    hints.swap(m_hints);
    return hints;
}

QByteArray CDocFixture::errorLogText() const {
    QFile file(m_errorLog->path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {
class Collect : public pugi::xml_writer {
public:
    QByteArray text;
    void write(const void* data, size_t size) override {
        text.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};
}  // namespace

QByteArray CDocFixture::compact(const pugi::xml_node& node) {
    Collect collect;
    node.print(collect, "", pugi::format_raw | pugi::format_no_declaration);
    return collect.text;
}

QByteArray CDocFixture::planText() const {
    return compact(m_doc->plan().document_element());
}
