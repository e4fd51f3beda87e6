// The main screen's frame: a column of five menu entries on the left, the content area showing the selected
// entry's view, and the connection status bar under it. The data source supplies the content views (they stay
// owned by the tab view's parent tree: a view taken out of the content area is kept, hidden, as a child of the
// tab view); the delegate hears of the user's picks. Neither is owned. Entry 0 is selected once, when the tab
// view is first shown. GUI thread only.
#pragma once

#include "KorvoUpdateTabItemModel.h"

#include <QWidget>

#include <vector>

class KorvoUpdateButtonItem;
class KorvoUpdateTabItemBgView;
class KorvoUpdateTabView;
class QScrollArea;

class KorvoUpdateTabViewDataSource {
public:
    virtual ~KorvoUpdateTabViewDataSource() = default;
    virtual long long numberOfItemsInTabView(KorvoUpdateTabView* tabView) = 0;
    virtual KorvoUpdateTabItemModel tabViewItemAtIndex(KorvoUpdateTabView* tabView, long long index) = 0;
    virtual QWidget* tabViewContentViewForItemAtIndex(KorvoUpdateTabView* tabView, long long index) = 0;
};

class KorvoUpdateTabViewDelegate {
public:
    virtual ~KorvoUpdateTabViewDelegate() = default;
    virtual void tabViewDidSelectTabItemAtIndex(KorvoUpdateTabView*, long long) {}
};

class KorvoUpdateTabView : public QWidget {
public:
    // Layout of the frame around the content area.
    static constexpr int kMenuWidth = 200;
    static constexpr int kMenuBottomGap = 15;
    static constexpr int kStatusBarHeight = 80;
    static constexpr int kTopStripHeight = 50;
    static constexpr int kRightStripWidth = 30;
    static constexpr int kItemCount = 5;

    explicit KorvoUpdateTabView(QWidget* parent = nullptr);

    void setDataSource(KorvoUpdateTabViewDataSource* dataSource) { m_dataSource = dataSource; }
    KorvoUpdateTabViewDataSource* dataSource() const { return m_dataSource; }
    void setDelegate(KorvoUpdateTabViewDelegate* delegate) { m_delegate = delegate; }
    KorvoUpdateTabViewDelegate* delegate() const { return m_delegate; }

    long long currentItemIndex() const { return m_currentItemIndex; }
    void setSelectedTabItemIndex(long long index);
    // The user's pick: selects the entry and tells the delegate, even when it was selected already.
    void onClick(long long index);
    // Asks the data source again for the selected entry's view.
    void reloadTabView();
    void didChangeStatus(bool connected);
    // The status bar tells why the tool's port could not be opened (errno of the open).
    void didFailToOpenPort(int openError);

    const std::vector<KorvoUpdateButtonItem*>& buttonList() const { return m_buttonList; }
    QWidget* itemBgView() const { return m_itemBgView; }   // the menu column
    QWidget* itemTopView() const { return m_itemTopView; } // empty strip above the content area
    QWidget* itemRitView() const { return m_itemRitView; } // empty strip right of the content area
    KorvoUpdateTabItemBgView* btmView() const { return m_btmView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    // The size a content view gets: the tab view less the menu column, the strips and the status bar.
    QSize contentSize() const;
    // An entry's size: 0 until set; nothing in the tab view reads it.
    double itemWidth() const { return m_itemWidth; }
    void setItemWidth(double width) { m_itemWidth = width; }
    double itemHeight() const { return m_itemHeight; }
    void setItemHeight(double height) { m_itemHeight = height; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void resetMenuList();
    QWidget* didSetupButtons(const QString& icon, const QString& title, int index);
    void showContent(QWidget* view);

    KorvoUpdateTabViewDataSource* m_dataSource = nullptr;
    KorvoUpdateTabViewDelegate* m_delegate = nullptr;
    long long m_currentItemIndex = -1;
    bool m_selectedAtStart = false;
    std::vector<KorvoUpdateButtonItem*> m_buttonList;
    std::vector<QWidget*> m_holders;
    QWidget* m_itemBgView = nullptr;
    QWidget* m_itemTopView = nullptr;
    QWidget* m_itemRitView = nullptr;
    KorvoUpdateTabItemBgView* m_btmView = nullptr;
    QScrollArea* m_scrollView = nullptr;
    double m_itemWidth = 0;
    double m_itemHeight = 0;
};
