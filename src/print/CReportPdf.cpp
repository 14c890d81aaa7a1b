#include "print/CReportPdf.h"

#include "core/report/CReportDocument.h"
#include "core/report/CReportText.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QSaveFile>
#include <algorithm>
#include <memory>

namespace {

using Kind = CReportBlock::Kind;

constexpr int kDpi = 300;
constexpr double kMarginMm = 15.0;
constexpr double kBodyPt = 8.0;
constexpr double kSubheadingPt = 10.0;
constexpr double kHeadingPt = 13.0;
constexpr double kTitlePt = 18.0;
constexpr double kCellPaddingPt = 3.0;
constexpr double kWidestColumnShare = 0.6;  // of the page, for a column of long texts
constexpr double kShortShare = 0.3;         // of the page: a section kept on one
const QColor kText(0, 0, 0);
const QColor kRule(0x99, 0x99, 0x99);
const QColor kHeaderFill(0xe8, 0xe8, 0xe8);

double points(double pt) {
    return pt * kDpi / 72.0;
}

// One font at one size, with the glyph run of every text it has set, so that the settings
// and values that repeat across thousands of devices are shaped once.
class Face {
public:
    Face(const QFont& font, double pointSize) : m_raw(QRawFont::fromFont(font)) {
        m_raw.setPixelSize(points(pointSize));
    }

    bool isValid() const { return m_raw.isValid(); }
    double ascent() const { return m_raw.ascent(); }
    double lineHeight() const { return (m_raw.ascent() + m_raw.descent()) * 1.3; }

    const QGlyphRun& run(const QByteArray& text) { return shaped(text).run; }
    double width(const QByteArray& text) { return shaped(text).width; }
    // The text's run, cut to width with an ellipsis when it is wider.
    QGlyphRun fitted(const QByteArray& text, double width) {
        const Shaped& whole = shaped(text);
        if (whole.width <= width) {
            return whole.run;
        }
        const Shaped& ellipsis = shaped("\xe2\x80\xa6");
        const double room = width - ellipsis.width;
        QList<quint32> glyphs;
        QList<QPointF> positions;
        const QList<quint32> wholeGlyphs = whole.run.glyphIndexes();
        const QList<QPointF> wholePositions = whole.run.positions();
        for (qsizetype i = 0; i < wholeGlyphs.size() && whole.ends[i] <= room; ++i) {
            glyphs << wholeGlyphs[i];
            positions << wholePositions[i];
        }
        glyphs << ellipsis.run.glyphIndexes();
        positions << QPointF(positions.isEmpty() ? 0.0 : whole.ends[positions.size() - 1], 0.0);
        QGlyphRun cut;
        cut.setRawFont(m_raw);
        cut.setGlyphIndexes(glyphs);
        cut.setPositions(positions);
        return cut;
    }

private:
    struct Shaped {
        QGlyphRun run;
        QList<double> ends;  // where each glyph's advance ends
        double width = 0;
    };

    // Every text is shaped as the report shows it, cut to its longest.
    const Shaped& shaped(const QByteArray& text) {
        const QByteArray shown = CReportText::cut(text);
        auto found = m_shaped.find(shown);
        if (found == m_shaped.end()) {
            found = m_shaped.insert(shown, shape(QString::fromUtf8(shown)));
        }
        return *found;
    }

    Shaped shape(const QString& text) const {
        const QList<quint32> glyphs = m_raw.glyphIndexesForString(text);
        const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs);
        Shaped shaped;
        QList<QPointF> positions;
        positions.reserve(glyphs.size());
        for (const QPointF& advance : advances) {
            positions << QPointF(shaped.width, 0.0);
            shaped.width += advance.x();
            shaped.ends << shaped.width;
        }
        shaped.run.setRawFont(m_raw);
        shaped.run.setGlyphIndexes(glyphs);
        shaped.run.setPositions(positions);
        return shaped;
    }

    QRawFont m_raw;
    QHash<QByteArray, Shaped> m_shaped;
};

class Painter {
public:
    Painter(QPdfWriter& writer, const QFont& font)
        : m_writer(writer),
          m_body(font, kBodyPt),
          m_bold(boldOf(font), kBodyPt),
          m_subheading(boldOf(font), kSubheadingPt),
          m_heading(boldOf(font), kHeadingPt),
          m_title(boldOf(font), kTitlePt),
          m_page(writer.pageLayout().paintRectPixels(kDpi)),
          m_padding(points(kCellPaddingPt)),
          m_footerHeight(m_body.lineHeight() * 2) {}

    bool begin() {
        if (!m_body.isValid() || !m_bold.isValid() || !m_painter.begin(&m_writer)) {
            return false;
        }
        m_painter.setPen(kText);
        return true;
    }
    void end() {
        footer();
        m_painter.end();
    }

    void title(const QByteArray& text) { line(m_title, text, 0.5); }

    void block(const CReportBlock& block, const CReportBlock* next) {
        switch (block.kind) {
            case Kind::Heading:
                m_subheadingText.clear();
                space(m_heading.lineHeight() * 0.6);
                keepRoom(m_heading.lineHeight() + 3 * m_body.lineHeight());
                line(m_heading, block.text, 0.2);
                break;
            case Kind::Subheading: {
                space(m_subheading.lineHeight() * 0.4);
                // With what follows when that is short (a longer table would leave half
                // pages empty; it goes on on the next, under its heading); else with its
                // first rows.
                const double least = m_subheading.lineHeight() + 3 * rowHeight();
                const double whole = block.keepWithNext && next != nullptr
                                         ? m_subheading.lineHeight() + height(*next)
                                         : least;
                keepRoom(whole <= pageHeight() * kShortShare ? whole : least);
                line(m_subheading, block.text, 0.1);
                m_subheadingText = CReportText::cut(block.text);
                break;
            }
            case Kind::Paragraph:
                line(m_body, block.text, 0.3);
                break;
            case Kind::Table:
                table(block);
                break;
        }
    }

private:
    static QFont boldOf(QFont font) {
        font.setBold(true);
        return font;
    }

    double pageHeight() const { return m_page.height() - m_footerHeight; }

    void space(double height) {
        if (m_y > 0) {
            m_y += height;
        }
    }
    // A new page unless height fits below.
    void keepRoom(double height) {
        if (m_y > 0 && m_y + height > pageHeight()) {
            newPage();
        }
    }
    void newPage() {
        footer();
        m_writer.newPage();
        ++m_pageNumber;
        m_y = 0;
    }
    void footer() {
        const QByteArray text = "Page " + QByteArray::number(m_pageNumber);
        m_painter.drawGlyphRun(QPointF(m_page.width() - m_body.width(text),
                                       m_page.height() - m_body.lineHeight() + m_body.ascent()),
                               m_body.run(text));
    }
    void line(Face& face, const QByteArray& text, double after) {
        keepRoom(face.lineHeight());
        m_painter.drawGlyphRun(QPointF(0, m_y + face.ascent()), face.fitted(text, m_page.width()));
        m_y += face.lineHeight() * (1.0 + after);
    }

    double rowHeight() { return m_body.lineHeight(); }
    double height(const CReportBlock& block) {
        if (block.kind != Kind::Table) {
            return m_body.lineHeight() * 1.3;
        }
        const qsizetype rows = block.rows.size() + (block.header.isEmpty() ? 0 : 1);
        return static_cast<double>(rows) * rowHeight() + m_body.lineHeight() * 0.5;
    }

    // Each column as wide as its widest text, the widest columns narrowed when the table
    // would not fit the page.
    QList<double> columnWidths(const CReportBlock& block) {
        qsizetype columns = block.header.size();
        for (const QList<QByteArray>& row : block.rows) {
            columns = std::max(columns, row.size());
        }
        QList<double> widths(columns, 0.0);
        const auto measure = [&](Face& face, const QList<QByteArray>& cells) {
            for (qsizetype c = 0; c < cells.size(); ++c) {
                widths[c] = std::max(widths[c], face.width(cells[c]) + 2 * m_padding);
            }
        };
        measure(m_bold, block.header);
        for (const QList<QByteArray>& row : block.rows) {
            measure(m_body, row);
        }
        const double page = m_page.width();
        for (double& width : widths) {
            width = std::min(width, page * kWidestColumnShare);
        }
        double total = 0;
        for (const double width : widths) {
            total += width;
        }
        if (total > page) {
            for (double& width : widths) {
                width *= page / total;
            }
        }
        return widths;
    }

    void cells(Face& face, const QList<QByteArray>& cells, const QList<double>& widths) {
        double x = 0;
        for (qsizetype c = 0; c < cells.size() && c < widths.size(); ++c) {
            if (!cells[c].isEmpty()) {
                m_painter.drawGlyphRun(QPointF(x + m_padding, m_y + face.ascent() + m_padding / 2),
                                       face.fitted(cells[c], widths[c] - 2 * m_padding));
            }
            x += widths[c];
        }
        m_y += rowHeight();
    }

    void header(const CReportBlock& block, const QList<double>& widths, double width) {
        if (block.header.isEmpty()) {
            return;
        }
        m_painter.fillRect(QRectF(0, m_y, width, rowHeight()), kHeaderFill);
        cells(m_bold, block.header, widths);
    }

    void table(const CReportBlock& block) {
        const QList<double> widths = columnWidths(block);
        double width = 0;
        for (const double column : widths) {
            width += column;
        }
        keepRoom(rowHeight() * (block.header.isEmpty() ? 1 : 2));
        double top = m_y;
        header(block, widths, width);
        for (const QList<QByteArray>& row : block.rows) {
            if (m_y + rowHeight() > pageHeight()) {
                frame(top, width);
                newPage();
                if (!m_subheadingText.isEmpty()) {
                    line(m_subheading, m_subheadingText + " (continued)", 0.1);
                }
                top = m_y;
                header(block, widths, width);
            }
            cells(m_body, row, widths);
        }
        frame(top, width);
        m_y += m_body.lineHeight() * 0.5;
    }

    // The outline of the table's part on this page.
    void frame(double top, double width) {
        m_painter.setPen(QPen(kRule, points(0.5)));
        m_painter.drawRect(QRectF(0, top, width, m_y - top));
        m_painter.setPen(kText);
    }

    QPdfWriter& m_writer;
    QPainter m_painter;
    Face m_body;
    Face m_bold;
    Face m_subheading;
    Face m_heading;
    Face m_title;
    QRectF m_page;
    double m_padding;
    double m_footerHeight;
    double m_y = 0;
    int m_pageNumber = 1;
    QByteArray m_subheadingText;  // what a table continued on a new page belongs to
};

}  // namespace

bool CReportPdf::write(const CReportDocument& report, const QString& path, QString& reason) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        reason = QStringLiteral("writing a PDF needs the GUI application");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(QString::fromUtf8(CReportText::cut(report.title)));
        writer.setCreator(QCoreApplication::applicationName());
        writer.setResolution(kDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        Painter painter(writer, QFontDatabase::systemFont(QFontDatabase::GeneralFont));
        if (!painter.begin()) {
            reason = QStringLiteral("no font to write the PDF with");
            file.cancelWriting();
            return false;
        }
        painter.title(report.title);
        for (size_t i = 0; i < report.blocks.size(); ++i) {
            painter.block(report.blocks[i],
                          i + 1 < report.blocks.size() ? &report.blocks[i + 1] : nullptr);
        }
        painter.end();
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
