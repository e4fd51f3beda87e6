// The shipped DTC tables against their masters: the same codes in the same order, every line a "CODE description"
// entry ending in CR LF, no BOM, and text that comes back unchanged through the table's code page.
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

QStringList codesOf(const QStringList& lines) {
    QStringList out;
    for (const QString& l : lines)
        out << l.section(' ', 0, 0);
    return out;
}

TEST(DtcTables, EveryMasterHoldsTheSameCodesInTheSameOrder) {
    const QStringList english = masterLines("en");
    ASSERT_GE(english.size(), 2000);
    const QStringList codes = codesOf(english);
    QStringList unique = codes;
    EXPECT_EQ(unique.removeDuplicates(), 0);
    for (const QString& c : codes)
        EXPECT_TRUE(QRegExp("[PCBU][0-9]{4}").exactMatch(c)) << c.toStdString();
    for (const char* lang : {"de", "es", "fr", "hu", "it", "nl", "pl", "pt", "ru", "se", "sk", "cz", "cn"}) {
        const QStringList lines = masterLines(lang);
        EXPECT_EQ(codesOf(lines), codes) << lang;
        for (const QString& l : lines)
            ASSERT_TRUE(l.indexOf(' ') > 0 && l.section(' ', 1).size() > 0) << lang << ": " << l.toStdString();
    }
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
