// The desktop updater's shipped DTC tables against their masters (which tests/dtc checks): every line a
// "CODE description" entry ending in CR LF, no BOM, and text that comes back unchanged through the table's code page.
#include "KorvoUpdateSearchDTCView.h"

#include <QDir>
#include <QFile>
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

} // namespace
