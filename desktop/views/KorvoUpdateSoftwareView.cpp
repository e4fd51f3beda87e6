#include "KorvoUpdateSoftwareView.h"

#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateImageView.h"
#include "images.h"
#include "korvostyle.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {
const char* const kColumnKeys[] = {"Update1", "Update2", "Update3", "Update4", "Update5"};
constexpr int kColumnCount = 5;
constexpr int kRowHeight = 40;
constexpr int kHeaderPixelSize = 15;
// Insets of the list inside the tab: top, sides, bottom.
constexpr int kInsetTop = 10;
constexpr int kInsetSide = 10;
constexpr int kInsetBottom = 20;
constexpr int kGuideTop = 40;
} // namespace

KorvoUpdateSoftwareView::KorvoUpdateSoftwareView(QWidget* parent) : QWidget(parent) {
    m_tableView = new QTableWidget(0, kColumnCount, this);
    QStringList titles;
    for (const char* key : kColumnKeys)
        titles << localizedText(key);
    m_tableView->setHorizontalHeaderLabels(titles);
    m_tableView->verticalHeader()->hide();
    m_tableView->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->setFocusPolicy(Qt::NoFocus);
    m_tableView->setShowGrid(true);
    QHeaderView* header = m_tableView->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFont(korvostyle::systemFont(kHeaderPixelSize));
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    header->setStyleSheet("QHeaderView::section { background: white; color: black; padding-left: 6px; border: none;"
                          " border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; height: 30px; }");
    m_tableView->setStyleSheet(
        "QTableWidget { background: white; border: 1px solid #c8c8c8; gridline-color: #d0d0d0; }");

    m_bgImage = new KorvoUpdateImageView(this);
    m_bgImage->setScaling(KorvoUpdateImageView::Scaling::ProportionallyDown);
    m_bgImage->setImage(images::imageNamed("guide", QSize(620, 380)));
    clearListModels();
}

void KorvoUpdateSoftwareView::clearListModels() {
    m_tableView->setRowCount(0);
    m_bgImage->show();
    m_bgImage->raise();
}

void KorvoUpdateSoftwareView::resizeEvent(QResizeEvent*) {
    m_tableView->setGeometry(kInsetSide, kInsetTop, std::max(0, width() - 2 * kInsetSide),
                             std::max(0, height() - kInsetTop - kInsetBottom));
    for (int i = 0; i < kColumnCount - 1; ++i)
        m_tableView->setColumnWidth(i, kFixedColumnWidth);
    m_bgImage->setGeometry(kInsetSide + 1, kGuideTop + 1, std::max(0, width() - 2 * kInsetSide - 2),
                           std::max(0, height() - kGuideTop - kInsetBottom - 2));
}
