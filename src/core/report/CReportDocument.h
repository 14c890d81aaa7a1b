#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// A report as plain content, before it is HTML or PDF: a title, then blocks in order. The
// core builds it (CSiteReport); CReportHtml writes it as one HTML file, CReportPdf (in
// vorel_print, the library that links Qt Gui) paints it page by page. Texts are UTF-8 as
// they came, never escaped here: each writer makes them safe for its own format.
struct CReportBlock {
    enum class Kind { Heading, Subheading, Paragraph, Table };

    Kind kind = Kind::Paragraph;
    QByteArray text;                      // heading and paragraph
    QList<QByteArray> header;             // table: the column headings; empty for a table of pairs
    std::vector<QList<QByteArray>> rows;  // table: one cell per column
    // A subheading with the table after it: kept on one page where it fits on one.
    bool keepWithNext = false;
};

struct CReportDocument {
    QByteArray title;
    std::vector<CReportBlock> blocks;

    void heading(QByteArray text) { add(CReportBlock::Kind::Heading, std::move(text)); }
    void subheading(QByteArray text, bool keepWithNext = false) {
        add(CReportBlock::Kind::Subheading, std::move(text)).keepWithNext = keepWithNext;
    }
    void paragraph(QByteArray text) { add(CReportBlock::Kind::Paragraph, std::move(text)); }
    // A new table; its rows follow with row().
    void table(QList<QByteArray> header) {
        add(CReportBlock::Kind::Table, {}).header = std::move(header);
    }
    void row(QList<QByteArray> cells) { blocks.back().rows.push_back(std::move(cells)); }

private:
    CReportBlock& add(CReportBlock::Kind kind, QByteArray text) {
        CReportBlock& block = blocks.emplace_back();
        block.kind = kind;
        block.text = std::move(text);
        return block;
    }
};
