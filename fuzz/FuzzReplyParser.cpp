// Feeds arbitrary datagram texts through AddMsg. Whatever arrives, the plan must stay
// well-formed and must come back the same after a save and a load. Inputs of plain
// printable text also go through the plain XPath way of entering replies on a fresh plan,
// which must build the very same plan as the document's indexed way.
#include "core/common/CXmlBlankText.h"
#include "core/common/CXmlFile.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/plan/CErrorLog.h"
#include "core/settings/CSettings.h"
#include "support/CManualClock.h"
#include "support/CNaiveReplyWriter.h"
#include "support/CRecordingNotifier.h"

#include "FuzzRequire.h"

#include <QByteArray>

namespace {

struct Site {
    CManualClock clock{QDateTime(QDate(2026, 1, 1), QTime(0, 0))};
    CSettings settings;
    CRecordingNotifier notifier;
    CErrorLog errorLog{clock, QString()};  // millions of inputs: no file, no seek warning
    CUbrixVorelDoc doc{settings, notifier, errorLog};
    Site() {
        settings.log = 0;
        doc.newPlan();
    }
};

QByteArray compact(const pugi::xml_node& node) {
    struct Collect : pugi::xml_writer {
        QByteArray text;
        void write(const void* bytes, size_t size) override {
            text.append(static_cast<const char*>(bytes), static_cast<qsizetype>(size));
        }
    } collect;
    node.print(collect, "", pugi::format_raw | pugi::format_no_declaration);
    return collect.text;
}

// What the loader drops from every element it checks.
void dropBlankTextBesideElements(pugi::xml_node node) {
    CXmlBlankText::dropBeside(node);
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element) {
            dropBlankTextBesideElements(child);
        }
    }
}

// Blank text beside a group's settings does not come back from a file (see CXmlBlankText);
// everything else must.
QByteArray savedAsAFileCanHoldIt(const pugi::xml_document& plan) {
    pugi::xml_document copy;
    copy.reset(plan);
    dropBlankTextBesideElements(copy.root());
    return CXmlFile::serialize(copy);
}

// Printable text without quotes: what both ways must read alike. (Hostile bytes and
// quotes are refused by the document where the plain way would go on regardless.)
bool comparable(const QByteArray& input) {
    for (const char c : input) {
        if (c != '\n' && (c < 0x20 || c > 0x7E || c == '\'')) {
            return false;
        }
    }
    return true;
}

void compareWithPlainXPath(const QList<QByteArray>& lines) {
    Site fresh;
    pugi::xml_document reference;
    reference.reset(fresh.doc.plan());
    CNaiveReplyWriter naive(reference);
    try {
        for (const QByteArray& line : lines) {
            fresh.doc.inboundQueue().push(line);
            naive.handle(line);
        }
    } catch (const pugi::xpath_exception&) {
        return;  // a name no XPath can hold: the document refuses it as an error too
    } catch (const CNaiveReplyWriter::NotAName&) {
        return;  // a name the XPath text reads as a path: the document refuses the name
    }
    for (int drains = 0; drains < 1000 && !fresh.doc.inboundQueue().isEmpty(); ++drains) {
        fresh.doc.AddMsg();
    }
    // Names the document refuses stop it where the plain way goes on; compare only
    // where the plain way built a plan the document could have built.
    if (CXmlFile::checkWellFormed(reference).isEmpty()) {
        require(compact(fresh.doc.plan()) == compact(reference), "same plan as plain XPath");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Site* site = nullptr;
    // A fresh plan now and then, so that the fuzzer also sees replies meet an empty plan.
    static int runs = 0;
    if (site == nullptr || ++runs % 64 == 0) {
        delete site;
        site = new Site;
    }
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<QByteArray> lines;
    for (const QByteArray& text : input.split('\n')) {
        // Lines as the receive thread queues them, and a few without the usual prefix.
        lines << (text.startsWith('~') ? text.mid(1) : "[00:00:00] (10.0.0.1) " + text);
    }
    for (const QByteArray& line : lines) {
        site->doc.inboundQueue().push(line);
    }
    if (comparable(input)) {
        compareWithPlainXPath(lines);
    }
    for (int drains = 0; drains < 1000 && !site->doc.inboundQueue().isEmpty(); ++drains) {
        site->doc.AddMsg();
    }
    require(CXmlFile::checkWellFormed(site->doc.plan()).isEmpty(), "plan well-formed");
    const QByteArray saved = CXmlFile::serialize(site->doc.plan());
    pugi::xml_document reloaded;
    QString reason;
    require(CXmlFile::parse(saved, reloaded, reason), "saved plan parses");
    const QByteArray again = CXmlFile::serialize(reloaded);
    if (again != saved && again != savedAsAFileCanHoldIt(site->doc.plan())) {
        std::fprintf(stderr, "saved:\n%s\nreloaded:\n%s\n", saved.constData(), again.constData());
        require(false, "saved plan loads unchanged");
    }
    return 0;
}
