// Shows the picture tool's window with a picture, then with the capture frame over it, on a real X display
// (run under xvfb-run, with or without a compositing manager), and saves what the screen shows. Exits non-zero
// when the picture or the frame did not reach the screen, or the grab did not show what lies below the frame
// (or, without compositing, was not refused and explained once). With --composited a compositing manager must
// come up within a few seconds. Usage: lumaset_screenshots <output folder> [--composited]
#include "CapturingDialog.h"
#include "Lumaset.h"
#include "MainWindow.h"
#include "ModalDriver.h"
#include "MyPictureWidget.h"
#include "package.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int kSettleMs = 1500;          // long enough for the window system to map and paint the windows
constexpr int kCompositorWaitMs = 10000; // a compositing manager started beside us, on a loaded machine

void settle() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kSettleMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

QImage samplePicture() {
    QImage picture(640, 420, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 420);
    sky.setColorAt(0, QColor(250, 180, 60));
    sky.setColorAt(1, QColor(120, 40, 120));
    painter.fillRect(picture.rect(), sky);
    painter.setBrush(QColor(255, 240, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(460, 170), 80, 80);
    painter.setBrush(QColor(30, 60, 40));
    painter.drawRect(0, 330, 640, 90);
    painter.setPen(Qt::white);
    painter.setFont(QFont("DejaVu Sans", 36, QFont::Bold));
    painter.drawText(QRect(20, 20, 600, 80), Qt::AlignLeft, "SCAN TOOL");
    return picture;
}

QImage screen() {
    return QApplication::primaryScreen()->grabWindow(0).toImage();
}

// A package whose data section holds the logo entry, as the patcher expects it.
void writePackage(const QString& path) {
    constexpr uint32_t kEntryOffset = 256;
    firmware::Bytes data(kEntryOffset + Lumaset::kLogoFileSize, 0);
    const std::string name = firmware::kLogoEntryName;
    std::copy(name.begin(), name.end(), data.begin());
    for (int i = 0; i < 4; ++i) {
        data[firmware::kLogoOffsetField + i] = uint8_t(kEntryOffset >> (8 * i));
        data[firmware::kLogoSizeField + i] = uint8_t(uint32_t(Lumaset::kLogoFileSize) >> (8 * i));
    }
    firmware::writeFileAtomically(QFile::encodeName(path).toStdString(),
                                  firmware::buildPackage({{firmware::kDataSectionKey, data}}));
}

// Runs `open` and, once its message box is up, saves what the screen shows and closes the box; the box's text, or
// empty when no box came or it did not close.
QString answerBox(const QString& file, const std::function<void()>& open) {
    QString text;
    const ModalOutcome outcome = driveModal<QMessageBox>(open, [&](QMessageBox* box) {
        if (box->buttons().isEmpty()) return false;
        settle();
        screen().save(file);
        text = box->text();
        box->buttons().first()->click();
        return true;
    });
    if (!outcome.ok()) {
        std::fprintf(stderr, "%s\n", outcome.describe().c_str());
        return {};
    }
    return text;
}

// The program's own boxes as the user sees them: "File saved" naming the written package, and the refusal of a
// picture too large to take. True when both came with their texts.
bool showNotices(const QString& work, const QString& out) {
    QDir(work).mkpath("update");
    writePackage(work + "/update/QM82_V1.20_EN_20240115.bin");
    const QString picture = work + "/logo.png";
    samplePicture().save(picture);
    QImage huge(30000, 30000, QImage::Format_Mono);
    huge.fill(0);
    huge.save(work + "/huge.png");

    MainWindowEnvironment env;
    env.updateFolder = work + "/update";
    env.pluvoFolder = work;
    env.askSave = [](QWidget*) { return false; };
    env.launch = [](const QString&, const QStringList&, const QString&) { return true; };
    MainWindow window(env);
    emit window.pictureChanged(picture);
    settle();

    const QString saved = answerBox(out + "/lumaset-saved.png", [&] { window.onSavePicture(); });
    emit window.pictureChanged(work + "/huge.png");
    const QString refused = answerBox(out + "/lumaset-too-large.png", [&] { window.onSavePicture(); });
    window.close();
    std::printf("saved box: %s\nrefusal box: %s\n", qPrintable(saved), qPrintable(refused));
    return saved.contains("QM82_V1.20_EN_") && refused.contains("30000 x 30000");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2 || (argc == 3 && std::strcmp(argv[2], "--composited") != 0) || argc > 3) {
        std::fprintf(stderr, "usage: %s <output folder> [--composited]\n", argv[0]);
        return 2;
    }
    const bool composited = argc == 3;
    if (composited) {
        QElapsedTimer clock;
        clock.start();
        while (!CapturingDialog::canSeeThrough() && clock.elapsed() < kCompositorWaitMs)
            QApplication::processEvents(QEventLoop::AllEvents, 100);
        if (!CapturingDialog::canSeeThrough()) {
            std::fprintf(stderr, "no compositing manager came up\n");
            return 1;
        }
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    const QString picture = work.filePath("sunset.png");
    samplePicture().save(picture);

    MainWindowEnvironment env;
    env.updateFolder = work.filePath("update");
    env.pluvoFolder = work.path();
    // Closing asks to save once the 10-second refresh has converted the picture, which a slow run reaches.
    env.askSave = [](QWidget*) { return false; };
    env.launch = [](const QString&, const QStringList&, const QString&) { return true; };
    int notices = 0;
    env.notify = [&notices](QWidget*, const QString& text, bool) {
        ++notices;
        std::printf("notice: %s\n", qPrintable(text));
    };
    MainWindow window(env);
    emit window.pictureChanged(picture);
    settle();
    const QImage withPicture = screen();
    withPicture.save(out + "/lumaset-window.png");

    window.onOpenCapture();
    CapturingDialog* frame = window.capturingDialog();
    frame->move(window.geometry().center() - QPoint(160, 120));
    settle();
    // The pointer over the top-left corner shows that corner's handles.
    QMouseEvent hover(QEvent::MouseMove, QPoint(5, 5), frame->mapToGlobal(QPoint(5, 5)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(frame, &hover);
    settle();
    const QImage withFrame = screen();
    withFrame.save(out + "/lumaset-capture.png");
    const QString grabPath = out + "/lumaset-capture-grab.png";
    QFile::remove(grabPath);
    const bool grabbed = frame->grabToFile(grabPath);
    // The frame stands over the sun's lower edge and the sky: the grab's top-right shows the sun's yellow.
    const QImage grab(grabPath);
    const bool seeThrough = CapturingDialog::canSeeThrough();
    const bool grabRight = seeThrough ? grabbed && grab.size() == QSize(296, 216) && notices == 0
                                      : !grabbed && grab.isNull() && notices == 1;

    // The picture's top-left corner sits at the view's top-left corner; the frame's line is blue.
    const QPoint viewOrigin = window.pictureWidget()->mapToGlobal(QPoint(0, 0));
    const QColor corner = withPicture.pixelColor(viewOrigin + QPoint(2, 90));
    const QColor frameLine = withFrame.pixelColor(frame->geometry().topLeft() + QPoint(11, 100));
    const QColor handle = withFrame.pixelColor(frame->geometry().topLeft() + QPoint(6, 16));
    std::printf("picture corner %s, frame line %s, handle %s, compositing %s, grab %s\n", qPrintable(corner.name()),
                qPrintable(frameLine.name()), qPrintable(handle.name()), seeThrough ? "on" : "off",
                grabbed ? "saved" : "refused");
    if (grabbed) {
        const QColor sample = grab.pixelColor(grab.width() - 90, 20);
        std::printf("grab sample %s\n", qPrintable(sample.name()));
        if (sample.red() < 200 || sample.green() < 200) return 1;
    }
    const bool pictureShown = corner.red() > 200 && corner.blue() < 120;
    const bool frameShown = frameLine.blue() > 200 && frameLine.red() < 60 && handle.red() > 200 && handle.blue() < 60;
    // Converted now, whether or not the refresh came yet: the close is the same on a fast machine as on a slow one.
    window.refreshPreview();
    window.close();
    const bool boxesShown = showNotices(work.path(), out);
    return pictureShown && frameShown && grabRight && boxesShown ? 0 : 1;
}
