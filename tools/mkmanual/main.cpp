// mkmanual: turns a manual written in simple HTML into a PDF (A4, numbered pages), at build time.
//
//     mkmanual <manual.html> <output.pdf> [title]
//
// Exits 0 when the PDF was written, 1 with a message when the text cannot be read or the PDF not written. The PDF is
// written to a temporary name and renamed into place, so a failed run leaves no half-written manual.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

namespace {
// Body text size that reads well on paper.
constexpr int kBodyPointSize = 11;
constexpr int kResolutionDpi = 300;
constexpr double kMarginMm = 20;
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: mkmanual <manual.html> <output.pdf> [title]\n");
        return 1;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QFile file(input);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkmanual: cannot read %s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    const QString html = QString::fromUtf8(file.readAll());

    const QString temporary = output + ".tmp";
    {
        QPdfWriter writer(temporary);
        writer.setResolution(kResolutionDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        writer.setCreator("KorvoUpdate");
        writer.setTitle(argc > 3 ? QString::fromLocal8Bit(argv[3]) : QFileInfo(output).completeBaseName());
        QTextDocument document;
        QFont font("DejaVu Sans");
        font.setPointSize(kBodyPointSize);
        document.setDefaultFont(font);
        document.setHtml(html);
        // The document is unpaginated, so printing lays it out on the writer's pages and numbers them.
        document.print(&writer);
    }
    QFile::remove(output);
    if (QFileInfo(temporary).size() == 0 || !QFile::rename(temporary, output)) {
        QFile::remove(temporary);
        std::fprintf(stderr, "mkmanual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
