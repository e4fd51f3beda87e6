// What is taken as a picture before anything is decoded (regular files, sizes read from the header), and the
// picture view's one scaled copy, read again only when the file changed. The sanitizer build caps single
// allocations, so a picture decoded before its size was checked ends the test run.
#include "picturefile.h"
#include "LumasetTestSupport.h"
#include "MyPictureWidget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using picturefile::Verdict;

class PictureFile : public InWorkingFolder {};

TEST_F(PictureFile, VerdictComesFromTheMetadataAndTheHeaderAlone) {
    writeSolidPicture("photo.jpg", 640, 480, Qt::red);
    writeBlueGif(dir.file("logo.gif"));
    writeSolidPicture("logo.xpm", 64, 48, Qt::blue);
    writeHugePng("huge.png", 30000, 30000);
    writeJpegClaiming("liar.jpg", 30000, 30000);
    dir.write("notes.png", std::string("plain text, not a picture"));
    ASSERT_TRUE(QDir(path("")).mkdir("folder.png"));
    FifoWatch fifo(dir.file("fifo.png"));
    const struct {
        const char* name;
        Verdict verdict;
        QSize size;
    } cases[] = {
        {"photo.jpg", Verdict::Ok, {640, 480}},
        {"logo.gif", Verdict::Ok, {64, 48}},
        {"logo.xpm", Verdict::Ok, {64, 48}},
        {"huge.png", Verdict::TooLarge, {30000, 30000}},
        {"liar.jpg", Verdict::TooLarge, {30000, 30000}},
        {"notes.png", Verdict::Unreadable, {}},
        {"folder.png", Verdict::NotRegular, {}},
        {"fifo.png", Verdict::NotRegular, {}},
        {"missing.png", Verdict::Missing, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const picturefile::Check check = picturefile::inspect(path(c.name));
        EXPECT_EQ(check.verdict, c.verdict);
        if (c.size.isValid()) {
            EXPECT_EQ(check.size, c.size);
        }
    }
    EXPECT_LT(QFileInfo(path("huge.png")).size(), 1 << 20) << "the test picture itself must stay small";
    EXPECT_EQ(fifo.readers(), 0);
}

TEST_F(PictureFile, StampChangesWithEveryWrite) {
    writeSolidPicture("a.bmp", 32, 32, Qt::red);
    const picturefile::Stamp first = picturefile::stampOf(path("a.bmp"));
    EXPECT_GT(first.size, 0);
    EXPECT_EQ(picturefile::stampOf(path("a.bmp")), first);
    setModifiedNs("a.bmp", first.modifiedNs + 1);
    EXPECT_NE(picturefile::stampOf(path("a.bmp")), first);
    EXPECT_EQ(picturefile::stampOf(path("missing.bmp")).size, -1);
}

// A picture is read once per change, not on every paint: the copy is kept while the file's size and time stay,
// and read again when either changes or the view is resized.
TEST_F(PictureFile, ViewKeepsOneScaledCopyUntilTheFileChanges) {
    MyPictureWidget view;
    view.resize(400, 300);
    writeSolidPicture("p.bmp", 800, 400, Qt::red);
    view.setPictureName(path("p.bmp"));
    const QImage first = view.pictureToDraw();
    ASSERT_EQ(first.size(), QSize(400, 200));
    EXPECT_EQ(first.pixelColor(10, 10), QColor(Qt::red));

    // Same size, same time: the kept copy is drawn, the file is not read.
    const picturefile::Stamp stamp = picturefile::stampOf(path("p.bmp"));
    writeSolidPicture("p.bmp", 800, 400, Qt::blue);
    setModifiedNs("p.bmp", stamp.modifiedNs);
    ASSERT_EQ(picturefile::stampOf(path("p.bmp")), stamp);
    EXPECT_EQ(view.pictureToDraw().pixelColor(10, 10), QColor(Qt::red));

    view.resize(200, 300);
    EXPECT_EQ(view.pictureToDraw().size(), QSize(200, 100));
    EXPECT_EQ(view.pictureToDraw().pixelColor(10, 10), QColor(Qt::blue));

    writeSolidPicture("p.bmp", 800, 400, Qt::green);
    setModifiedNs("p.bmp", stamp.modifiedNs + 1);
    EXPECT_EQ(view.pictureToDraw().pixelColor(10, 10), QColor(Qt::green));
}

TEST_F(PictureFile, ViewDrawsNothingOfWhatItMustNotRead) {
    MyPictureWidget view;
    view.resize(400, 300);
    writeHugePng("huge.png", 30000, 30000);
    writeJpegClaiming("liar.jpg", 30000, 30000);
    FifoWatch fifo(dir.file("fifo.png"));
    for (const char* name : {"huge.png", "liar.jpg", "fifo.png"}) {
        SCOPED_TRACE(name);
        view.setPictureName(path(name));
        EXPECT_TRUE(view.pictureToDraw().isNull());
    }
    EXPECT_EQ(fifo.readers(), 0);
    // A picture put in place of a refused one under the same name is drawn.
    QFile::remove(path("huge.png"));
    writeSolidPicture("huge.png", 40, 30, Qt::red);
    view.setPictureName(path("huge.png"));
    EXPECT_EQ(view.pictureToDraw().size(), QSize(40, 30));
}

} // namespace
