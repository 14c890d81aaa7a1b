#include "core/report/CReportHtml.h"

#include "core/report/CReportText.h"

namespace {

using Kind = CReportBlock::Kind;

const char* const kStyle =
    "body{font-family:sans-serif;font-size:10pt;color:#000;margin:1.5em}"
    "h1{font-size:18pt}h2{font-size:14pt;margin-top:1.5em}h3{font-size:11pt;margin-bottom:2pt}"
    "table{border-collapse:collapse;margin:2pt 0 10pt 0}"
    "th,td{border:1px solid #999;padding:1pt 5pt;text-align:left;vertical-align:top}"
    "th{background:#e8e8e8}"
    ".keep{page-break-inside:avoid}"
    "@media print{body{margin:0}h2{page-break-after:avoid}}";

class Writer {
public:
    QByteArray out;

    void element(const char* tag, const QByteArray& text) {
        out += '<';
        out += tag;
        out += '>';
        out += CReportHtml::escape(CReportText::cut(text));
        out += "</";
        out += tag;
        out += ">\n";
    }
    void cells(const char* tag, const QList<QByteArray>& cells) {
        out += "<tr>";
        for (const QByteArray& cell : cells) {
            out += '<';
            out += tag;
            out += '>';
            out += CReportHtml::escape(CReportText::cut(cell));
            out += "</";
            out += tag;
            out += '>';
        }
        out += "</tr>\n";
    }
    void table(const CReportBlock& block) {
        out += "<table>\n";
        if (!block.header.isEmpty()) {
            cells("th", block.header);
        }
        for (const QList<QByteArray>& row : block.rows) {
            cells("td", row);
        }
        out += "</table>\n";
    }
};

}  // namespace

QByteArray CReportHtml::escape(QByteArrayView text) {
    QByteArray escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

QByteArray CReportHtml::of(const CReportDocument& report) {
    Writer w;
    w.out.reserve(1 << 20);
    w.out += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n";
    w.element("title", report.title);
    w.out += "<style>";
    w.out += kStyle;
    w.out += "</style></head>\n<body>\n";
    w.element("h1", report.title);
    bool keeping = false;
    for (const CReportBlock& block : report.blocks) {
        if (block.keepWithNext) {
            w.out += "<div class=\"keep\">\n";
        }
        switch (block.kind) {
            case Kind::Heading:
                w.element("h2", block.text);
                break;
            case Kind::Subheading:
                w.element("h3", block.text);
                break;
            case Kind::Paragraph:
                w.element("p", block.text);
                break;
            case Kind::Table:
                w.table(block);
                break;
        }
        if (keeping) {
            w.out += "</div>\n";
        }
        keeping = block.keepWithNext;
    }
    if (keeping) {
        w.out += "</div>\n";
    }
    w.out += "</body></html>\n";
    return w.out;
}
