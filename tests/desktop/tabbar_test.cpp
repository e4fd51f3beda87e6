#include "DevicePort.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateButtonItem.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateTabItemBgView.h"
#include "KorvoUpdateTabView.h"
#include "desktoptest.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CountingSource : public KorvoUpdateTabViewDataSource, public KorvoUpdateTabViewDelegate {
public:
    CountingSource() {
        for (auto& v : views)
            v = new QWidget;
    }
    // The views the tab view never asked for are still ours.
    ~CountingSource() {
        for (auto* v : views)
            if (!v->parent()) delete v;
    }
    long long numberOfItemsInTabView(KorvoUpdateTabView*) override { return 5; }
    KorvoUpdateTabItemModel tabViewItemAtIndex(KorvoUpdateTabView*, long long) override { return {}; }
    QWidget* tabViewContentViewForItemAtIndex(KorvoUpdateTabView*, long long index) override {
        ++contentRequests;
        return views[size_t(index)];
    }
    void tabViewDidSelectTabItemAtIndex(KorvoUpdateTabView*, long long index) override { picks.push_back(index); }

    std::array<QWidget*, 5> views{};
    int contentRequests = 0;
    std::vector<long long> picks;
};

// English before the tab view is made, since it takes its texts then.
struct EnglishTexts {
    EnglishTexts() { desktoptest::useEnglish(); }
};

class TabBar : public ::testing::Test {
protected:
    void SetUp() override { tab.resize(1140, 655); }
    void TearDown() override { DevicePort::sharedManager().setCurName(""); }
    std::vector<bool> highlights() const {
        std::vector<bool> out;
        for (auto* item : tab.buttonList())
            out.push_back(item->isSelectedLook());
        return out;
    }
    EnglishTexts english;
    KorvoUpdateTabView tab;
    CountingSource source; // declared after tab: the views live in the tab view's tree once shown
};

TEST_F(TabBar, BuildsFiveLocalizedEntriesAndTheContentArea) {
    ASSERT_EQ(tab.buttonList().size(), 5u);
    EXPECT_EQ(tab.buttonList()[0]->label()->text(), "Update");
    EXPECT_EQ(tab.buttonList()[4]->label()->text(), "Language");
    EXPECT_EQ(tab.contentSize(), QSize(910, 525));
    EXPECT_EQ(tab.currentItemIndex(), -1);
    EXPECT_EQ(tab.itemWidth(), 0.0);
    EXPECT_EQ(tab.itemHeight(), 0.0);

    // The menu column and the two empty strips frame the content area.
    tab.show();
    EXPECT_EQ(tab.itemBgView()->geometry(), QRect(0, 0, 200, 640));
    EXPECT_EQ(tab.itemTopView()->geometry(), QRect(200, 0, 940, 50));
    EXPECT_EQ(tab.itemRitView()->geometry(), QRect(1110, 0, 30, 655));
    EXPECT_EQ(tab.scrollView()->geometry(), QRect(200, 50, 910, 525));
}

TEST_F(TabBar, WithoutDataSourceSelectionOnlyMovesTheIndex) {
    tab.setSelectedTabItemIndex(2);
    EXPECT_EQ(tab.currentItemIndex(), 2);
    EXPECT_EQ(highlights(), std::vector<bool>(5, false));
    EXPECT_EQ(tab.scrollView()->widget(), nullptr);
}

TEST_F(TabBar, FirstShowSelectsEntryZeroOnceWithoutTellingTheDelegate) {
    tab.setDataSource(&source);
    tab.setDelegate(&source);
    tab.show();
    EXPECT_EQ(tab.currentItemIndex(), 0);
    EXPECT_EQ(tab.scrollView()->widget(), source.views[0]);
    EXPECT_EQ(highlights(), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_TRUE(source.picks.empty());

    // Later layout passes leave the user's choice alone.
    QTest::mouseClick(tab.buttonList()[3]->tabButton(), Qt::LeftButton);
    tab.resize(1000, 600);
    tab.hide();
    tab.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(tab.currentItemIndex(), 3);
    EXPECT_EQ(tab.scrollView()->widget(), source.views[3]);
    EXPECT_EQ(source.picks, (std::vector<long long>{3}));
}

TEST_F(TabBar, RepeatedClickTellsTheDelegateAgainWithoutAskingForContent) {
    tab.setDataSource(&source);
    tab.setDelegate(&source);
    tab.show();
    QTest::mouseClick(tab.buttonList()[1]->tabButton(), Qt::LeftButton);
    const int requests = source.contentRequests;
    QTest::mouseClick(tab.buttonList()[1]->tabButton(), Qt::LeftButton);
    EXPECT_EQ(source.contentRequests, requests);
    EXPECT_EQ(source.picks, (std::vector<long long>{1, 1}));
    EXPECT_EQ(highlights(), (std::vector<bool>{false, true, false, false, false}));
    // The view taken out of the content area is kept, not deleted.
    EXPECT_EQ(source.views[0]->parentWidget(), &tab);
    EXPECT_FALSE(source.views[0]->isVisible());
}

TEST_F(TabBar, StatusBarTextsFollowConnectionAndIdentification) {
    KorvoUpdateTabItemBgView* bar = tab.btmView();
    EXPECT_EQ(bar->lab()->text(), localizedText("Update7"));
    EXPECT_EQ(bar->imageName(), "icon_disconnect");
    tab.didChangeStatus(true);
    EXPECT_EQ(bar->lab()->text(), localizedText("Update6"));
    EXPECT_EQ(bar->imageName(), "icon_connect");
    DevicePort::sharedManager().setCurName("QM82");
    tab.didChangeStatus(true);
    EXPECT_EQ(bar->lab()->text(), localizedText("Update8"));
    tab.didChangeStatus(false);
    EXPECT_EQ(bar->lab()->text(), localizedText("Update7"));
    EXPECT_EQ(bar->imageName(), "icon_disconnect");
    EXPECT_NE(localizedText("Update6"), localizedText("Update8"));
}

TEST(HoverButton, LookFollowsPointerAndPressByItsFlags) {
    KorvoUpdateButton button("Print");
    button.resize(150, 40);
    button.show();
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(button.imageName(), "Btn_Nor");
    EXPECT_EQ(button.normalBackgroundColor(), QColor(Qt::transparent));
    EXPECT_EQ(button.highlightedBackgroundColor(), QColor(Qt::transparent));
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.imageName(), "Btn_Fcs");
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.imageName(), "Btn_Nor");

    // Leaving the picture look while highlighted and coming back shows the normal picture again.
    QCoreApplication::sendEvent(&button, &enter);
    button.setShowBackgroundImage(false);
    button.setShowBackgroundImage(true);
    EXPECT_EQ(button.imageName(), "Btn_Nor");

    button.setShowBackgroundImage(false);
    button.setOnlyShowTextColor(true);
    button.setHighlightedTextColor(Qt::yellow); // shows from the next change of look
    EXPECT_EQ(button.currentTextColor(), QColor(Qt::white));
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(button.currentTextColor(), QColor(Qt::yellow));
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(button.currentTextColor(), QColor(Qt::white));

    button.setOnlyShowTextColor(false);
    button.setHighlightedBackgroundColor(Qt::gray);
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.currentBackgroundColor(), QColor(Qt::gray));
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.currentBackgroundColor(), QColor(Qt::transparent));
}

} // namespace
