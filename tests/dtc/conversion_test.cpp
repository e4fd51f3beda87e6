// The tables pluvo ships, read as pluvo reads them: each line is its master's line, except that a letter the code
// page lacks stands as its nearest letter, never as "?". The desktop updater's tables are checked against their
// masters by the views tests.
#include "CodePage.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList masterLines(const QString& lang) {
    QFile f(QStringLiteral(DTC_MASTERS_DIR) + "/" + lang + ".txt");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith('\n')) text.chop(1);
    return text.split('\n');
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString decoded(int codePage, const QByteArray& bytes) {
    const auto utf8 = CodePageToUtf8(codePage, std::string_view(bytes.constData(), size_t(bytes.size())));
    return utf8 ? QString::fromStdString(*utf8) : QString();
}

// What the converter may write for a letter the code page lacks.
bool isNearest(QChar master, QChar written) {
    static const QString doubleAcute = QStringLiteral("őűŐŰ"), diaeresis = QStringLiteral("öüÖÜ");
    const int i = doubleAcute.indexOf(master);
    if (i >= 0) return written == diaeresis.at(i);
    const QString parts = master.decomposition();
    return !parts.isEmpty() && parts.at(0) == written;
}

TEST(DtcConversion, PluvoTablesAreTheirMastersWithNearestLetters) {
    struct Table {
        int language; // Language in pluvo.cfg
        const char* code;
    };
    int replaced = 0;
    for (const Table& t :
         {Table{0, "en"}, Table{1, "fr"}, Table{2, "es"}, Table{3, "de"}, Table{4, "sk"}, Table{5, "pt"},
          Table{6, "se"}, Table{7, "it"}, Table{8, "cz"}, Table{9, "hu"}, Table{10, "ru"}, Table{11, "cn"}}) {
        const QString lang = QString::fromLatin1(t.code);
        const QByteArray raw = bytesOf(QStringLiteral(PLUVO_DTC_DIR) + "/" + lang + "_OBDII.txt");
        ASSERT_TRUE(raw.endsWith("\r\n")) << t.code;
        EXPECT_FALSE(raw.contains('?')) << t.code;
        QList<QByteArray> lines = raw.split('\n');
        lines.removeLast();
        const QStringList masters = masterLines(lang);
        ASSERT_EQ(lines.size(), masters.size()) << t.code;
        CCodePage::Settle(t.language);
        for (int n = 0; n < lines.size(); ++n) {
            ASSERT_TRUE(lines[n].endsWith('\r')) << t.code << " line " << n + 1;
            const QString line = DtcLineToWide(lines[n].chopped(1).toStdString());
            const QString& master = masters[n];
            ASSERT_EQ(line.size(), master.size()) << t.code << ": " << line.toStdString();
            for (int i = 0; i < line.size(); ++i) {
                if (line[i] == master[i]) continue;
                EXPECT_TRUE(isNearest(master[i], line[i])) << t.code << ": " << line.toStdString();
                ++replaced;
            }
        }
    }
    // Hungarian's double acute letters are the ones Windows-1252 lacks.
    EXPECT_GT(replaced, 0);
}

TEST(DtcConversion, NearestLettersStandInForWhatACodePageLacks) {
    struct Case {
        const char* lang;
        int codePage;
        const char* text;
    };
    for (const Case& c : {Case{"de", 1252,
                               "P0001 Hömérséklet-érzékelö ÖÜ\r\n"
                               "P0002 Czujnik polozenia walka L\r\n"
                               "P0003 Snímac otácek kola r u e d t n l l r š ž\r\n"},
                          Case{"cz", kLatin2CodePage, "P0001 Capteur de température arriere e a n e o\r\n"},
                          Case{"ru", kCyrillicCodePage, "P0001 Датчик Bank 1 e o u o\r\n"}}) {
        const QByteArray raw = bytesOf(QStringLiteral(NEAREST_DIR) + "/" + c.lang + "_OBDII.txt");
        EXPECT_FALSE(raw.contains('?')) << c.lang;
        EXPECT_EQ(decoded(c.codePage, raw).toStdString(), c.text) << c.lang;
    }
}

} // namespace
