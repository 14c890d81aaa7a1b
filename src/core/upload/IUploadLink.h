#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// What an upload needs of the program around it: the way out to the devices and the two
// questions it may put to the user. The program answers with message boxes, the
// command-line tool on its terminal, tests by script. Every call comes on the GUI thread.
class IUploadLink {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~IUploadLink() = default;

    // Hands the text to the transport for that address (255.255.255.255: every gateway);
    // false when it could not go out.
    virtual bool send(const QByteArray& text, quint32 address) = 0;
    // The gateway (dotted) that a text to address would reach instead of it, as over a TCP
    // connection kept to another gateway; empty when it goes where it is sent.
    virtual QByteArray reachesInstead(quint32 address) const = 0;
    // A gateway did not answer: the text is shown, and the upload goes on once it is seen.
    virtual void showError(const QString& text) = 0;
    // A bus device did not answer: Yes once its discover button was pressed, No to pass it
    // over, Cancel to end the upload.
    virtual Answer askDiscover(const QString& text) = 0;
};
