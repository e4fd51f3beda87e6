#include "DiagSystemPrinter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>

namespace {
QFont arial(int pixels, int weight) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(std::max(1, pixels));
    f.setWeight(weight);
    return f;
}

bool isLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Length of the character at i: a surrogate pair stays whole.
int charLength(const QString& s, int i) {
    return (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ? 2 : 1;
}
} // namespace

CDiagSystemPrinter::CDiagSystemPrinter() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    m_runDialog = [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dialog.exec() == QDialog::Accepted;
    };
}

CDiagSystemPrinter::~CDiagSystemPrinter() = default;

QString CDiagSystemPrinter::FormatPrintTime(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool CDiagSystemPrinter::SetUp(QWidget* parent) {
    m_printer->setDocName(m_docName);
    if (!m_runDialog || !m_runDialog(*m_printer, parent)) return false;
    Prepare();
    return true;
}

void CDiagSystemPrinter::Prepare() {
    m_pageWidth = m_printer->width();
    m_pageHeight = m_printer->height();
    m_scale = std::max(1, m_printer->logicalDpiY() / 72);
    m_gap = kGapPoints * m_scale;
    m_margin = kMarginPoints * m_scale;
    m_titleFont = arial(kTitlePoints * m_scale, QFont::Bold);
    m_bodyFont = arial(kBodyPoints * m_scale, QFont::Normal);
    m_footerFont = arial(kFooterPoints * m_scale, QFont::Normal);
}

QStringList CDiagSystemPrinter::WrapLines(const QString& text, int limit,
                                          const std::function<int(const QString&)>& width) {
    QStringList lines;
    int i = 0;
    const int n = text.size();
    if (text.startsWith(QLatin1String("\r\n")))
        i = 2;
    else if (n > 0 && isLineEnd(text.at(0)))
        i = 1;
    int start = i;       // first character of the current line
    int afterBreak = -1; // position after the line's last blank or comma
    while (i < n) {
        const QChar c = text.at(i);
        if (isLineEnd(c)) {
            lines << text.mid(start, i - start);
            i += (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ? 2 : 1;
            start = i;
            afterBreak = -1;
            continue;
        }
        const int len = charLength(text, i);
        if (i > start && (i + len - start > kMaxLineCharacters || width(text.mid(start, i + len - start)) > limit)) {
            // Too wide or too long with this character: end after the last blank or comma, else before it.
            const int end = afterBreak > start ? afterBreak : i;
            lines << text.mid(start, end - start);
            start = end;
            afterBreak = -1;
            continue; // measure again from the new start
        }
        i += len;
        if (c == QLatin1Char(' ') || c == QLatin1Char(',')) afterBreak = i;
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

bool CDiagSystemPrinter::Print(const QString& text) {
    if (m_pageWidth <= 0) Prepare();
    const QFontMetrics titleM(m_titleFont, m_printer.get()), bodyM(m_bodyFont, m_printer.get()),
        footerM(m_footerFont, m_printer.get());
    const int T = titleM.height() + titleM.leading();
    const int B = bodyM.height() + bodyM.leading();
    const int F = footerM.height() + footerM.leading();
    const int P = m_pageWidth, H = m_pageHeight;
    const int textBottom = H - 3 * F - B;
    m_printTime = FormatPrintTime(QDateTime::currentDateTime());
    m_lines = WrapLines(text, P - 2 * m_margin, [&](const QString& s) { return bodyM.horizontalAdvance(s); });
    m_pages = 0;
    // Lines start while they start above the text area's bottom; at least one a page, so a page too small for
    // any still moves on.
    const int firstLine = 3 * T + kBodyTopOffset;
    m_linesPerPage = textBottom >= firstLine ? (textBottom - firstLine) / (B + m_gap) + 1 : 1;

    QPainter p;
    if (!p.begin(m_printer.get())) return false;
    QPen rule(Qt::black, kRuleWidth, Qt::SolidLine);
    int next = 0;
    do {
        if (m_pages > 0) m_printer->newPage();
        ++m_pages;
        p.setFont(m_titleFont);
        p.setPen(Qt::black);
        p.drawText(QRect(0, T, P, T), Qt::AlignHCenter | Qt::AlignTop, m_docName);
        p.setPen(rule);
        p.drawLine(m_margin, 2 * T, P - m_margin, 2 * T);

        p.setFont(m_bodyFont);
        p.setPen(Qt::black);
        for (int k = 0; k < m_linesPerPage && next < m_lines.size(); ++k, ++next)
            p.drawText(QRect(m_margin, firstLine + k * (B + m_gap), P - 2 * m_margin, B),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_lines.at(next));

        p.setPen(rule);
        p.drawLine(m_margin, H - 3 * F, P - m_margin, H - 3 * F);
        p.setFont(m_footerFont);
        p.setPen(Qt::black);
        p.drawText(QRect(m_margin, H - 2 * F, P - 2 * m_margin, F), Qt::AlignLeft | Qt::AlignTop, m_printTime);
        p.drawText(QRect(m_margin, H - 2 * F, P - 2 * m_margin, F), Qt::AlignRight | Qt::AlignTop,
                   QStringLiteral("- %1 -").arg(m_pages));
    } while (next < m_lines.size());
    p.end();
    m_gap = kGapPoints;
    m_margin = kMarginPoints;
    m_pageWidth = 0;
    return true;
}
