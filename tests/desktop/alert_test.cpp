#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButton.h"
#include "desktoptest.h"
#include "images.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Ends : KorvoUpdateAlertDelegate {
    void alertSheetDidEnd(KorvoUpdateAlert* alert, int code, void* context) override {
        calls.push_back({alert, code, context});
    }
    struct Call {
        KorvoUpdateAlert* alert;
        int code;
        void* context;
    };
    std::vector<Call> calls;
};

class Alert : public ::testing::Test {
protected:
    void SetUp() override {
        main.resize(600, 400);
        main.show();
    }
    std::unique_ptr<KorvoUpdateAlert> twoButtons() {
        return KorvoUpdateAlert::alertWithTitle("Warning", "Stop?", "Yes", "No", images::imageNamed("warning"));
    }
    QWidget main;
    Ends ends;
    int context = 7;
};

TEST_F(Alert, SheetEndsThroughTheDelegateWithTheButtonsCode) {
    const std::pair<int, int> cases[] = {
        {0, KorvoUpdateAlert::kReturnOK}, {1, KorvoUpdateAlert::kReturnCancel}, {2, KorvoUpdateAlert::kReturnClose}};
    for (const auto& [which, code] : cases) {
        auto alert = twoButtons();
        alert->beginSheetModalForWindow(&main, &ends, &context);
        EXPECT_TRUE(alert->isSheet());
        EXPECT_TRUE(alert->isVisible());
        QPushButton* button = which == 0   ? static_cast<QPushButton*>(alert->okButton())
                              : which == 1 ? static_cast<QPushButton*>(alert->cancelButton())
                                           : alert->closeButton();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(ends.calls.size(), 1u) << which;
        EXPECT_EQ(ends.calls[0].alert, alert.get());
        EXPECT_EQ(ends.calls[0].code, code);
        EXPECT_EQ(ends.calls[0].context, &context);
        EXPECT_FALSE(alert->isVisible());
        ends.calls.clear();
    }
}

TEST_F(Alert, ReturnPressesOkAndEscapeCloses) {
    auto alert = twoButtons();
    alert->beginSheetModalForWindow(&main, &ends, nullptr);
    QTest::keyClick(alert.get(), Qt::Key_Return);
    ASSERT_EQ(ends.calls.size(), 1u);
    EXPECT_EQ(ends.calls[0].code, KorvoUpdateAlert::kReturnOK);

    auto second = twoButtons();
    second->beginSheetModalForWindow(&main, &ends, nullptr);
    QTest::keyClick(second.get(), Qt::Key_Escape);
    ASSERT_EQ(ends.calls.size(), 2u);
    EXPECT_EQ(ends.calls[1].code, KorvoUpdateAlert::kReturnClose);
}

TEST_F(Alert, OneButtonFormPutsOkWhereCancelStands) {
    auto two = twoButtons();
    const QRect cancelPlace = two->cancelButton()->geometry();
    EXPECT_EQ(cancelPlace.right() + 1, two->width() - KorvoUpdateAlert::kButtonRightMargin);
    EXPECT_LT(two->okButton()->geometry().right(), cancelPlace.left());

    auto one = KorvoUpdateAlert::alertWithTitle("Notice", "Done.", QString(), QString());
    one->show();
    EXPECT_FALSE(one->cancelButton()->isVisible());
    EXPECT_EQ(one->okButton()->text(), "OK");
    EXPECT_EQ(one->okButton()->geometry().right() + 1, one->width() - KorvoUpdateAlert::kButtonRightMargin);
    EXPECT_EQ(one->okButton()->geometry().size(), cancelPlace.size());
}

TEST_F(Alert, WithoutAnImageTheTextTakesTheIconsRoom) {
    auto with = twoButtons();
    auto without = KorvoUpdateAlert::alertWithTitle("Warning", "Stop?", "Yes", "No");
    EXPECT_LT(without->messageTextField()->x(), with->messageTextField()->x());
    EXPECT_EQ(with->titleTextField()->text(), "Warning");
}

TEST_F(Alert, LongMessagesWrapAndTheDialogGrowsToHoldThem) {
    const QString longText = QString("An update is running. ").repeated(12);
    auto small = twoButtons();
    auto big = KorvoUpdateAlert::alertWithTitle("Warning", longText, "OK", "Cancel", images::imageNamed("warning"));
    EXPECT_GT(big->height(), small->height());
    EXPECT_LE(big->messageTextField()->geometry().bottom(), big->okButton()->geometry().top());
}

TEST_F(Alert, RunModalReturnsTheCode) {
    auto alert = twoButtons();
    QTimer::singleShot(50, alert.get(), [&] { QTest::mouseClick(alert->cancelButton(), Qt::LeftButton); });
    EXPECT_EQ(alert->runModal(), KorvoUpdateAlert::kReturnCancel);
    EXPECT_FALSE(alert->isSheet());
    EXPECT_TRUE(ends.calls.empty());
}

} // namespace
