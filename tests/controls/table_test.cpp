#include "ControlsTestSupport.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateTableCellView.h"
#include "KorvoUpdateTableHeaderCell.h"
#include "KorvoUpdateTableHeaderView.h"
#include "KorvoUpdateTableRowView.h"
#include "KorvoUpdateTableView.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Rows of labels, reusing what the table hands back; remembers what it was asked and told.
class Rows : public KorvoUpdateTableViewDataSource, public KorvoUpdateTableViewDelegate {
public:
    int count = 0;
    int made = 0;
    int asked = 0;
    QList<long> clicked;
    QList<QList<int>> selectionAtClick;

    int numberOfRowsInTableView(KorvoUpdateTableView*) override { return count; }
    QWidget* tableView(KorvoUpdateTableView* table, int column, int row) override {
        ++asked;
        auto* label = qobject_cast<QLabel*>(table->makeViewWithIdentifier(table->columnIdentifier(column)));
        if (!label) {
            label = new QLabel;
            ++made;
        }
        label->setText(QStringLiteral("r%1c%2").arg(row).arg(column));
        return label;
    }
    void tableView(KorvoUpdateTableView* table, long row) override {
        clicked << row;
        selectionAtClick << table->selectedRowIndexes();
    }
};

struct Table {
    QWidget window;
    KorvoUpdateTableView* table;
    Rows rows;

    explicit Table(int count, int height = 240) {
        window.resize(560, height);
        table = new KorvoUpdateTableView(&window);
        table->setGeometry(window.rect());
        for (int i = 0; i < 5; ++i)
            table->addTableColumn(QStringLiteral("col%1").arg(i), QString::number(i), 110);
        table->setRowHeight(40);
        table->setAllowsMultipleSelection(true);
        table->setGridStyleMask(KorvoUpdateTableView::SolidVerticalGridLine |
                                KorvoUpdateTableView::SolidHorizontalGridLine);
        rows.count = count;
        table->setExtendedDelegate(&rows);
        table->setDataSource(&rows);
    }
    ~Table() {
        table->setDataSource(nullptr);
        table->setExtendedDelegate(nullptr);
    }
    QPoint rowPoint(int row) const { return QPoint(30, row * 40 + 20); }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, rowPoint(row));
    }
};

} // namespace

TEST(TableView, ReportsTheClickedRowAfterSelecting) {
    Table t(4);
    ASSERT_TRUE(showAndWait(&t.window));
    QSignalSpy spy(t.table, &KorvoUpdateTableView::didClickedRow);
    t.click(3);
    ASSERT_EQ(QList<long>{3}, t.rows.clicked);
    EXPECT_EQ(QList<int>{3}, t.rows.selectionAtClick.at(0));
    t.click(3);
    EXPECT_EQ((QList<long>{3, 3}), t.rows.clicked);
    EXPECT_EQ(2, spy.count());

    // Below the last row: the table clears its selection, nobody is told.
    QTest::mouseClick(t.table->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 4 * 40 + 30));
    EXPECT_EQ(2, t.rows.clicked.size());
    EXPECT_TRUE(t.table->selectedRowIndexes().isEmpty());
}

TEST(TableView, SecondPressOfADoubleClickIsReportedToo) {
    Table t(4);
    ASSERT_TRUE(showAndWait(&t.window));
    QTest::mouseDClick(t.table->viewport(), Qt::LeftButton, Qt::NoModifier, t.rowPoint(1));
    EXPECT_EQ((QList<long>{1, 1}), t.rows.clicked);
}

TEST(TableView, PressesOnCellViewsReachTheTable) {
    Table t(4);
    ASSERT_TRUE(showAndWait(&t.window));
    QWidget* cell = t.table->viewAtColumn(2, 1);
    ASSERT_NE(nullptr, cell);
    clickThroughWindow(cell, QPoint(5, 5));
    EXPECT_EQ(QList<long>{1}, t.rows.clicked);
}

TEST(TableView, WithoutDelegatePressesOnlySelect) {
    Table t(4);
    t.table->setExtendedDelegate(nullptr);
    ASSERT_TRUE(showAndWait(&t.window));
    t.click(2);
    EXPECT_TRUE(t.rows.clicked.isEmpty());
    EXPECT_EQ(QList<int>{2}, t.table->selectedRowIndexes());
}

TEST(TableView, DelegateClearedWhileAPressIsHandledIsNotTold) {
    Table t(4);
    ASSERT_TRUE(showAndWait(&t.window));
    // Cleared by the selection change the press itself makes, before the table would tell it.
    auto clearing = QObject::connect(t.table->selectionModel(), &QItemSelectionModel::selectionChanged,
                                     [&] { t.table->setExtendedDelegate(nullptr); });
    QSignalSpy spy(t.table, &KorvoUpdateTableView::didClickedRow);
    t.click(2);
    EXPECT_TRUE(t.rows.clicked.isEmpty());
    EXPECT_EQ(QList<int>{2}, t.table->selectedRowIndexes());
    EXPECT_EQ(1, spy.count());
    QObject::disconnect(clearing);

    // A delegate that lets go of the table while it is told: later presses reach nobody.
    struct Once : KorvoUpdateTableViewDelegate {
        int told = 0;
        void tableView(KorvoUpdateTableView* table, long) override {
            ++told;
            table->setExtendedDelegate(nullptr);
        }
    } once;
    t.table->setExtendedDelegate(&once);
    t.click(1);
    t.click(3);
    EXPECT_EQ(1, once.told);
}

TEST(TableView, RowsAndColumnsOutOfRangeAreIgnored) {
    Table t(3);
    ASSERT_TRUE(showAndWait(&t.window));
    const int asked = t.rows.asked;
    t.table->reloadDataForRowIndexes({-1, 3, 1000}, {-2, 5, 99});
    EXPECT_EQ(asked, t.rows.asked);
    EXPECT_EQ(nullptr, t.table->viewAtColumn(-1, -1));
    EXPECT_EQ(nullptr, t.table->viewAtColumn(0, 3));
    t.table->deselectRow(-1);
    t.table->scrollRowToVisible(1000);
    EXPECT_FALSE(t.table->isRowSelected(-1));
    EXPECT_EQ(QString(), t.table->columnIdentifier(-1));
    t.table->setHeaderCell(-1, new KorvoUpdateTableHeaderCell(QString()));
    EXPECT_EQ(nullptr, t.table->headerCell(-1));
}

TEST(TableView, SelectionRules) {
    Table t(6);
    ASSERT_TRUE(showAndWait(&t.window));
    t.click(1);
    t.click(3, Qt::ControlModifier);
    EXPECT_EQ((QList<int>{1, 3}), t.table->selectedRowIndexes());
    t.click(4, Qt::ShiftModifier);
    EXPECT_EQ((QList<int>{1, 3, 4}), t.table->selectedRowIndexes());
    t.click(2);
    EXPECT_EQ(QList<int>{2}, t.table->selectedRowIndexes());

    t.table->setAllowsMultipleSelection(false);
    t.click(0);
    t.click(5, Qt::ControlModifier);
    EXPECT_EQ(QList<int>{5}, t.table->selectedRowIndexes());

    t.table->setAllowsMultipleSelection(true);
    t.table->selectRowIndexes({0, 2}, false);
    t.table->selectRowIndexes({4, 99, -1}, true);
    EXPECT_EQ((QList<int>{0, 2, 4}), t.table->selectedRowIndexes());
    t.table->deselectRow(2);
    EXPECT_EQ((QList<int>{0, 4}), t.table->selectedRowIndexes());

    // A reload keeps the selection of rows that remain.
    t.rows.count = 3;
    t.table->reloadData();
    EXPECT_EQ(QList<int>{0}, t.table->selectedRowIndexes());
    EXPECT_EQ(3, t.table->numberOfRows());
}

TEST(TableView, MakesViewsOnlyForVisibleCellsAndReusesThem) {
    Table t(1000, 240);
    ASSERT_TRUE(showAndWait(&t.window));
    const int visibleRows = (t.table->viewport()->height() + 39) / 40;
    int live = 0;
    for (int row = 0; row < 1000; ++row)
        for (int column = 0; column < 5; ++column)
            live += t.table->viewAtColumn(column, row) ? 1 : 0;
    EXPECT_EQ(visibleRows * 5, live);
    const int madeAtStart = t.rows.made;
    auto* label = qobject_cast<QLabel*>(t.table->viewAtColumn(4, 0));
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(QStringLiteral("r0c4"), label->text());
    EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents));

    for (int step = 0; step < 20; ++step)
        t.table->verticalScrollBar()->setValue(t.table->verticalScrollBar()->value() + 300);
    EXPECT_LE(t.rows.made, madeAtStart + 5 * 2);
    EXPECT_EQ(nullptr, t.table->viewAtColumn(4, 0));
    t.table->scrollRowToVisible(999);
    auto* last = qobject_cast<QLabel*>(t.table->viewAtColumn(1, 999));
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(QStringLiteral("r999c1"), last->text());
}

TEST(TableView, ReloadOfOneCellAsksForThatCellOnly) {
    Table t(3);
    ASSERT_TRUE(showAndWait(&t.window));
    const int asked = t.rows.asked;
    QWidget* before = t.table->viewAtColumn(4, 1);
    t.table->reloadDataForRowIndexes({1}, {4});
    EXPECT_EQ(asked + 1, t.rows.asked);
    EXPECT_EQ(before, t.table->viewAtColumn(4, 1));
    t.table->reloadData();
    EXPECT_EQ(asked + 1 + 15, t.rows.asked);
}

TEST(TableView, FiveColumnsOfFortyPointRows) {
    Table t(3);
    ASSERT_TRUE(showAndWait(&t.window));
    EXPECT_EQ(5, t.table->numberOfColumns());
    EXPECT_EQ(3, t.table->columnWithIdentifier(QStringLiteral("col3")));
    EXPECT_EQ(-1, t.table->columnWithIdentifier(QStringLiteral("none")));
    EXPECT_EQ(40, t.table->rowViewportPosition(1));
    // Cells leave the grid lines at their right and bottom edges free.
    EXPECT_EQ(QRect(110, 40, 109, 39), t.table->viewAtColumn(1, 1)->geometry());
}

TEST(TableHeaderCell, LaysOutTitleAndLinesWhenDrawn) {
    Table t(1);
    auto* cell = new KorvoUpdateTableHeaderCell(QStringLiteral("Version"));
    t.table->setHeaderCell(1, cell);
    t.table->setHeaderCell(9, new KorvoUpdateTableHeaderCell(QStringLiteral("nowhere")));
    EXPECT_EQ(cell, t.table->headerCell(1));
    ASSERT_TRUE(showAndWait(&t.window));
    const QImage header = t.table->headerView()->grab().toImage();
    QWidget* view = t.table->headerView()->viewport();
    const int V = view->height();
    EXPECT_EQ(view, cell->checkButton()->parentWidget());
    EXPECT_EQ(QRect(116, 1, 107, V - 2), cell->checkButton()->geometry());
    EXPECT_EQ(QRect(219, 0, 1, V), cell->rightLineView()->geometry());
    EXPECT_EQ(QRect(111, V - 1, 108, 1), cell->bottomLineView()->geometry());
    EXPECT_EQ(QStringLiteral("Version"), cell->checkButton()->text());
    EXPECT_TRUE(near(KorvoUpdateTableHeaderCell::kBackgroundColor, header.pixelColor(112, V / 2), 0));
    EXPECT_TRUE(near(KorvoUpdateTableHeaderCell::kGridColor, header.pixelColor(219, V / 2), 0));

    QPointer<QPushButton> button = cell->checkButton();
    t.table->setHeaderCell(1, nullptr);
    EXPECT_FALSE(button);
}

// The title is a KorvoUpdateButton with neither look, black and left aligned; a press on it stops there: the
// header does not see it and the header's delegate is not told.
TEST(TableHeaderCell, TheCheckButtonSwallowsPresses) {
    struct Delegate : KorvoUpdateTableHeaderCellDelegate {
        void softwareManagementTableHeader(KorvoUpdateTableHeaderCell*, QAbstractButton*) override { ++calls; }
        int calls = 0;
    } delegate;
    struct PressCounter : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::MouseButtonPress) ++presses;
            return false;
        }
        int presses = 0;
    } counter;

    Table t(1);
    auto* cell = new KorvoUpdateTableHeaderCell(QStringLiteral("Version"));
    cell->setDelegate(&delegate);
    t.table->setHeaderCell(1, cell);
    ASSERT_TRUE(showAndWait(&t.window));
    KorvoUpdateButton* button = cell->checkButton();
    EXPECT_FALSE(button->showBackgroundImage());
    EXPECT_FALSE(button->onlyShowTextColor());
    EXPECT_EQ(QColor(Qt::black), button->titleColor());
    EXPECT_EQ(Qt::AlignLeft, button->alignment() & Qt::AlignHorizontal_Mask);
    EXPECT_EQ(KorvoUpdateTableHeaderCell::kTitlePixelSize, button->font().pixelSize());

    t.table->headerView()->viewport()->installEventFilter(&counter);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, button->height() / 2));
    EXPECT_EQ(0, counter.presses);
    EXPECT_EQ(0, delegate.calls);
    EXPECT_FALSE(button->isHighlightedLook()); // pressed and released
    // Beside the title the header still takes its presses.
    QTest::mouseClick(t.table->headerView()->viewport(), Qt::LeftButton, {}, QPoint(112, 3));
    EXPECT_EQ(1, counter.presses);
    cell->setDelegate(nullptr);
}

TEST(TableCellView, ImageColumnAndTextOnlyLayouts) {
    KorvoUpdateTableCellView cell;
    cell.resize(200, 34);
    cell.show();
    EXPECT_EQ(QSize(0, 0), cell.imageView1()->size());
    const QRect text = cell.textField1()->geometry();
    EXPECT_EQ(5, text.x());
    EXPECT_NEAR(17, text.center().y(), 1);
    EXPECT_EQ(1, cell.textField1()->filedEventType());
    EXPECT_FALSE(cell.textField1()->isBordered());
    EXPECT_EQ(0, cell.textField1()->textMargins().left());

    cell.setShowImage(true);
    EXPECT_EQ(QRect(5, 0, 18, 34), cell.imageView1()->geometry());
    EXPECT_EQ(QRect(26, 0, 174, 34), cell.textField1()->geometry());

    EXPECT_EQ(0, grabImage(&cell).pixelColor(100, 2).alpha());
    cell.setBackgroundStyle(KorvoUpdateTableCellView::BackgroundStyleEmphasized);
    EXPECT_EQ(KorvoUpdateTableCellView::kEmphasizedColor, grabImage(&cell).pixelColor(100, 2));
}

TEST(TableView, CellsOfSelectedRowsAreEmphasizedUnderTheOrdinaryHighlight) {
    struct Cells : KorvoUpdateTableViewDataSource {
        int numberOfRowsInTableView(KorvoUpdateTableView*) override { return 3; }
        QWidget* tableView(KorvoUpdateTableView*, int, int) override { return new KorvoUpdateTableCellView; }
    } cells;
    QWidget window;
    window.resize(300, 200);
    auto* table = new KorvoUpdateTableView(&window);
    table->setGeometry(window.rect());
    table->addTableColumn(QStringLiteral("Code"), QStringLiteral("Code"), 140);
    table->setDataSource(&cells);
    ASSERT_TRUE(showAndWait(&window));
    auto style = [&](int row) {
        return qobject_cast<KorvoUpdateTableCellView*>(table->viewAtColumn(0, row))->backgroundStyle();
    };
    table->selectRowIndexes({1}, false);
    EXPECT_EQ(1, style(1));
    EXPECT_EQ(0, style(0));
    table->setSelectionHighlightStyle(KorvoUpdateTableView::SelectionHighlightNone);
    EXPECT_EQ(0, style(1));
    table->setDataSource(nullptr);
}

TEST(TableRowView, DrawsSelectionOnlyWithAHighlightStyle) {
    KorvoUpdateTableRowView row;
    row.resize(100, 30);
    row.setSelected(true);
    QImage image = grabImage(&row);
    EXPECT_TRUE(near(KorvoUpdateTableRowView::kSelectionFillColor, image.pixelColor(50, 15), 2));
    EXPECT_EQ(0, image.pixelColor(0, 0).alpha());
    EXPECT_GT(image.pixelColor(1, 15).lightness(), 240);

    row.setSelectionHighlightStyle(KorvoUpdateTableRowView::kSelectionHighlightNone);
    image = grabImage(&row);
    EXPECT_EQ(0, image.pixelColor(50, 15).alpha());
}
