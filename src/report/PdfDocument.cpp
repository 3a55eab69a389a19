#include "report/ReportContent.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <functional>
#include <numeric>

// The pages are laid out here rather than by a rich-text layout: that is what lets a row, a
// checksum and a heading with its table stay together, and column widths follow what the columns
// hold. Lengths are in device units of the writer (1/1200 inch).
namespace sw::report {

namespace {

constexpr qreal Dpi = 1200;
constexpr qreal pt(qreal points)
{
    return points * Dpi / 72;
}
constexpr qreal mm(qreal millimetres)
{
    return millimetres * Dpi / 25.4;
}

constexpr qreal Margin = mm(10);
constexpr qreal FooterBaseline = mm(6); // above the page's lower edge
constexpr qreal CellPadX = pt(2);
constexpr qreal CellPadY = pt(1.2);
constexpr qreal RuleWidth = pt(0.5);

constexpr qreal TitleSize = 16;
constexpr qreal HeadingSize = 12;
constexpr qreal BodySize = 9;
constexpr qreal ListSize = 8; // the tables on landscape pages; the others take BodySize
constexpr qreal SmallestSize = 6;
constexpr qreal SizeStep = 0.5;
constexpr qreal FooterSize = 8;

const QColor TextColor(0x00, 0x00, 0x00);
const QColor RuleColor(0x8a, 0x8f, 0x96);
const QColor HeaderFill(0xe4, 0xe8, 0xee);
const QColor GroupFill(0xf2, 0xf4, 0xf7);

QFont font(qreal size, bool bold = false, bool monospace = false)
{
    QFont f(monospace ? QStringLiteral("monospace") : QStringLiteral("sans-serif"));
    f.setStyleHint(monospace ? QFont::Monospace : QFont::SansSerif);
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting); // widths that scale with the size
    // One glyph per character: no ligature stands in for "fi" in a name someone searches for.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

bool breaksAfter(QChar c, Breaks breaks)
{
    switch (breaks) {
    case Breaks::Words:
        return c == u' ';
    case Breaks::Reference:
        return c == u'/' || c == u'.';
    case Breaks::Never:
        break;
    }
    return false;
}

// `text` cut after each place where `breaks` allows a new line.
QStringList pieces(const QString &text, Breaks breaks)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (breaksAfter(text[i], breaks)) {
            out << text.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < text.size())
        out << text.mid(start);
    return out;
}

// One character (grapheme) per piece: the last resort for a piece wider than its column.
QStringList characters(const QString &text)
{
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        out << text.mid(start, end - start);
        start = end;
    }
    return out;
}

QStringView withoutTrailingSpaces(QStringView text)
{
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

// The paragraphs of a cell: line feeds start a line, a tab reads as a space.
QStringList paragraphs(const QString &text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n').replace(u'\t', u' ');
    return plain.split(u'\n');
}

// The lines of `text` no wider than `width`, broken where `breaks` allows. A piece still wider is
// broken after "/" or "." and, failing that, between characters.
QStringList wrap(const QString &text, Breaks breaks, const QFontMetricsF &metrics, qreal columnWidth)
{
    const qreal width = columnWidth + 0.01; // a width measured as extent() does holds its text
    QStringList lines;
    for (const QString &paragraph : paragraphs(text)) {
        QString line;
        qreal lineWidth = 0; // trailing spaces included
        const auto flush = [&] {
            lines << withoutTrailingSpaces(line).toString();
            line.clear();
            lineWidth = 0;
        };
        std::function<void(const QString &, int)> place = [&](const QString &piece, int level) {
            const qreal pieceWidth = metrics.horizontalAdvance(withoutTrailingSpaces(piece).toString());
            if (!line.isEmpty() && lineWidth + pieceWidth <= width) {
                line += piece;
                lineWidth += metrics.horizontalAdvance(piece);
                return;
            }
            if (!line.isEmpty())
                flush();
            if (pieceWidth <= width || level == 2) {
                line = piece;
                lineWidth = metrics.horizontalAdvance(piece);
                return;
            }
            if (level == 0 && breaks == Breaks::Words) {
                const QStringList parts = pieces(piece, Breaks::Reference);
                if (parts.size() > 1) {
                    for (const QString &part : parts)
                        place(part, 1);
                    return;
                }
            }
            for (const QString &character : characters(piece))
                place(character, 2);
        };
        for (const QString &piece : pieces(paragraph, breaks))
            place(piece, 0);
        flush();
    }
    return lines;
}

// How wide a column's texts are: the narrowest they can be set without breaking where they must
// not, the widest of its cells on one line, and that with the header too. Widths add up piece by
// piece, as wrap() adds them.
struct Extent
{
    qreal least = 0;
    qreal cells = 0;
    qreal whole = 0;
};

Extent extent(const QString &text, Breaks breaks, const QFontMetricsF &metrics)
{
    Extent e;
    for (const QString &paragraph : paragraphs(text)) {
        qreal line = 0;
        for (const QString &piece : pieces(paragraph, breaks)) {
            const qreal trimmed = metrics.horizontalAdvance(withoutTrailingSpaces(piece).toString());
            e.least = std::max(e.least, trimmed);
            e.whole = std::max(e.whole, line + trimmed);
            line += metrics.horizontalAdvance(piece);
        }
    }
    e.cells = e.whole;
    return e;
}

struct LaidRow
{
    QList<QStringList> lines; // per column; a group row has one cell across the table
    qsizetype top = 0; // the lines beside each other; the column set under them follows
    qsizetype lineCount = 0;
    bool group = false;
};

// A table set for one page width: its font size, column widths and every cell's lines.
struct LaidTable
{
    bool grid = true;
    QFont cellFont, headerFont, monospaceFont;
    QList<bool> strong, monospace;
    QList<qreal> widths; // per column, padding included; 0 for the column set under the others
    qsizetype under = -1; // the column set under the others, from column `underFrom` to the end
    qsizetype underFrom = 0;
    qreal lineHeight = 0;
    qreal ascent = 0;
    LaidRow header; // lineCount 0 without a header row
    QList<LaidRow> rows;

    qreal width() const { return std::accumulate(widths.begin(), widths.end(), qreal(0)); }
    qreal left(qsizetype column) const { return std::accumulate(widths.begin(), widths.begin() + column, qreal(0)); }
    qreal height(qsizetype lines) const { return lines == 0 ? 0 : lines * lineHeight + 2 * CellPadY; }
    qreal height(const LaidRow &r) const { return height(r.lineCount); }
    // What must fit below the header on a page before row `i` is set there: a group title comes
    // with the row after it.
    qreal unitHeight(qsizetype i) const
    {
        qreal h = height(rows[i]);
        if (rows[i].group && i + 1 < rows.size())
            h += height(rows[i + 1]);
        return h;
    }
};

// Column widths (padding included) for `available` width, for the columns `inLine` marks. Every
// column gets its narrowest; the columns whose values are searched for as one string (references,
// checksums) then grow to their whole width, the others share what is left, and a grid table
// takes the whole width.
QList<qreal> columnWidths(const Table &table, const QList<Extent> &extents, const QList<bool> &inLine, qreal available)
{
    const qsizetype n = extents.size();
    const qsizetype count = std::count(inLine.begin(), inLine.end(), true);
    QList<qreal> widths(n);
    qreal room = std::max(available - count * 2 * CellPadX, qreal(0));
    qreal least = 0;
    for (qsizetype c = 0; c < n; ++c)
        least += widths[c] = inLine[c] ? extents[c].least : 0;
    if (least > room) {
        // Words wider than the page: a text column takes no more than an even share, and breaks
        // inside them; references and checksums keep their names whole where they still can.
        least = 0;
        for (qsizetype c = 0; c < n; ++c) {
            if (table.columns[c].breaks == Breaks::Words)
                widths[c] = std::min(widths[c], room / count);
            least += widths[c];
        }
    }
    if (least > room) {
        for (qreal &w : widths)
            w = w * room / least;
    } else {
        room -= least;
        // References and checksums first, then every cell on one line, then the headers.
        const auto grow = [&](const auto &target, bool references) {
            const auto wants = [&](qsizetype c) {
                return inLine[c] && (table.columns[c].breaks != Breaks::Words) == references
                    ? std::max(target(extents[c]) - widths[c], qreal(0))
                    : qreal(0);
            };
            qreal wanted = 0;
            for (qsizetype c = 0; c < n; ++c)
                wanted += wants(c);
            const qreal share = wanted > room ? room / wanted : 1;
            for (qsizetype c = 0; c < n; ++c) {
                const qreal more = wants(c) * share;
                widths[c] += more;
                room -= more;
            }
        };
        grow([](const Extent &e) { return e.whole; }, true);
        grow([](const Extent &e) { return e.cells; }, false);
        grow([](const Extent &e) { return e.whole; }, false);
        if (table.grid && room > 0) {
            const qreal total = std::accumulate(widths.begin(), widths.end(), qreal(0));
            for (qsizetype c = 0; c < n; ++c)
                if (inLine[c])
                    widths[c] += total > 0 ? room * widths[c] / total : room / count;
        }
    }
    for (qsizetype c = 0; c < n; ++c)
        if (inLine[c])
            widths[c] += 2 * CellPadX;
    return widths;
}

// `table` set at the largest size from `largest` down that keeps its references whole.
LaidTable layTable(const Table &table, qreal largest, qreal available, qreal bodyHeight, QPaintDevice *device)
{
    const qsizetype n = table.columns.size();
    const auto measure = [&](qreal size) {
        const QFontMetricsF headerMetrics(font(size, true), device);
        QList<Extent> extents(n);
        for (qsizetype c = 0; c < n; ++c) {
            const Column &column = table.columns[c];
            const QFontMetricsF metrics(font(size, column.strong, column.monospace), device);
            Extent &into = extents[c];
            into = extent(column.header, Breaks::Words, headerMetrics);
            into.cells = 0;
            for (const Row &row : table.rows) {
                if (row.group)
                    continue;
                const Extent e = extent(row.cells.value(c), column.breaks, metrics);
                into.least = std::max(into.least, e.least);
                into.cells = std::max(into.cells, e.cells);
                into.whole = std::max(into.whole, e.whole);
            }
        }
        return extents;
    };

    // A description that would keep a row from one line goes under the row, across the columns
    // from the reference on.
    LaidTable laid;
    laid.grid = table.grid;
    QList<bool> inLine(n, true);
    const auto padded = [&] { return available - std::count(inLine.begin(), inLine.end(), true) * 2 * CellPadX; };
    QList<Extent> extents = measure(largest);
    for (qsizetype c = 0; c < n; ++c) {
        if (table.columns[c].under && laid.under < 0) {
            const qreal oneLine = std::accumulate(extents.begin(), extents.end(), qreal(0),
                [](qreal sum, const Extent &e) { return sum + std::max(e.least, e.cells); });
            if (oneLine > padded()) {
                laid.under = c;
                inLine[c] = false;
            }
        }
        if (table.columns[c].breaks == Breaks::Reference && laid.underFrom == 0)
            laid.underFrom = c;
    }

    // The largest size at which every reference and checksum fits on one line, if any does.
    qreal size = largest;
    for (;; size -= SizeStep) {
        qreal needed = 0;
        for (qsizetype c = 0; c < n; ++c)
            if (inLine[c])
                needed += table.columns[c].breaks == Breaks::Words ? extents[c].least : extents[c].whole;
        if (needed <= padded() || size - SizeStep < SmallestSize)
            break;
        extents = measure(size - SizeStep);
    }

    laid.widths = columnWidths(table, extents, inLine, available);
    laid.cellFont = font(size);
    laid.headerFont = font(size, true);
    laid.monospaceFont = font(size, false, true);
    const QFontMetricsF cellMetrics(laid.cellFont, device);
    const QFontMetricsF boldMetrics(laid.headerFont, device);
    const QFontMetricsF monoMetrics(laid.monospaceFont, device);
    laid.lineHeight = cellMetrics.height();
    laid.ascent = cellMetrics.ascent();
    for (const Column &column : table.columns) {
        laid.strong << column.strong;
        laid.monospace << column.monospace;
    }
    const qreal underWidth = laid.width() - laid.left(laid.underFrom);

    const auto setRow = [&](const QStringList &cells, bool header) {
        LaidRow row;
        for (qsizetype c = 0; c < n; ++c) {
            const Column &column = table.columns[c];
            const QFontMetricsF &metrics = header || column.strong ? boldMetrics
                : column.monospace                                 ? monoMetrics
                                                                   : cellMetrics;
            const qreal width = (c == laid.under ? underWidth : laid.widths[c]) - 2 * CellPadX;
            const QString &text = cells.value(c);
            row.lines << (c == laid.under && text.isEmpty()
                    ? QStringList()
                    : wrap(text, header ? Breaks::Words : column.breaks, metrics, width));
            if (c != laid.under)
                row.top = std::max(row.top, row.lines.back().size());
        }
        row.lineCount = row.top + (laid.under >= 0 ? row.lines[laid.under].size() : 0);
        return row;
    };
    QStringList headers;
    for (const Column &column : table.columns)
        headers << column.header;
    if (std::any_of(headers.begin(), headers.end(), [](const QString &h) { return !h.isEmpty(); })) {
        laid.header = setRow(headers, true);
        // A header repeats on every page: at most half a page of it, so the rows still show.
        LaidRow &header = laid.header;
        const qsizetype most = std::max(qsizetype(bodyHeight / 2 / laid.lineHeight), qsizetype(1));
        if (header.lineCount > most) {
            header.top = std::min(header.top, most);
            for (qsizetype c = 0; c < n; ++c)
                header.lines[c] = header.lines[c].mid(0, c == laid.under ? most - header.top : header.top);
            header.lineCount = header.top + (laid.under >= 0 ? header.lines[laid.under].size() : 0);
        }
    }
    for (const Row &row : table.rows) {
        if (row.group) {
            LaidRow g;
            g.group = true;
            g.lines << wrap(row.cells.value(0), Breaks::Words, boldMetrics, laid.width() - 2 * CellPadX);
            g.top = g.lineCount = g.lines.front().size();
            laid.rows << g;
        } else {
            laid.rows << setRow(row.cells, false);
        }
    }
    return laid;
}

// The pages as they fill: one painter, a cursor going down the current page, numbers underneath.
class Pages
{
public:
    explicit Pages(QPdfWriter &writer)
        : m_writer(writer)
    {
    }

    ~Pages()
    {
        if (m_painter.isActive()) {
            footer();
            m_painter.end();
        }
    }

    // Starts a page of the given orientation.
    void newPage(bool wide)
    {
        // The layout takes effect on the page that newPage() starts.
        if (m_painter.isActive()) {
            footer();
            m_writer.setPageLayout(layout(wide));
            m_writer.newPage();
        } else {
            m_writer.setPageLayout(layout(wide));
            m_painter.begin(&m_writer);
        }
        ++m_number;
        m_wide = wide;
        m_full = layout(wide).fullRectPixels(int(Dpi));
        y = top();
    }

    // Makes sure a block of the orientation has begun and `height` fits below the cursor; a
    // fresh page takes whatever it must.
    void reserve(bool wide, qreal height)
    {
        if (!m_painter.isActive() || wide != m_wide || (y + height > bottom() && y > top()))
            newPage(wide);
    }

    bool started() const { return m_painter.isActive(); }
    qreal top() const { return Margin; }
    qreal bottom() const { return m_full.height() - Margin; }
    qreal left() const { return Margin; }
    static QPageLayout layout(bool wide)
    {
        return QPageLayout(QPageSize(QPageSize::A4), wide ? QPageLayout::Landscape : QPageLayout::Portrait,
            QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    // The room inside the margins of a page.
    static qreal width(bool wide) { return layout(wide).fullRectPixels(int(Dpi)).width() - 2 * Margin; }
    static qreal height(bool wide) { return layout(wide).fullRectPixels(int(Dpi)).height() - 2 * Margin; }
    QPainter &painter() { return m_painter; }

    qreal y = 0;

private:
    void footer()
    {
        m_painter.setFont(font(FooterSize));
        m_painter.setPen(TextColor);
        const QString number = QString::number(m_number);
        const qreal w = QFontMetricsF(m_painter.font(), &m_writer).horizontalAdvance(number);
        m_painter.drawText(QPointF((m_full.width() - w) / 2, m_full.height() - FooterBaseline), number);
    }

    QPdfWriter &m_writer;
    QPainter m_painter;
    QRect m_full;
    bool m_wide = false;
    int m_number = 0;
};

class Layout
{
public:
    Layout(QPdfWriter &writer, const ReportContent &content)
        : m_writer(writer)
        , m_content(content)
        , m_pages(writer)
    {
    }

    void run()
    {
        const QList<Block> &blocks = m_content.blocks;
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            const Block &b = blocks[i];
            switch (b.kind) {
            case Block::Kind::Title:
                text(b, TitleSize, true, 0, pt(8), next(i));
                break;
            case Block::Kind::Heading:
                text(b, HeadingSize, true, pt(10), pt(4), next(i));
                break;
            case Block::Kind::Paragraph:
                text(b, BodySize, false, 0, pt(5), 0);
                break;
            case Block::Kind::Table:
                table(b);
                break;
            }
        }
        if (!m_pages.started())
            m_pages.newPage(false);
    }

private:
    const LaidTable &laid(const Block &b)
    {
        auto it = m_tables.find(&b);
        if (it == m_tables.end())
            it = m_tables.insert(&b,
                layTable(
                    b.table, b.wide ? ListSize : BodySize, Pages::width(b.wide), Pages::height(b.wide), &m_writer));
        return *it;
    }

    QStringList lines(const Block &b, qreal size, bool bold)
    {
        return wrap(b.text, Breaks::Words, QFontMetricsF(font(size, bold), &m_writer), Pages::width(b.wide));
    }

    // The height of what must stay with the heading at `i`: a table's header and first row, or
    // the first lines of a paragraph.
    qreal next(qsizetype i)
    {
        if (i + 1 >= m_content.blocks.size())
            return 0;
        const Block &b = m_content.blocks[i + 1];
        switch (b.kind) {
        case Block::Kind::Table: {
            const LaidTable &t = laid(b);
            return t.height(t.header) + (t.rows.isEmpty() ? 0 : t.unitHeight(0));
        }
        case Block::Kind::Paragraph:
            return std::min<qsizetype>(3, lines(b, BodySize, false).size())
                * QFontMetricsF(font(BodySize), &m_writer).height();
        default:
            return 0;
        }
    }

    void text(const Block &b, qreal size, bool bold, qreal before, qreal after, qreal keepWith)
    {
        const QFont f = font(size, bold);
        const QFontMetricsF metrics(f, &m_writer);
        const QStringList all = lines(b, size, bold);
        const qreal lineHeight = metrics.height();
        // A heading with the start of what follows; a paragraph may go on over a page.
        const qreal together = keepWith > 0 ? all.size() * lineHeight + after + keepWith : lineHeight;
        m_pages.reserve(b.wide, before + together);
        if (m_pages.y > m_pages.top())
            m_pages.y += before;
        QPainter &p = m_pages.painter();
        for (const QString &line : all) {
            m_pages.reserve(b.wide, lineHeight);
            p.setFont(f);
            p.setPen(TextColor);
            p.drawText(QPointF(m_pages.left(), m_pages.y + metrics.ascent()), line);
            m_pages.y += lineHeight;
        }
        m_pages.y += after;
    }

    void table(const Block &b)
    {
        const LaidTable &t = laid(b);
        const qreal headerHeight = t.height(t.header);
        m_pages.reserve(b.wide, headerHeight + (t.rows.isEmpty() ? 0 : t.unitHeight(0)));
        drawRow(t, t.header, 0, t.header.lineCount, true);
        bool fresh = true; // no row under the header yet on this page
        const auto nextPage = [&] {
            m_pages.newPage(b.wide);
            drawRow(t, t.header, 0, t.header.lineCount, true);
            fresh = true;
        };
        for (qsizetype i = 0; i < t.rows.size(); ++i) {
            const LaidRow &row = t.rows[i];
            if (!fresh && m_pages.y + t.unitHeight(i) > m_pages.bottom())
                nextPage();
            // A row taller than a page goes on over pages, line by line.
            for (qsizetype first = 0; first < row.lineCount;) {
                qsizetype fit = qsizetype((m_pages.bottom() - m_pages.y - 2 * CellPadY) / t.lineHeight);
                if (fit < 1 && !fresh) {
                    nextPage();
                    continue;
                }
                fit = std::max(fit, qsizetype(1)); // under a header taller than the page

                const qsizetype count = std::min(fit, row.lineCount - first);
                drawRow(t, row, first, count, false);
                fresh = false;
                first += count;
                if (first < row.lineCount)
                    nextPage();
            }
        }
        m_pages.y += pt(6);
    }

    // Lines `first` to `first + count` of a row, with its shading and rules.
    void drawRow(const LaidTable &t, const LaidRow &row, qsizetype first, qsizetype count, bool header)
    {
        if (row.lineCount == 0)
            return;
        QPainter &p = m_pages.painter();
        const qreal h = t.height(count);
        const qreal top = m_pages.y;
        const qreal left = m_pages.left();
        const QRectF whole(left, top, t.width(), h);
        if (header || row.group)
            p.fillRect(whole, header ? HeaderFill : GroupFill);
        p.setPen(TextColor);
        const auto drawLines = [&](const QStringList &lines, qsizetype offset, qreal x) {
            for (qsizetype l = std::max(first - offset, qsizetype(0)); l < lines.size() && l + offset < first + count;
                 ++l)
                p.drawText(
                    QPointF(x + CellPadX, top + CellPadY + t.ascent + (l + offset - first) * t.lineHeight), lines[l]);
        };
        if (row.group) {
            p.setFont(t.headerFont);
            drawLines(row.lines.value(0), 0, left);
        } else {
            for (qsizetype c = 0; c < row.lines.size(); ++c) {
                p.setFont(header || t.strong[c] ? t.headerFont : t.monospace[c] ? t.monospaceFont : t.cellFont);
                if (c == t.under)
                    drawLines(row.lines[c], row.top, left + t.left(t.underFrom));
                else
                    drawLines(row.lines[c], 0, left + t.left(c));
            }
        }
        if (t.grid) {
            p.setPen(QPen(RuleColor, RuleWidth));
            p.setBrush(Qt::NoBrush);
            p.drawRect(whole);
            // Rules between the columns; over a text set under the row only those left of it.
            qreal besideHeight = h;
            if (row.top < first + count)
                besideHeight = row.top > first ? (row.top - first) * t.lineHeight + CellPadY : 0;
            for (qsizetype c = 1; !row.group && c < t.widths.size(); ++c) {
                const qreal x = left + t.left(c);
                const qreal ruleHeight = t.under >= 0 && c > t.underFrom ? besideHeight : h;
                if (t.widths[c - 1] > 0 && x < whole.right() && ruleHeight > 0)
                    p.drawLine(QPointF(x, top), QPointF(x, top + ruleHeight));
            }
        }
        m_pages.y += h;
    }

    QPdfWriter &m_writer;
    const ReportContent &m_content;
    Pages m_pages;
    QHash<const Block *, LaidTable> m_tables;
};

} // namespace

QByteArray pdfDocument(const ReportContent &content)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(content.documentTitle);
        writer.setResolution(int(Dpi));
        Layout(writer, content).run();
    }
    return bytes;
}

} // namespace sw::report
