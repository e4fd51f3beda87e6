// Loads the biggest DTC table the desktop updater ships and searches it as the DTC tab does, against baselines
// measured in the same run: the load against reading the file's bytes alone, a search (selection and scrolling
// included) against a bare linear scan of the codes for the same query and against that read.
#include "DtcTextFile.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateSearchDTCView.h"
#include "UserDefaults.h"
#include "mainbundle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <cstdio>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kLoads = 50;
constexpr int kSearches = 2000;

template <class F> double microsecondsPerRun(int runs, F&& f) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i)
        f();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / runs;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString resources = argc > 1 ? QString::fromLocal8Bit(argv[1]) : mainbundle::resourcePath();
    mainbundle::setResourcePath(resources);
    QString language;
    qint64 biggest = -1;
    for (const QString& lang : KorvoUpdateSearchDTCView::dtcLanguages()) {
        const qint64 size = QFileInfo(resources + "/" + DtcTextFile::fileName(lang)).size();
        if (size > biggest) {
            biggest = size;
            language = lang;
        }
    }
    const QString path = resources + "/" + DtcTextFile::fileName(language);
    if (biggest <= 0) {
        std::fprintf(stderr, "dtc_bench: no DTC table in %s; build the tables first\n", qPrintable(resources));
        return 1;
    }
    QTemporaryDir store;
    UserDefaults::setStorePath(store.filePath("defaults.ini"));
    UserDefaults::standardUserDefaults().setObject(language, kUserLanguageKey);
    const QByteArray encoding = DtcTextFile::encodingForLanguage(language);

    size_t rows = 0;
    const double load = microsecondsPerRun(kLoads, [&] { rows = DtcTextFile::read(path, encoding).size(); });
    qint64 bytes = 0;
    const double readOnly = microsecondsPerRun(kLoads, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        bytes = f.readAll().size();
    });

    KorvoUpdateSearchDTCView view;
    view.resize(910, 594);
    QElapsedTimer wait;
    wait.start();
    while (!view.isLoaded() && wait.elapsed() < 10000) {
        QApplication::processEvents();
        QThread::msleep(1);
    }
    // The last code of the table: the longest scan.
    const QString query = view.listModels().back().codeNumber;
    const double search = microsecondsPerRun(kSearches, [&] { view.searchTableViewData(query.toLower()); });
    int hit = -1;
    const double scan = microsecondsPerRun(kSearches, [&] {
        const auto& models = view.listModels();
        for (size_t i = 0; i < models.size(); ++i)
            if (models[i].codeNumber.contains(query)) {
                hit = int(i);
                break;
            }
    });

    std::printf("biggest table, %s: %zu rows, %lld bytes; the view holds %zu rows\n", qPrintable(language), rows,
                static_cast<long long>(bytes), view.listModels().size());
    std::printf("load (read, decode, split): %.0f us; reading the bytes alone: %.0f us; ratio %.1f\n", load, readOnly,
                load / readOnly);
    std::printf("search for the last code (%s, row %d) with selection and scrolling: %.1f us; bare linear scan: %.1f "
                "us; ratio %.1f; against reading the bytes: ratio %.2f\n",
                qPrintable(query), hit, search, scan, search / scan, search / readOnly);
    return 0;
}
