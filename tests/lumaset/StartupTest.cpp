// Start-up: the language choice from pluvo.cfg, the shipped translations, and the single-instance lock of the
// real program.
#include "LumasetTestSupport.h"
#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

const QStringList kCodes = {"en", "fr", "es", "de", "sl", "pt", "se", "it", "cz", "hu", "ru"};

class LanguageChoice : public InWorkingFolder {
protected:
    QString cfg(const std::string& text) { return QString::fromStdString(dir.write("pluvo.cfg", text)); }
};

TEST_F(LanguageChoice, ReadsTheLastLanguageLine) {
    EXPECT_EQ(readLanguageCode(cfg("[Setting]\r\nLanguage = 4\r\nSkin = 1\r\n")), "sl");
    EXPECT_EQ(readLanguageCode(cfg("[Setting]\nLanguage=3\n[Other]\n  Language = 10  \n")), "ru");
    EXPECT_EQ(readLanguageCode(cfg("LanguageOld = 7\n")), "it");
    EXPECT_EQ(readLanguageCode(cfg("Language = 11\n")), "en");
    EXPECT_EQ(readLanguageCode(cfg("Language = two\n")), "en");
    EXPECT_EQ(readLanguageCode(cfg("Language\n")), "en");
    EXPECT_EQ(readLanguageCode(cfg("Skin = 2\n// Language = 3\n")), "en");
    EXPECT_EQ(readLanguageCode(cfg("")), "en");
    EXPECT_EQ(readLanguageCode(path("missing.cfg")), "en");
}

// Source texts of the .ts file: context -> sources, and whether every one carries a finished translation.
QMap<QString, QSet<QString>> tsSources(const QString& file, bool* allTranslated) {
    QMap<QString, QSet<QString>> sources;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return sources;
    QXmlStreamReader xml(&f);
    QString context, source;
    *allTranslated = true;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished = xml.attributes().hasAttribute("type");
            if (unfinished || xml.readElementText().isEmpty()) *allTranslated = false;
            sources[context].insert(source);
        }
    }
    return sources;
}

// tr("...") literals of the program's sources, by the class whose file they are in.
QMap<QString, QSet<QString>> codeSources() {
    QMap<QString, QSet<QString>> sources;
    const QRegularExpression literal(R"re(tr\("((?:[^"\\]|\\.)*)"\))re");
    for (const QString& cls : {QString("MainWindow"), QString("CapturingDialog")}) {
        QFile f(QString(LUMASET_SOURCE_DIR) + "/" + cls + ".cpp");
        if (!f.open(QIODevice::ReadOnly)) continue;
        auto it = literal.globalMatch(QString::fromUtf8(f.readAll()));
        while (it.hasNext())
            sources[cls].insert(it.next().captured(1));
    }
    return sources;
}

TEST(Translations, EveryCodeHasACompleteTranslationOfTheTextsInUse) {
    const auto inCode = codeSources();
    ASSERT_FALSE(inCode.value("MainWindow").isEmpty());
    for (const QString& code : kCodes) {
        SCOPED_TRACE(code.toStdString());
        bool complete = false;
        const auto inTs = tsSources(QString(LUMASET_SOURCE_DIR) + "/translations/" + code + ".ts", &complete);
        EXPECT_TRUE(complete);
        EXPECT_EQ(inTs, inCode);

        QTranslator translator;
        ASSERT_TRUE(translator.load(QString(LUMASET_DIST_DIR) + "/" + code + ".qm"));
        for (auto context = inCode.begin(); context != inCode.end(); ++context)
            for (const QString& source : context.value())
                EXPECT_FALSE(translator.translate(context.key().toUtf8(), source.toUtf8()).isEmpty())
                    << source.toStdString();
    }
}

// Each file is in the language that pluvo's settings list offers under that number: 4 is Slovak (file "sl"),
// 6 Swedish ("se"), 8 Czech ("cz"), whatever the two letters suggest.
TEST(Translations, EachFileSpeaksTheLanguageChosenInPluvo) {
    const QLocale::Language expected[] = {QLocale::English, QLocale::French,     QLocale::Spanish, QLocale::German,
                                          QLocale::Slovak,  QLocale::Portuguese, QLocale::Swedish, QLocale::Italian,
                                          QLocale::Czech,   QLocale::Hungarian,  QLocale::Russian};
    for (int language = 0; language < kCodes.size(); ++language) {
        const QString code = languageCodeFor(language);
        SCOPED_TRACE(code.toStdString());
        QTranslator translator;
        ASSERT_TRUE(translator.load(QString(LUMASET_DIST_DIR) + "/" + code + ".qm"));
        EXPECT_EQ(QLocale(translator.language()).language(), expected[language]);
    }
    QTranslator slovak;
    ASSERT_TRUE(slovak.load(QString(LUMASET_DIST_DIR) + "/sl.qm"));
    EXPECT_EQ(slovak.translate("MainWindow", "是"), QString::fromUtf8("Áno"));
}

TEST(Translations, LoadingInstallsEvenWhenTheFileIsMissing) {
    QTranslator german;
    ASSERT_TRUE(loadTranslation(german, "de", LUMASET_DIST_DIR));
    EXPECT_EQ(QCoreApplication::translate("MainWindow", "文件"), "Datei");
    QCoreApplication::removeTranslator(&german);
    QTranslator none;
    EXPECT_FALSE(loadTranslation(none, "xx", LUMASET_DIST_DIR));
    EXPECT_EQ(QCoreApplication::translate("MainWindow", "文件"), QString::fromUtf8("文件"));
    QCoreApplication::removeTranslator(&none);
}

class RealProgram : public InWorkingFolder {
protected:
    // Runs the program with its lock in this test's own temporary folder; -1 while it still runs after waitMs.
    int runFor(int waitMs, const QString& temp = QString()) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", temp.isEmpty() ? path("tmp") : temp);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // Qt's offscreen platform leaves its screen objects behind at exit; the exit code must be the program's.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(path(""));
        program.start(LUMASET_PROGRAM, QStringList());
        if (!program.waitForStarted(5000)) return -2;
        if (program.waitForFinished(waitMs))
            return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -3;
        program.kill();
        program.waitForFinished(5000);
        return -1;
    }
};

TEST_F(RealProgram, SecondInstanceEndsAtOnce) {
    ASSERT_TRUE(QDir(path("")).mkpath("tmp"));
    // Alone, the program keeps running with its window.
    EXPECT_EQ(runFor(1500), -1);
    // Killed, that run may leave its lock file behind, on a loaded machine even half written: no one holds it.
    QFile::remove(path("tmp/Lumaset_app.lock"));
    QLockFile first(path("tmp/Lumaset_app.lock"));
    ASSERT_TRUE(first.tryLock(0));
    // At once is well under a second; the bound is for a loaded sanitizer build, and only a failure waits it out.
    constexpr int kEndsWithinMs = 30000;
    EXPECT_EQ(runFor(kEndsWithinMs), 0);
}

// A temporary folder that cannot hold the lock is no second instance: the program starts, and its window tells why
// it cannot convert pictures.
TEST_F(RealProgram, StartsWhenTheTemporaryFolderCannotHoldTheLock) {
    const QString notAFolder = QString::fromStdString(dir.write("not-a-folder", std::string("a file")));
    EXPECT_EQ(runFor(1500, notAFolder), -1);
}

} // namespace
