#pragma once

#include <QByteArrayView>
#include <QList>
#include <QtGlobal>
#include <optional>

// The maker's download index: an XML document whose file elements with the moniker
// "VOREL" list this program's releases in version child elements, "major.minor".
class CDownloadIndex {
public:
    static constexpr const char* kFileQuery = "//file[@moniker='VOREL']";
    static constexpr const char* kVersionElement = "version";

    // The release numbers (major * 256 + minor) of every version element in document
    // order; none when the text is not an XML document.
    static std::optional<QList<qint64>> releases(QByteArrayView xml);

    // A version text as the program has always read it: split at the first "."; the
    // major number is the text before it and the minor number the text after it, each
    // read like atoi. Without a "." the major number is 0 and the minor number is read
    // from the whole text ("3" is release 3).
    static qint64 releaseOf(QByteArrayView versionText);
    // Leading blanks, a sign, then digits up to the first other character; 0 when there
    // are none. Saturates instead of overflowing.
    static int leadingNumber(QByteArrayView text);
    static qint64 release(qint64 major, qint64 minor) { return major * 256 + minor; }
};
