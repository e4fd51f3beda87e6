// Pictures of every control in a few states, written under the build's tests/controls/renders/ for a look by eye;
// the checks here only make sure each picture shows its control at all.
#include "ControlsTestSupport.h"
#include "KorvoUpdateBasicButton.h"
#include "KorvoUpdateDownloadButton.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateSearchFieldCell.h"
#include "KorvoUpdateSecureField.h"
#include "KorvoUpdateSecureTextField.h"
#include "KorvoUpdateTableCellView.h"
#include "KorvoUpdateTableHeaderCell.h"
#include "KorvoUpdateTableRowView.h"
#include "KorvoUpdateTableView.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QImage glyph(const QString& kind, int side = 16) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
    if (kind == QLatin1String("search")) {
        p.drawEllipse(QRectF(2, 2, 9, 9));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
    } else if (kind == QLatin1String("clear")) {
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    } else if (kind == QLatin1String("eye")) {
        QPainterPath eye;
        eye.moveTo(1, 8);
        eye.quadTo(8, 1, 15, 8);
        eye.quadTo(8, 15, 1, 8);
        p.drawPath(eye);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(8, 8), 2, 2);
    } else {
        p.drawRect(QRectF(3, 7, 10, 7));
        p.drawArc(QRectF(5, 2, 6, 9), 0, 180 * 16);
    }
    return image;
}

void styleButton(KorvoUpdateBasicButton* b, const QColor& fill, const QColor& fillOn) {
    b->setCornerRadius(6);
    b->setBorderWidth(1);
    b->setBorderNormalColor(QColor(180, 180, 180));
    b->setBorderHighlightColor(QColor(0, 90, 200));
    b->setBackgroundNormalColor(fill);
    b->setBackgroundHighlightColor(fillOn);
    b->setImageNormalColor(QColor(60, 60, 60));
    b->setImageHighlightColor(Qt::white);
    b->setTitleNormalColor(QColor(30, 30, 30));
    b->setTitleHighlightColor(Qt::white);
}

void sideButton(KorvoUpdateBasicButton* b, const QString& kind) {
    b->setImage(glyph(kind));
    b->setImagePosition(KorvoUpdateBasicButton::ImageOnly);
    b->setBackgroundNormalColor(Qt::transparent);
    b->setBackgroundHighlightColor(QColor(220, 220, 220));
    b->setImageNormalColor(QColor(120, 120, 120));
    b->setImageHighlightColor(QColor(0, 90, 200));
}

QWidget* panel(int w, int h) {
    auto* p = new QWidget;
    p->resize(w, h);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, Qt::white);
    p->setPalette(pal);
    return p;
}

QString save(QWidget* widget, const QString& name) {
    const QString path = saveRender(widget->grab().toImage(), name);
    EXPECT_FALSE(path.isEmpty()) << name.toStdString();
    return path;
}

// The firmware list's shape: four text columns and the progress column.
class FirmwareRows : public KorvoUpdateTableViewDataSource {
public:
    struct Row {
        QString version, lan, date, size;
        double progress;
        int state;
    };
    QVector<Row> rows;

    int numberOfRowsInTableView(KorvoUpdateTableView*) override { return rows.size(); }
    QWidget* tableView(KorvoUpdateTableView* table, int column, int row) override {
        const Row& r = rows.at(row);
        if (column == 4) {
            auto* button = qobject_cast<KorvoUpdateDownloadButton*>(
                table->makeViewWithIdentifier(table->columnIdentifier(column)));
            if (!button) button = new KorvoUpdateDownloadButton;
            button->setProgress(r.progress, r.state);
            return button;
        }
        auto* cell =
            qobject_cast<KorvoUpdateTableCellView*>(table->makeViewWithIdentifier(table->columnIdentifier(column)));
        if (!cell) cell = new KorvoUpdateTableCellView;
        cell->textField1()->setEditable(false);
        const QString texts[] = {r.version, r.lan, r.date, r.size};
        cell->textField1()->setText(texts[column]);
        return cell;
    }
};

class DtcRows : public KorvoUpdateTableViewDataSource {
public:
    QVector<QPair<QString, QString>> rows;
    int numberOfRowsInTableView(KorvoUpdateTableView*) override { return rows.size(); }
    QWidget* tableView(KorvoUpdateTableView* table, int column, int row) override {
        auto* cell =
            qobject_cast<KorvoUpdateTableCellView*>(table->makeViewWithIdentifier(table->columnIdentifier(column)));
        if (!cell) cell = new KorvoUpdateTableCellView;
        cell->textField1()->setEditable(false);
        cell->textField1()->setText(column == 0 ? rows.at(row).first : rows.at(row).second);
        return cell;
    }
};

} // namespace

TEST(Render, BasicButtons) {
    std::unique_ptr<QWidget> p(panel(460, 70));
    const QString titles[] = {"Off", "On", "Disabled", "Search", "Lock"};
    QVector<KorvoUpdateBasicButton*> buttons;
    QWidget disabledHolder;
    disabledHolder.setEnabled(false);
    for (int i = 0; i < 5; ++i) {
        auto* b = new KorvoUpdateBasicButton(i == 2 ? &disabledHolder : p.get());
        if (i == 2) b->setParent(p.get());
        b->setGeometry(10 + i * 90, 18, 80, 32);
        b->setTitle(titles[i]);
        QFont font = b->font();
        font.setPixelSize(13);
        b->setFont(font);
        styleButton(b, QColor(245, 245, 245), QColor(0, 110, 230));
        buttons << b;
    }
    buttons[1]->setState(KorvoUpdateBasicButton::kOnState);
    buttons[3]->setImage(glyph("search"));
    buttons[3]->setImagePosition(KorvoUpdateBasicButton::ImageLeft);
    buttons[3]->setImageHugsTitle(true);
    buttons[3]->setSpacing(3);
    buttons[4]->setImage(glyph("lock"));
    buttons[4]->setImagePosition(KorvoUpdateBasicButton::ImageLeft);
    buttons[4]->setImageHugsTitle(true);
    buttons[4]->setSpacing(3);
    buttons[4]->setState(KorvoUpdateBasicButton::kOnState);
    const QImage image = p->grab().toImage();
    EXPECT_TRUE(near(QColor(0, 110, 230), image.pixelColor(100 + 5, 34)));
    EXPECT_TRUE(near(QColor(245, 245, 245), image.pixelColor(10 + 5, 34)));
    save(p.get(), "basicbutton.png");
}

TEST(Render, SearchAndSecureFields) {
    std::unique_ptr<QWidget> p(panel(460, 170));
    QFont font;
    font.setPixelSize(15);

    auto* plain = new KorvoUpdateSearchField(p.get());
    plain->setGeometry(10, 10, 210, 30);
    plain->setFont(font);
    plain->setText(QStringLiteral("P0300"));

    auto* sides = new KorvoUpdateSearchField(p.get());
    sides->setGeometry(240, 10, 210, 30);
    sides->setFont(font);
    KorvoUpdateSearchFieldCell* cell = sides->searchCell();
    cell->setBgColor(QColor(246, 246, 246));
    cell->setLeftButtonWidth(28);
    cell->setRightButtonWidth(28);
    sideButton(cell->leftButton(), "search");
    sideButton(cell->rightButton(), "clear");
    cell->rightButton()->setState(KorvoUpdateBasicButton::kOnState);
    sides->setText(QStringLiteral("Misfire detected"));

    auto* noBorder = new KorvoUpdateSearchField(p.get());
    noBorder->setGeometry(10, 55, 210, 30);
    noBorder->setFont(font);
    noBorder->setFiledEventType(KorvoUpdateSearchField::kPlain);
    noBorder->setText(QStringLiteral("Plain frame style"));

    auto* secure = new KorvoUpdateSecureField(QRect(240, 55, 210, 32), p.get());
    secure->setLeftButtonWidth(28);
    secure->setRightButtonWidth(28);
    sideButton(secure->leftButton(), "lock");
    sideButton(secure->rightButton(), "eye");
    secure->secureTextField()->setText(QStringLiteral("password"));

    auto* focused = new KorvoUpdateSecureField(QRect(240, 100, 210, 32), p.get());
    focused->setLeftButtonWidth(0);
    focused->setRightButtonWidth(0);
    ASSERT_TRUE(showAndWait(p.get()));
    QApplication::setActiveWindow(p.get());
    focused->secureTextField()->setFocus();
    QTest::keyClicks(focused->secureTextField(), QStringLiteral("abc"));
    ASSERT_TRUE(waitFor([&] { return !focused->secureTextField()->caretRect().isEmpty(); }));

    const QImage image = p->grab().toImage();
    EXPECT_TRUE(near(QColor(246, 246, 246), image.pixelColor(240 + 105, 12), 4));
    EXPECT_TRUE(near(Qt::white, image.pixelColor(240 + 165, 55 + 5), 4));
    save(p.get(), "fields.png");
}

TEST(Render, ProgressButtonStates) {
    std::unique_ptr<QWidget> p(panel(460, 170));
    const int states[][2] = {{0, 0}, {6, 25}, {8, 100}, {9, 0}};
    for (int i = 0; i < 4; ++i) {
        auto* b = new KorvoUpdateDownloadButton(p.get());
        b->setGeometry(0, i * 40, 460, 40);
        b->setProgress(states[i][1] / 100.0, states[i][0]);
    }
    const QImage image = p->grab().toImage();
    EXPECT_TRUE(near(QColor(0, 180, 0), image.pixelColor(5 + 25, 40 + 20)));
    EXPECT_TRUE(near(QColor(170, 170, 170), image.pixelColor(5 + 75, 40 + 20)));
    save(p.get(), "progress.png");
}

TEST(Render, FirmwareTable) {
    std::unique_ptr<QWidget> p(panel(1000, 260));
    FirmwareRows rows;
    rows.rows = {{"V1.10", "EN", "20231104", "2.4MB", 0, 0},
                 {"V1.20", "EN", "20240105", "2.5MB", 0.25, 6},
                 {"V1.30", "EN", "20240311", "2.5MB", 1.0, 8},
                 {"V1.31", "EN", "20240402", "812.0KB", 0, 9}};
    auto* table = new KorvoUpdateTableView(p.get());
    table->setGeometry(10, 10, 980, 240);
    table->setRowHeight(40);
    table->setSelectionHighlightStyle(KorvoUpdateTableView::SelectionHighlightNone);
    table->setGridStyleMask(KorvoUpdateTableView::SolidVerticalGridLine |
                            KorvoUpdateTableView::SolidHorizontalGridLine);
    const char* titles[] = {"Version", "Language", "Date", "Size", "Progress"};
    for (int i = 0; i < 5; ++i) {
        table->addTableColumn(titles[i], titles[i], i < 4 ? 110 : 980 - 440);
        table->setHeaderCell(i, new KorvoUpdateTableHeaderCell(titles[i]));
    }
    table->setDataSource(&rows);
    ASSERT_TRUE(showAndWait(p.get()));
    // The progress column takes what the four fixed columns leave.
    table->setColumnWidth(4, table->viewport()->width() - 440);
    table->selectRowIndexes({1}, false);
    QTest::qWait(50);
    const QImage image = p->grab().toImage();
    const int header = table->horizontalHeader()->height();
    EXPECT_TRUE(near(QColor(187, 187, 187), image.pixelColor(12, 10 + header / 2), 2));
    save(p.get(), "table_firmware.png");
    table->setDataSource(nullptr);
}

TEST(Render, DtcTableAndRowView) {
    std::unique_ptr<QWidget> p(panel(520, 240));
    DtcRows rows;
    rows.rows = {{"P0100", "Mass or Volume Air Flow Circuit Malfunction"},
                 {"P0101", "Mass or Volume Air Flow Circuit Range/Performance Problem"},
                 {"P0102", "Mass or Volume Air Flow Circuit Low Input"},
                 {"P0300", "Random/Multiple Cylinder Misfire Detected"},
                 {"P0301", "Cylinder 1 Misfire Detected"}};
    auto* table = new KorvoUpdateTableView(p.get());
    table->setGeometry(10, 10, 500, 190);
    table->setRowHeight(34);
    table->setGridStyleMask(KorvoUpdateTableView::SolidVerticalGridLine |
                            KorvoUpdateTableView::SolidHorizontalGridLine);
    table->addTableColumn("Code", "Code", 140);
    table->addTableColumn("Description", "Description", 500 - 140);
    table->setHeaderCell(0, new KorvoUpdateTableHeaderCell("Code"));
    table->setHeaderCell(1, new KorvoUpdateTableHeaderCell("Description"));
    table->setDataSource(&rows);
    table->selectRowIndexes({3}, false);

    auto* rowView = new KorvoUpdateTableRowView(p.get());
    rowView->setGeometry(10, 205, 500, 30);
    rowView->setSelected(true);
    auto* label = new QLabel(QStringLiteral("A selected row view"), rowView);
    label->move(8, 7);
    ASSERT_TRUE(showAndWait(p.get()));
    const QImage image = p->grab().toImage();
    EXPECT_TRUE(near(KorvoUpdateTableRowView::kSelectionFillColor, image.pixelColor(400, 220), 4));
    save(p.get(), "table_dtc.png");
    table->setDataSource(nullptr);
}
