// mkpluvoart: draws pluvo's pictures (navigation, marks, title bar, footer, button strips, support picture and the
// connection guides) in one flat style, into a folder. Run by hand when the artwork changes; the results are kept
// in pluvo/res and pluvo/data/guide.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {
const QColor kInk(0x2B, 0x4C, 0x6F);
const QColor kAccent(0x3A, 0x9B, 0xD9);
const QColor kLight(0xF4, 0xF7, 0xFA);
const QColor kGreen(0x35, 0xD5, 0x38);

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

bool save(const QImage& img, const QString& path) {
    if (!img.save(path)) {
        std::fprintf(stderr, "mkpluvoart: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A navigation picture: a rounded tile with a symbol drawn on a 100 x 100 grid, scaled to 50 x 50.
template <typename Draw> QImage tile(Draw draw) {
    QImage img = canvas(100, 100);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 100);
    g.setColorAt(0, kAccent);
    g.setColorAt(1, kInk);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 20, 20);
    p.setPen(QPen(kLight, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    draw(p);
    p.end();
    return img.scaled(50, 50, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage strip(bool close) {
    const int w = 47, h = 37;
    QImage img = canvas(4 * w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor backs[4] = {QColor(0, 0, 0, 0), close ? QColor(0xD9, 0x3A, 0x3A) : QColor(255, 255, 255, 60),
                             close ? QColor(0xA8, 0x20, 0x20) : QColor(255, 255, 255, 110), QColor(128, 128, 128, 90)};
    for (int s = 0; s < 4; ++s) {
        const QRectF cell(s * w, 0, w, h);
        p.fillRect(cell, backs[s]);
        p.setPen(QPen(s == 3 ? QColor(200, 200, 200) : Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = cell.center();
        if (close) {
            p.drawLine(c + QPointF(-7, -7), c + QPointF(7, 7));
            p.drawLine(c + QPointF(-7, 7), c + QPointF(7, -7));
        } else {
            p.drawLine(c + QPointF(-8, 6), c + QPointF(8, 6));
        }
    }
    return img;
}

QImage mark(bool present) {
    QImage img = canvas(48, 48);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(present ? kGreen : QColor(0x9A, 0x9A, 0x9A));
    p.drawEllipse(QRectF(2, 2, 44, 44));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (present) {
        p.drawPolyline(QPolygonF({QPointF(13, 25), QPointF(21, 33), QPointF(35, 16)}));
    } else {
        p.drawLine(QPointF(16, 16), QPointF(32, 32));
        p.drawLine(QPointF(16, 32), QPointF(32, 16));
    }
    p.end();
    return img.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The scan tool as drawn in the guide and support pictures: a handheld with a screen and keys.
void drawTool(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 4));
    p.setBrush(QColor(0xE8, 0x8A, 0x1E));
    p.drawRoundedRect(r, 18, 18);
    p.setBrush(QColor(0x1E, 0x2A, 0x36));
    const QRectF screen(r.left() + r.width() * 0.12, r.top() + r.height() * 0.1, r.width() * 0.76, r.height() * 0.45);
    p.drawRoundedRect(screen, 6, 6);
    p.setBrush(kLight);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(r.left() + r.width() * (0.28 + 0.22 * i), r.top() + r.height() * 0.75), r.width() * 0.07,
                      r.width() * 0.07);
}

QImage guide(const QString& caption) {
    QImage img(800, 600, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Computer
    p.setPen(QPen(kInk, 5));
    p.setBrush(kLight);
    p.drawRoundedRect(QRectF(70, 120, 300, 200), 12, 12);
    p.setBrush(kAccent);
    p.drawRect(QRectF(90, 140, 260, 160));
    p.setBrush(kLight);
    p.drawRoundedRect(QRectF(40, 320, 360, 30), 8, 8);
    // Cable from the computer to the tool
    QPainterPath cable(QPointF(400, 335));
    cable.cubicTo(QPointF(480, 335), QPointF(470, 470), QPointF(560, 470));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x44, 0x44, 0x44), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    drawTool(p, QRectF(560, 250, 170, 280));
    // Arrow toward the tool
    p.setPen(QPen(kGreen, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(470, 200), QPointF(540, 270));
    p.drawPolyline(QPolygonF({QPointF(505, 272), QPointF(540, 270), QPointF(538, 235)}));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(20, 30, 760, 70), Qt::AlignCenter | Qt::TextWordWrap, caption);
    return img;
}

QImage support() {
    QImage img(720, 420, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTool(p, QRectF(90, 60, 150, 250));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(28);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QPointF(300, 110), QStringLiteral("Velmoran support"));
    f.setPixelSize(20);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(0x33, 0x33, 0x33));
    const char* lines[] = {"E-mail:  support@velmoran.example", "Web:  www.velmoran.example/support",
                           "Phone:  +1 555 0100, Mon-Fri 9-17 h", "Please have the model and",
                           "the serial number of your scan tool ready."};
    for (int i = 0; i < 5; ++i)
        p.drawText(QPointF(300, 160 + 34 * i), QString::fromLatin1(lines[i]));
    return img;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkpluvoart PNG-FOLDER GUIDE-FOLDER\n");
        return 2;
    }
    const QString png = QString::fromLocal8Bit(argv[1]), guides = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(png);
    QDir().mkpath(guides);
    bool ok = true;
    auto out = [&](int id, const QImage& img) { ok = save(img, QStringLiteral("%1/%2.png").arg(png).arg(id)) && ok; };

    out(135, tile([](QPainter& p) { // update: an arrow down into a chip
            p.drawLine(QPointF(50, 18), QPointF(50, 56));
            p.drawPolyline(QPolygonF({QPointF(34, 42), QPointF(50, 58), QPointF(66, 42)}));
            p.drawRoundedRect(QRectF(26, 66, 48, 16), 3, 3);
        }));
    out(209, tile([](QPainter& p) { // print: a printer with a sheet
            p.drawRect(QRectF(34, 18, 32, 22));
            p.drawRoundedRect(QRectF(20, 40, 60, 30), 6, 6);
            p.drawRect(QRectF(32, 62, 36, 22));
        }));
    out(136, tile([](QPainter& p) { // DTC: a magnifier over a code line
            p.drawEllipse(QPointF(44, 44), 20, 20);
            p.drawLine(QPointF(58, 58), QPointF(78, 78));
            p.drawLine(QPointF(34, 44), QPointF(54, 44));
        }));
    out(137, tile([](QPainter& p) { // manual: an open book
            p.drawPolyline(QPolygonF({QPointF(50, 30), QPointF(22, 22), QPointF(22, 74), QPointF(50, 82)}));
            p.drawPolyline(QPolygonF({QPointF(50, 30), QPointF(78, 22), QPointF(78, 74), QPointF(50, 82)}));
            p.drawLine(QPointF(50, 30), QPointF(50, 82));
        }));
    out(138, tile([](QPainter& p) { // settings: a gear
            p.drawEllipse(QPointF(50, 50), 14, 14);
            for (int i = 0; i < 8; ++i) {
                const double a = i * M_PI / 4;
                p.drawLine(QPointF(50 + 22 * std::cos(a), 50 + 22 * std::sin(a)),
                           QPointF(50 + 32 * std::cos(a), 50 + 32 * std::sin(a)));
            }
        }));
    out(220, tile([](QPainter& p) { // support: a headset
            p.drawArc(QRectF(24, 22, 52, 52), 0, 180 * 16);
            p.drawRoundedRect(QRectF(20, 48, 14, 22), 4, 4);
            p.drawRoundedRect(QRectF(66, 48, 14, 22), 4, 4);
            p.drawPolyline(QPolygonF({QPointF(73, 70), QPointF(73, 80), QPointF(54, 82)}));
        }));
    out(227, tile([](QPainter& p) { // picture tool: a framed landscape
            p.drawRect(QRectF(20, 26, 60, 48));
            p.drawPolyline(
                QPolygonF({QPointF(24, 70), QPointF(42, 48), QPointF(56, 62), QPointF(64, 54), QPointF(78, 70)}));
            p.drawEllipse(QPointF(66, 38), 5, 5);
        }));
    out(139, mark(true));
    out(140, mark(false));
    out(201, strip(true));
    out(202, strip(false));
    {
        QImage title(1010, 56, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&title);
        QLinearGradient g(0, 0, 0, 56);
        g.setColorAt(0, kAccent);
        g.setColorAt(1, kInk);
        p.fillRect(title.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(26);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(24, 0, 170, 56), Qt::AlignVCenter, QStringLiteral("pluvo"));
        p.end();
        out(133, title);
    }
    {
        QImage footer(1010, 22, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&footer);
        QLinearGradient g(0, 0, 0, 22);
        g.setColorAt(0, kInk);
        g.setColorAt(1, QColor(0x1B, 0x32, 0x4A));
        p.fillRect(footer.rect(), g);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(11);
        p.setFont(f);
        p.setPen(QColor(0xC8, 0xD6, 0xE5));
        p.drawText(footer.rect().adjusted(0, 0, -12, 0), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Velmoran scan tools"));
        p.end();
        out(218, footer);
    }
    out(221, support());
    {
        QImage icon = tile([](QPainter& p) {
            p.drawLine(QPointF(50, 18), QPointF(50, 56));
            p.drawPolyline(QPolygonF({QPointF(34, 42), QPointF(50, 58), QPointF(66, 42)}));
            p.drawRoundedRect(QRectF(26, 66, 48, 16), 3, 3);
        });
        out(128, icon.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    const struct {
        const char* code;
        const char* caption;
    } captions[] = {
        {"en", "Connect the scan tool to this computer with its USB cable"},
        {"fr", "Reliez l'outil de diagnostic à cet ordinateur par son câble USB"},
        {"es", "Conecte la herramienta a este ordenador con su cable USB"},
        {"de", "Verbinden Sie das Diagnosegerät per USB-Kabel mit diesem Computer"},
        {"ru", "Подключите сканер к компьютеру кабелем USB"},
    };
    for (const auto& c : captions)
        ok = guide(QString::fromUtf8(c.caption))
                 .save(QStringLiteral("%1/%2_guide.jpg").arg(guides, QLatin1String(c.code)), "JPG", 88) &&
             ok;
    return ok ? 0 : 1;
}
