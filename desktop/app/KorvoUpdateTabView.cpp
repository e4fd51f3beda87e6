#include "KorvoUpdateTabView.h"

#include "KorvoUpdateButtonItem.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateTabItemBgView.h"
#include "images.h"
#include "korvostyle.h"

#include <QPushButton>
#include <QScrollArea>

namespace {
struct MenuEntry {
    const char* titleKey;
    const char* icon;
};
const MenuEntry kMenuEntries[KorvoUpdateTabView::kItemCount] = {
    {"Main1", "icon_m1"}, {"Main2", "icon_m2"}, {"Main3", "icon_m3"}, {"Main4", "icon_m4"}, {"Main5", "icon_m5"},
};
constexpr int kMenuTitlePixelSize = 16;

} // namespace

KorvoUpdateTabView::KorvoUpdateTabView(QWidget* parent) : QWidget(parent) {
    korvostyle::fillBackground(this, korvostyle::kFrameGrey);
    m_itemBgView = new QWidget(this);
    m_btmView = new KorvoUpdateTabItemBgView(this);
    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setWidgetResizable(false);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    korvostyle::fillBackground(m_scrollView->viewport(), images::colorNamed("BackgroundColor"));
    m_itemTopView = new QWidget(this);
    m_itemRitView = new QWidget(this);
    resetMenuList();
}

void KorvoUpdateTabView::resetMenuList() {
    m_buttonList.clear();
    m_holders.clear();
    for (int i = 0; i < kItemCount; ++i)
        m_holders.push_back(didSetupButtons(kMenuEntries[i].icon, localizedText(kMenuEntries[i].titleKey), i));
}

QWidget* KorvoUpdateTabView::didSetupButtons(const QString& icon, const QString& title, int index) {
    auto* holder = new QWidget(m_itemBgView);
    auto* item = new KorvoUpdateButtonItem(title, icon, holder);
    item->didChangeFont(korvostyle::boldFont(kMenuTitlePixelSize));
    QObject::connect(item->tabButton(), &QPushButton::clicked, this, [this, index] { onClick(index); });
    m_buttonList.push_back(item);
    return holder;
}

QSize KorvoUpdateTabView::contentSize() const {
    return QSize(std::max(0, width() - kMenuWidth - kRightStripWidth),
                 std::max(0, height() - kTopStripHeight - kStatusBarHeight));
}

void KorvoUpdateTabView::resizeEvent(QResizeEvent*) {
    const int w = width(), h = height();
    m_itemBgView->setGeometry(0, 0, kMenuWidth, std::max(0, h - kMenuBottomGap));
    m_btmView->setGeometry(kMenuWidth, h - kStatusBarHeight, std::max(0, w - kMenuWidth), kStatusBarHeight);
    m_itemTopView->setGeometry(kMenuWidth, 0, std::max(0, w - kMenuWidth), kTopStripHeight);
    m_itemRitView->setGeometry(w - kRightStripWidth, 0, kRightStripWidth, h);
    m_scrollView->setGeometry(QRect(QPoint(kMenuWidth, kTopStripHeight), contentSize()));

    // The five holders fill the menu column in equal fifths.
    const int columnHeight = m_itemBgView->height();
    for (int i = 0; i < int(m_holders.size()); ++i) {
        const int top = columnHeight * i / kItemCount;
        const int bottom = columnHeight * (i + 1) / kItemCount;
        m_holders[i]->setGeometry(0, top, kMenuWidth, bottom - top);
        KorvoUpdateButtonItem* item = m_buttonList[i];
        const int buttonHeight = std::min(item->sizeHint().height(), bottom - top);
        item->setGeometry(0, (bottom - top - buttonHeight) / 2, kMenuWidth, buttonHeight);
    }
}

void KorvoUpdateTabView::showEvent(QShowEvent*) {
    if (m_selectedAtStart) return;
    m_selectedAtStart = true;
    setSelectedTabItemIndex(0);
}

void KorvoUpdateTabView::setSelectedTabItemIndex(long long index) {
    if (index == m_currentItemIndex) return;
    m_currentItemIndex = index;
    if (!m_dataSource) return;
    for (KorvoUpdateButtonItem* item : m_buttonList)
        item->didChangeStatus(false);
    if (index >= 0 && index < static_cast<long long>(m_buttonList.size()))
        m_buttonList[size_t(index)]->didChangeStatus(true);
    showContent(m_dataSource->tabViewContentViewForItemAtIndex(this, index));
}

void KorvoUpdateTabView::onClick(long long index) {
    setSelectedTabItemIndex(index);
    if (m_delegate) m_delegate->tabViewDidSelectTabItemAtIndex(this, index);
}

void KorvoUpdateTabView::reloadTabView() {
    if (m_dataSource) showContent(m_dataSource->tabViewContentViewForItemAtIndex(this, m_currentItemIndex));
}

void KorvoUpdateTabView::showContent(QWidget* view) {
    if (m_scrollView->widget() == view) return;
    if (QWidget* old = m_scrollView->takeWidget()) {
        old->hide();
        old->setParent(this);
    }
    if (!view) return;
    m_scrollView->setWidget(view);
    view->show();
}

void KorvoUpdateTabView::didChangeStatus(bool connected) {
    m_btmView->changeConnect(connected);
}

void KorvoUpdateTabView::didFailToOpenPort(int openError) {
    m_btmView->changePortError(openError);
}
