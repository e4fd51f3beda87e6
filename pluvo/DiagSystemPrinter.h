// CDiagSystemPrinter: prints a captured report on a system printer (or into a PDF file chosen in the print dialog):
// a title band with the document name, the text wrapped to the page, and a footer with the print time and the page
// number "- n -". Geometry and fonts scale with the printer's resolution (dpi / 72). Interface thread only.
#pragma once

#include <QDateTime>
#include <QFont>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;
class QPrinter;

class CDiagSystemPrinter {
public:
    // Gap between body lines and the page margin, in points (1/72 inch), scaled by dpi / 72 at set-up.
    static constexpr int kGapPoints = 2;
    static constexpr int kMarginPoints = 25;
    // Font heights in points: title (bold), body, footer; all Arial.
    static constexpr int kTitlePoints = 16;
    static constexpr int kBodyPoints = 14;
    static constexpr int kFooterPoints = 12;
    // Width of the rules under the title and above the footer, in device units.
    static constexpr int kRuleWidth = 10;
    // The first body line sits this many device units below the top of the text area.
    static constexpr int kBodyTopOffset = 5;
    // Most characters one printed line holds. Far more than the page's width shows of visible ones; it bounds the
    // cost of measuring a line of characters of no width (soft hyphens, combining marks) that the tool can send.
    static constexpr int kMaxLineCharacters = 512;

    // Shows the print dialog for the printer and answers whether the user confirmed it. Replaceable for tests.
    using DialogRunner = std::function<bool(QPrinter& printer, QWidget* parent)>;

    CDiagSystemPrinter();
    ~CDiagSystemPrinter();

    void SetDocName(const QString& name) { m_docName = name; }
    QString docName() const { return m_docName; }
    // The print dialog (no page numbers, no selection, print to a file allowed); false when cancelled. Then fonts
    // and geometry for the chosen printer.
    bool SetUp(QWidget* parent);
    // Prints the text; false when the printer could not be started.
    bool Print(const QString& text);

    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    QPrinter& printer() { return *m_printer; }
    // What the last Print did: its lines after wrapping, how many body lines a page held, and the number of pages.
    const QStringList& lines() const { return m_lines; }
    int linesPerPage() const { return m_linesPerPage; }
    int pageCount() const { return m_pages; }

    // Wraps text into lines no wider than limit as width() measures them: a leading line end is skipped, CR LF, CR
    // or LF end a line, a line too wide ends after its last blank or comma, else before the character that did
    // not fit, as does a line that reached kMaxLineCharacters. Every line holds at least one character, so any text
    // ends in a finite number of lines.
    static QStringList WrapLines(const QString& text, int limit, const std::function<int(const QString&)>& width);
    // "2024-03-05 09:07:02".
    static QString FormatPrintTime(const QDateTime& t);

private:
    void Prepare();

    std::unique_ptr<QPrinter> m_printer;
    DialogRunner m_runDialog;
    QString m_docName;
    QString m_printTime;
    QFont m_titleFont, m_bodyFont, m_footerFont;
    QStringList m_lines;
    int m_pages = 0;
    int m_linesPerPage = 0;
    int m_gap = kGapPoints, m_margin = kMarginPoints;
    int m_pageWidth = 0, m_pageHeight = 0, m_scale = 1;
};
