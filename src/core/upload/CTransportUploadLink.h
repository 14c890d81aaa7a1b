#pragma once

#include "core/upload/IUploadLink.h"

#include <functional>

class CTransport;
class IUserNotifier;

// An upload's way out through the program's transport: commands go with SendText, errors
// to the notifier, and the discover prompt to whatever the caller gives (the program asks
// in a message box, the command-line tool follows its --missing option).
class CTransportUploadLink : public IUploadLink {
public:
    using Ask = std::function<Answer(const QString& text)>;

    CTransportUploadLink(CTransport& transport, IUserNotifier& notifier, Ask ask);

    bool send(const QByteArray& text, quint32 address) override;
    QByteArray reachesInstead(quint32 address) const override;
    void showError(const QString& text) override;
    Answer askDiscover(const QString& text) override;

private:
    CTransport& m_transport;
    IUserNotifier& m_notifier;
    Ask m_ask;
};
