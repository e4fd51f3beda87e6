#include "ControlsTestSupport.h"
#include "KorvoUpdateNumberFormatter.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateSearchFieldCell.h"
#include "KorvoUpdateSecureField.h"
#include "KorvoUpdateSecureTextField.h"
#include "KorvoUpdateSecureTextFieldCell.h"
#include "RoundedBorderOverlay.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

TEST(SearchField, FrameStyleZeroBordersOneClearsOthersKeep) {
    KorvoUpdateSearchField field;
    field.resize(200, 30);
    EXPECT_EQ(0, field.filedEventType());
    EXPECT_TRUE(field.isBordered());
    EXPECT_TRUE(near(RoundedBorderOverlay::kBorderColor, grabImage(&field).pixelColor(100, 0), 40));
    field.setFiledEventType(2);
    EXPECT_TRUE(field.isBordered());
    field.setFiledEventType(1);
    EXPECT_FALSE(field.isBordered());
    EXPECT_EQ(0, grabImage(&field).pixelColor(100, 0).alpha());
    field.setFiledEventType(7);
    EXPECT_FALSE(field.isBordered());
}

TEST(SearchField, ReportsUserEditsAndEndOfEditing) {
    KorvoUpdateSearchField field;
    QStringList changes, ends;
    QObject* editor = nullptr;
    field.setTextFieldDidChange([&](QObject* e, const QString& text) {
        editor = e;
        changes << text;
    });
    field.setTextFieldDidEndEditing([&](QObject*, const QString& text) { ends << text; });
    QTest::keyClicks(&field, QStringLiteral("ab"));
    EXPECT_EQ((QStringList{"a", "ab"}), changes);
    EXPECT_EQ(&field, editor);
    field.setText(QStringLiteral("set by code"));
    EXPECT_EQ(2, changes.size());
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(QStringList{"set by code"}, ends);

    KorvoUpdateSearchField silent;
    QTest::keyClicks(&silent, QStringLiteral("xy"));
    QTest::keyClick(&silent, Qt::Key_Return);
    EXPECT_EQ(QStringLiteral("xy"), silent.text());
}

TEST(SearchFieldCell, TextSitsBetweenSideButtonsWithMargins) {
    KorvoUpdateSearchField field;
    field.resize(200, 30);
    KorvoUpdateSearchFieldCell* cell = field.searchCell();
    ASSERT_NE(nullptr, cell);
    EXPECT_DOUBLE_EQ(5, cell->margin());
    EXPECT_TRUE(field.placeholderText().isEmpty());
    const double line = QFontMetricsF(field.font()).height();
    EXPECT_EQ(QRectF(5, (30 - line) / 2, 190, line), cell->searchTextRectForBounds(QRectF(field.rect())));
    EXPECT_EQ(5, field.textMargins().left());
    EXPECT_EQ(5, field.textMargins().right());

    cell->setLeftButtonWidth(30);
    cell->setRightButtonWidth(20);
    ASSERT_TRUE(cell->leftButton() && cell->rightButton());
    EXPECT_EQ(QRect(0, 0, 30, 30), cell->leftButton()->geometry());
    EXPECT_EQ(QRect(170, 0, 20, 30), cell->rightButton()->geometry());
    EXPECT_EQ(&field, cell->rightButton()->parentWidget());
    EXPECT_EQ(QRectF(35, (30 - line) / 2, 140, line), cell->searchTextRectForBounds(QRectF(field.rect())));
    EXPECT_EQ(35, field.textMargins().left());
    EXPECT_EQ(25, field.textMargins().right());
    EXPECT_DOUBLE_EQ(30, cell->searchButtonRectForBounds(QRectF(field.rect())).width());
    EXPECT_DOUBLE_EQ(25, cell->cancelButtonRectForBounds(QRectF(field.rect())).width());

    // Each width setter makes a new button; the earlier one stays in the field.
    QPointer<KorvoUpdateBasicButton> first = cell->leftButton();
    cell->setLeftButtonWidth(10);
    EXPECT_NE(first.data(), cell->leftButton());
    EXPECT_TRUE(first);
    EXPECT_EQ(&field, first->parentWidget());
}

TEST(SearchFieldCell, ButtonsMadeBeforeAFieldStayOutsideAndGoWithTheCell) {
    auto* cell = new KorvoUpdateSearchFieldCell;
    cell->setLeftButtonWidth(0);
    cell->setRightButtonWidth(0);
    QPointer<KorvoUpdateBasicButton> left = cell->leftButton();
    ASSERT_TRUE(left);
    EXPECT_EQ(nullptr, left->parentWidget());
    EXPECT_EQ(0, left->height());
    delete cell;
    EXPECT_FALSE(left);
}

TEST(SearchField, ShowsTheStartOfALongTextWhenNotEditing) {
    KorvoUpdateSearchField field;
    field.resize(80, 30);
    field.setText(QStringLiteral("Mass or Volume Air Flow Circuit Range/Performance Problem"));
    EXPECT_EQ(0, field.cursorPosition());
}

TEST(SearchField, CaretTakesTheInsertionPointColour) {
    QWidget window;
    window.resize(220, 40);
    auto* field = new KorvoUpdateSearchField(&window);
    field->setGeometry(10, 5, 200, 30);
    field->searchCell()->setInsertionPointColor(QColor(255, 0, 0));
    ASSERT_TRUE(showAndWait(&window));
    QApplication::setActiveWindow(&window);
    field->setFocus();
    ASSERT_TRUE(waitFor([&] { return field->hasFocus(); }));
    EXPECT_EQ(QColor(255, 0, 0), field->insertionPointColor());
    const QRect caret = field->caretRect();
    ASSERT_FALSE(caret.isEmpty());
    const QImage image = grabImage(field);
    EXPECT_EQ(QColor(255, 0, 0), image.pixelColor(caret.center()));
}

TEST(SecureField, HidesItsTextAndKeepsItForTheCaller) {
    KorvoUpdateSecureField field(QRect(0, 0, 200, 30));
    KorvoUpdateSecureTextField* text = field.secureTextField();
    QTest::keyClicks(text, QStringLiteral("s3cret"));
    EXPECT_EQ(QStringLiteral("s3cret"), text->text());
    const QString shown = text->displayText();
    ASSERT_EQ(6, shown.size());
    EXPECT_EQ(QString(6, shown.at(0)), shown);
    EXPECT_FALSE(shown.at(0).isLetterOrNumber());
    EXPECT_EQ(QLineEdit::Password, text->echoMode());
    ASSERT_NE(nullptr, text->secureCell());
    EXPECT_EQ(QColor(Qt::white), text->secureCell()->bgColor());
}

TEST(SecureField, TextFieldSpansBetweenTheSideButtons) {
    KorvoUpdateSecureField field(QRect(0, 0, 200, 30));
    field.show();
    EXPECT_EQ(QRect(0, 0, 200, 30), field.secureTextField()->geometry());
    field.setLeftButtonWidth(24);
    EXPECT_EQ(QRect(0, 0, 24, 30), field.leftButton()->geometry());
    EXPECT_EQ(QRect(22, 0, 176, 30), field.secureTextField()->geometry());
    field.setLeftButtonWidth(30);
    field.setRightButtonWidth(20);
    EXPECT_EQ(QRect(170, 0, 20, 30), field.rightButton()->geometry());
    EXPECT_EQ(QRect(28, 0, 150, 30), field.secureTextField()->geometry());
    // A partial redraw must not shrink the field: the layout follows the size only.
    field.repaint(QRect(0, 0, 10, 10));
    EXPECT_EQ(QRect(28, 0, 150, 30), field.secureTextField()->geometry());
    field.resize(300, 40);
    EXPECT_EQ(QRect(28, 0, 250, 40), field.secureTextField()->geometry());

    EXPECT_TRUE(field.isBordered());
    field.setFiledEventType(3);
    EXPECT_FALSE(field.isBordered());
}

TEST(SecureTextFieldCell, CentresOneLineVertically) {
    KorvoUpdateSecureTextFieldCell cell;
    QFont font;
    font.setPixelSize(15);
    cell.setFont(font);
    const double line = QFontMetricsF(font).height();
    EXPECT_EQ(QRectF(4, 2 + (40 - line) / 2, 100, line),
              cell.adjustedFrameToVerticallyCenterText(QRectF(4, 2, 100, 40)));
}

TEST(NumberFormatter, AcceptsEmptyOrOneWholeNumber) {
    KorvoUpdateNumberFormatter formatter;
    for (const char* text : {"", "42", "-7", "+3", " 12 ", "\t9", "99999999999999999999"})
        EXPECT_TRUE(formatter.isPartialStringValid(QString::fromLatin1(text), nullptr, nullptr)) << text;
    for (const char* text : {"12a", "a", "1.5", "-", " ", "1 2", "--1", "+-1", "0x10"})
        EXPECT_FALSE(formatter.isPartialStringValid(QString::fromLatin1(text), nullptr, nullptr)) << text;

    QString replacement = QStringLiteral("keep"), error = QStringLiteral("keep");
    EXPECT_FALSE(formatter.isPartialStringValid(QStringLiteral("x"), &replacement, &error));
    EXPECT_EQ(QStringLiteral("keep"), replacement);
    EXPECT_EQ(QStringLiteral("keep"), error);
}

TEST(NumberFormatter, RefusesEditsInAField) {
    QLineEdit field;
    KorvoUpdateNumberFormatter formatter;
    field.setValidator(&formatter);
    QTest::keyClicks(&field, QStringLiteral("12a3"));
    EXPECT_EQ(QStringLiteral("123"), field.text());
}

// As an owner sets it up: the widths are given before the field is first shown.
TEST(SecureField, SideButtonsWithoutAWidthTakeNoRoom) {
    KorvoUpdateSecureField field(QRect(0, 0, 200, 30));
    EXPECT_EQ(QRect(0, 0, 0, 0), field.leftButton()->geometry());
    EXPECT_EQ(QRect(0, 0, 0, 0), field.rightButton()->geometry());
    // The right button is placed by the left one's right edge, which is 0 while the left has no width.
    field.setRightButtonWidth(20);
    EXPECT_EQ(QRect(200, 0, 20, 30), field.rightButton()->geometry());

    KorvoUpdateSecureField plain(QRect(0, 0, 200, 30));
    plain.show();
    EXPECT_EQ(QColor(Qt::white), grabImage(&plain).pixelColor(50, 15));
}
