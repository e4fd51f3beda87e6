// The desktop updater's shipped DTC tables against their masters (which tests/dtc checks): every line a
// "CODE description" entry ending in CR LF, no BOM, and text that comes back unchanged through the table's code page;
// and every description readable in the view, whole or cut with its whole text as a tip.
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateSearchDTCView.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateTableCellView.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTextCodec>

#include <gtest/gtest.h>

namespace {

QStringList masterLines(const QString& lang) {
    QFile f(QStringLiteral(DTC_MASTERS_DIR) + "/" + lang + ".txt");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith('\n')) text.chop(1);
    return text.split('\n');
}

TEST(DtcTables, EachShippedTableIsItsMasterInItsCodePage) {
    for (const QString& lang : KorvoUpdateSearchDTCView::dtcLanguages()) {
        QFile f(QStringLiteral(KORVO_DIST_RESOURCES) + "/" + lang + "_OBDII.txt");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << lang.toStdString();
        const QByteArray raw = f.readAll();
        ASSERT_FALSE(raw.startsWith("\xEF\xBB\xBF")) << lang.toStdString();
        ASSERT_TRUE(raw.endsWith("\r\n"));
        EXPECT_EQ(raw.count('\n'), raw.count("\r\n")) << lang.toStdString();
        QTextCodec* codec = QTextCodec::codecForName(DtcTextFile::encodingForLanguage(lang));
        QTextCodec::ConverterState state;
        const QString text = codec->toUnicode(raw.constData(), raw.size(), &state);
        EXPECT_EQ(state.invalidChars, 0) << lang.toStdString();
        QStringList lines = text.split("\r\n");
        lines.removeLast();
        EXPECT_EQ(lines, masterLines(lang)) << lang.toStdString();
        EXPECT_EQ(codec->fromUnicode(text), raw) << lang.toStdString();
        // What the view makes of it: one row per line.
        EXPECT_EQ(int(DtcTextFile::parse(text).size()), lines.size());
    }
}

// Every row of every shipped table, as its tab shows it in the window: a description either fits its cell whole, or
// is cut with an ellipsis and the cell's tip holds all of it.
TEST(DtcTables, EveryDescriptionFitsItsCellOrIsCutWithItsWholeTextAsTip) {
    // The tab's size in the window: 1140 x 724 less the title and bottom bars, the menu column and the strips.
    const QSize tab(910, 525);
    mainbundle::setResourcePath(QStringLiteral(KORVO_DIST_RESOURCES));
    for (const QString& table : KorvoUpdateSearchDTCView::dtcLanguages()) {
        // The interface language whose file code names this table (Swedish files are "se").
        UserDefaults::standardUserDefaults().setObject(table == "se" ? "sv" : table, kUserLanguageKey);
        ASSERT_EQ(KorvoUpdateCommonTool::sharedTool().getUserLanguage(), table);
        KorvoUpdateSearchDTCView view;
        view.resize(tab);
        view.show();
        ASSERT_TRUE(desktoptest::waitUntil([&] { return view.isLoaded(); }, 10000));
        KorvoUpdateTableView* list = view.tableView();
        const int rows = int(view.listModels().size());
        ASSERT_GT(rows, 1000) << table.toStdString();
        int cut = 0;
        for (int row = 0; row < rows;) {
            list->verticalScrollBar()->setValue(row * list->rowHeight());
            int seen = 0;
            for (; row < rows; ++row, ++seen) {
                auto* cell = qobject_cast<KorvoUpdateTableCellView*>(list->viewAtColumn(1, row));
                if (!cell) break;
                const QString whole = view.listModels()[size_t(row)].codeDes;
                const QString shown = cell->textField1()->text();
                ASSERT_EQ(cell->stringValue(), whole);
                ASSERT_LE(cell->textField1()->fontMetrics().horizontalAdvance(shown),
                          cell->textField1()->textAreaWidth())
                    << table.toStdString() << " row " << row << ": " << shown.toStdString();
                if (shown == whole) continue;
                ++cut;
                ASSERT_TRUE(shown.endsWith(QChar(0x2026)) || shown.endsWith("...")) << shown.toStdString();
                ASSERT_EQ(cell->toolTip(), whole) << table.toStdString() << " row " << row;
            }
            ASSERT_GT(seen, 0) << "row " << row << " is not shown";
        }
        std::printf("%s: %d of %d descriptions cut, each with its tip\n", qPrintable(table), cut, rows);
    }
    desktoptest::useEnglish();
    mainbundle::setResourcePath(desktoptest::resourcesDir());
}

} // namespace
