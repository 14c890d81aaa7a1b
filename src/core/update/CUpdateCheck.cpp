#include "core/update/CUpdateCheck.h"

#include "core/common/IUserNotifier.h"
#include "core/settings/CSettings.h"
#include "core/update/CDownloadIndex.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QSettings>
#include <QTimer>
#include <limits>

namespace {

int drawRandom() {
    return static_cast<int>(
        QRandomGenerator::global()->bounded(static_cast<quint32>(std::numeric_limits<int>::max())));
}

bool isSuccess(const QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return reply.error() == QNetworkReply::NoError && status >= 200 && status < 300;
}

}  // namespace

CUpdateCheck::CUpdateCheck(QSettings& store, IUserNotifier& notifier, int major, int minor,
                           QObject* parent)
    : QObject(parent),
      m_store(store),
      m_notifier(notifier),
      m_ownRelease(CDownloadIndex::release(major, minor)),
      m_draw(drawRandom),
      m_network(new QNetworkAccessManager(this)),
      m_deadline(new QTimer(this)) {
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply) {
            m_reply->abort();  // finishes the reply with an error: silent
        }
    });
}

CUpdateCheck::~CUpdateCheck() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QUrl CUpdateCheck::indexUrl(const QString& indexAddress, int cacheBuster) {
    QString address = indexAddress.trimmed();
    while (address.endsWith(QLatin1Char('/'))) {
        address.chop(1);
    }
    QUrl url(address + QLatin1String(kIndexPath) + QStringLiteral("?t=%1").arg(cacheBuster),
             QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return {};
    }
    return url;
}

QByteArray CUpdateCheck::authorization() {
    return QByteArrayLiteral("Basic ") +
           (QByteArray(kUserName) + ':' + QByteArray(kPassword)).toBase64();
}

void CUpdateCheck::run() {
    QEventLoop loop;
    connect(this, &CUpdateCheck::finished, &loop, &QEventLoop::quit);
    start();
    if (isRunning()) {
        loop.exec();
    }
}

void CUpdateCheck::start() {
    if (isRunning()) {
        return;
    }
    if (CSettings::newerReleaseAnnounced(m_store)) {
        emit finished(false);  // told once already
        return;
    }
    const QUrl url = indexUrl(m_indexAddress, m_draw());
    if (m_indexAddress.trimmed().isEmpty() || !url.isValid()) {
        emit finished(false);
        return;
    }
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", authorization());
    request.setTransferTimeout(static_cast<int>(m_wait.count()));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &CUpdateCheck::onReplyFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64) { onDownloadProgress(received); });
    m_deadline->start(m_wait);
}

void CUpdateCheck::onDownloadProgress(qint64 received) {
    if (received > kMaxIndexSize && m_reply) {
        m_reply->abort();
    }
}

void CUpdateCheck::onReplyFinished() {
    m_deadline->stop();
    QNetworkReply* reply = m_reply.data();
    m_reply.clear();
    if (reply == nullptr) {
        return;
    }
    reply->deleteLater();
    const QByteArray index = isSuccess(*reply) ? reply->read(kMaxIndexSize + 1) : QByteArray();
    finish(!index.isEmpty() && index.size() <= kMaxIndexSize && announceNewerReleases(index));
}

bool CUpdateCheck::announceNewerReleases(const QByteArray& index) {
    const std::optional<QList<qint64>> releases = CDownloadIndex::releases(index);
    if (!releases) {
        return false;
    }
    bool announced = false;
    // One message per newer entry, as the program always did.
    for (const qint64 release : *releases) {
        if (m_ownRelease < release) {
            m_notifier.showMessage(QString::fromLatin1(kNewerRelease));
            CSettings::setNewerReleaseAnnounced(m_store, true);
            announced = true;
        }
    }
    return announced;
}

void CUpdateCheck::finish(bool announced) {
    emit finished(announced);
}
