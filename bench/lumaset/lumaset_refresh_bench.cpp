// Times what the picture tool does on its 10-second tick and on a paint when the picture has not changed, against
// the same work when the picture file was written since (a full conversion, a full read), in one run, and reports
// the ratios. Usage: lumaset_refresh_bench [--runs N] [--width W --height H]
#include "MainWindow.h"
#include "MyPictureWidget.h"
#include "picturefile.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultRuns = 7;
constexpr int kDefaultWidth = 4032; // a phone camera's 12.2 MP
constexpr int kDefaultHeight = 3024;
constexpr int kJpegQuality = 92;
constexpr int64_t kNsPerSecond = 1'000'000'000;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double timeMs(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A new modification time: to the program the picture was written again, with the same pixels.
void touch(const QString& path) {
    const picturefile::Stamp stamp = picturefile::stampOf(path);
    const int64_t ns = stamp.modifiedNs + kNsPerSecond;
    struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(ns / kNsPerSecond), long(ns % kNsPerSecond)}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = kDefaultRuns, width = kDefaultWidth, height = kDefaultHeight;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--width"))
            width = std::max(320, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--height"))
            height = std::max(240, std::atoi(argv[i + 1]));
    }

    QTemporaryDir dir;
    const QString photo = dir.filePath("photo.jpg");
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(250, 180, 60));
    sky.setColorAt(1, QColor(40, 60, 160));
    painter.fillRect(picture.rect(), sky);
    painter.end();
    picture.save(photo, "JPG", kJpegQuality);
    std::printf("photo: %dx%d (%.1f MP), JPEG %.1f MB\n", width, height, width * double(height) / 1e6,
                double(QFile(photo).size()) / 1e6);

    MainWindowEnvironment env;
    env.updateFolder = dir.filePath("update");
    env.pluvoFolder = dir.path();
    env.refreshIntervalMs = 24 * 3600 * 1000; // the bench drives the ticks itself
    env.notify = [](QWidget*, const QString& text, bool) { std::fprintf(stderr, "notice: %s\n", qPrintable(text)); };
    env.askSave = [](QWidget*) { return false; };
    env.launch = [](const QString&, const QStringList&, const QString&) { return true; };
    MainWindow window(env);
    emit window.pictureChanged(photo);
    MyPictureWidget& view = *window.pictureWidget();
    view.resize(1280, 720);

    std::vector<double> tickChanged, tickSame, paintChanged, paintSame;
    for (int i = 0; i <= runs; ++i) { // the first round warms caches and is not counted
        touch(photo);
        const double a = timeMs([&] { window.refreshPreview(); });
        const double b = timeMs([&] { window.refreshPreview(); });
        touch(photo);
        const double c = timeMs([&] { view.pictureToDraw(); });
        const double d = timeMs([&] { view.pictureToDraw(); });
        if (i == 0) continue;
        tickChanged.push_back(a);
        tickSame.push_back(b);
        paintChanged.push_back(c);
        paintSame.push_back(d);
    }
    const double tc = median(tickChanged), ts = median(tickSame), pc = median(paintChanged), ps = median(paintSame);
    std::printf("10-second tick, picture written since:  median %9.3f ms over %d runs\n", tc, runs);
    std::printf("10-second tick, picture unchanged:      median %9.3f ms\n", ts);
    std::printf("ratio changed/unchanged tick: %.0f\n", tc / ts);
    std::printf("paint, picture written since:           median %9.3f ms\n", pc);
    std::printf("paint, picture unchanged (kept copy):   median %9.3f ms\n", ps);
    std::printf("ratio changed/unchanged paint: %.0f\n", pc / ps);
    return 0;
}
