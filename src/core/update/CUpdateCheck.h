#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

class IUserNotifier;
class QNetworkAccessManager;
class QNetworkReply;
class QSettings;
class QTimer;

// Asks the maker's download index once whether a newer release of the program exists,
// tells the user, and marks it in the settings ("RELEASE"/"NEW" = 1) for the main
// frame's title. Silent on every failure: no index address, no network, an error
// status, an answer that is not the index, no answer within the wait.
//
// run() is what start-up calls: it returns when the check is over, after at most the
// wait (3 s), so the title can be chosen afterwards. start() is the same without
// waiting; finished() tells the end.
class CUpdateCheck : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kUserName = "qdh";
    static constexpr const char* kPassword = "mosslane";
    static constexpr const char* kIndexPath = "/customerportal/download_index.xml";
    static constexpr const char* kNewerRelease = "A more recent version is available";
    static constexpr std::chrono::milliseconds kDefaultWait{3000};
    // An index is a few kilobytes; anything far larger is not one.
    static constexpr qint64 kMaxIndexSize = qint64{1024} * 1024;

    // The store holds "RELEASE"/"NEW"; major and minor are this program's version.
    CUpdateCheck(QSettings& store, IUserNotifier& notifier, int major, int minor,
                 QObject* parent = nullptr);
    ~CUpdateCheck() override;

    // The download-index address ("http://host[:port][/prefix]"); empty makes no request.
    void setIndexAddress(const QString& address) { m_indexAddress = address; }
    void setWait(std::chrono::milliseconds wait) { m_wait = wait; }
    // The number that keeps caches from answering ("?t=%d"); a random one by default.
    void setCacheBuster(std::function<int()> draw) { m_draw = std::move(draw); }

    // The index address followed by the index path and "?t=%d"; an invalid URL when the
    // address is not an http or https address.
    static QUrl indexUrl(const QString& indexAddress, int cacheBuster);
    // "Basic " and the base64 of "qdh:mosslane".
    static QByteArray authorization();

    void run();
    void start();
    bool isRunning() const { return !m_reply.isNull(); }

signals:
    // The check is over; announced when the user was told of a newer release.
    void finished(bool announced);

private:
    void onReplyFinished();
    void onDownloadProgress(qint64 received);
    bool announceNewerReleases(const QByteArray& index);
    void finish(bool announced);

    QSettings& m_store;
    IUserNotifier& m_notifier;
    qint64 m_ownRelease = 0;
    QString m_indexAddress;
    std::chrono::milliseconds m_wait = kDefaultWait;
    std::function<int()> m_draw;
    QNetworkAccessManager* m_network = nullptr;
    QTimer* m_deadline = nullptr;
    QPointer<QNetworkReply> m_reply;
};
