#include "KorvoUpdateSearchDTCView.h"

#include "Dispatch.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateSearchFieldCell.h"
#include "KorvoUpdateTableCellView.h"
#include "KorvoUpdateTableHeaderCell.h"
#include "Log.h"
#include "korvostyle.h"
#include "mainbundle.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QPointer>
#include <QStyleOptionComboBox>

namespace {
const char* const kNotFoundLog = "未找到匹配的对象";
} // namespace

KorvoUpdateSearchDTCView::KorvoUpdateSearchDTCView(QWidget* parent) : QWidget(parent), m_languages(dtcLanguages()) {
    setupUI();
}

KorvoUpdateSearchDTCView::~KorvoUpdateSearchDTCView() {
    // Waits for a read still running; its rows are then dropped, as this view is gone.
    m_queue.reset();
    m_tableView->setDataSource(nullptr);
    m_tableView->setExtendedDelegate(nullptr);
}

QStringList KorvoUpdateSearchDTCView::dtcLanguages() {
    return {"de", "en", "es", "fr", "hu", "it", "nl", "pl", "pt", "ru", "se", "sk"};
}

QString KorvoUpdateSearchDTCView::tableLanguage(const QString& languageCode) {
    return dtcLanguages().contains(languageCode) ? languageCode : QString("en");
}

void KorvoUpdateSearchDTCView::setupUI() {
    m_tableView = new KorvoUpdateTableView(this);
    m_tableView->setAllowsMultipleSelection(true);
    m_tableView->setRowHeight(kRowHeight);
    m_tableView->setGridStyleMask(KorvoUpdateTableView::SolidVerticalGridLine |
                                  KorvoUpdateTableView::SolidHorizontalGridLine);
    m_tableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tableView->setStyleSheet("KorvoUpdateTableView { background: white; border: 1px solid #c8c8c8; }");
    // The description column takes what the viewport leaves, whether or not the vertical scroll bar shows, so the
    // table never scrolls sideways.
    m_tableView->horizontalHeader()->setStretchLastSection(true);
    configData();
    m_tableView->setDataSource(this);
    m_tableView->setExtendedDelegate(this);
    setupSearchItem();
    updateTableView();
}

void KorvoUpdateSearchDTCView::configData() {
    for (const char* key : {"Search1", "Search2"}) {
        const QString title = localizedText(key);
        const int column = m_tableView->addTableColumn(title, title, kCodeColumnWidth);
        m_tableView->setHeaderCell(column, new KorvoUpdateTableHeaderCell(title));
    }
    m_headerCell = m_tableView->headerCell(0);
}

void KorvoUpdateSearchDTCView::setupSearchItem() {
    m_topView = new QWidget(this);
    korvostyle::fillBackground(m_topView, korvostyle::kFrameGrey);
    setupPopButton();
    m_searchField = new KorvoUpdateSearchField(m_topView);
    m_searchField->setTextFieldDidChange([this](QObject*, const QString& text) { controlTextDidChange(text); });
}

void KorvoUpdateSearchDTCView::setupPopButton() {
    m_popUpButton = new QComboBox(m_topView);
    m_popUpButton->addItems(KorvoUpdateCommonTool::sharedTool().getSearchDtcData());
    m_popUpButton->setCurrentIndex(-1);
    // activated() also comes when the item already shown is chosen again.
    connect(m_popUpButton, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        popUpButtonAction(index);
        // The field above shows the query; the pop-up shows only its arrow.
        m_popUpButton->setCurrentIndex(-1);
    });
}

void KorvoUpdateSearchDTCView::resizeEvent(QResizeEvent*) {
    layoutSubviews();
}

void KorvoUpdateSearchDTCView::layoutSubviews() {
    const int W = width(), H = height();
    m_topView->setGeometry(0, 0, W, kTopBarHeight);
    m_searchField->setGeometry(0, 0, std::max(0, W - kFieldRightInset), kFieldHeight);
    m_popUpButton->setGeometry(kPopUpLeft, kPopUpTop, std::max(0, W - kPopUpRightInset - kPopUpLeft), kPopUpHeight);
    // The field is clear and lies over the pop-up, whose white box shows through it: the query starts where the
    // pop-up would start its own text, inside that box.
    QStyleOptionComboBox option;
    option.initFrom(m_popUpButton);
    const QRect popUpText = m_popUpButton->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                                   QStyle::SC_ComboBoxEditField, m_popUpButton);
    m_searchField->searchCell()->setMargin(kPopUpLeft + popUpText.left());
    m_tableView->setGeometry(kTableMargin, kTableTop, std::max(0, W - 2 * kTableMargin),
                             std::max(0, H - kTableTop - kTableMargin));
    m_tableView->setColumnWidth(0, kCodeColumnWidth);
}

void KorvoUpdateSearchDTCView::updateTableView() {
    const QString language = tableLanguage(KorvoUpdateCommonTool::sharedTool().getUserLanguage());
    const QString path =
        mainbundle::pathForResource(QFileInfo(DtcTextFile::fileName(language)).completeBaseName(), "txt");
    const QByteArray encoding = DtcTextFile::encodingForLanguage(language);
    m_queue = std::make_unique<dispatch::SerialQueue>();
    QPointer<KorvoUpdateSearchDTCView> self(this);
    m_queue->async([self, path, encoding] {
        auto rows = std::make_shared<Rows>(DtcTextFile::read(path, encoding));
        dispatch::mainAsync([self, rows] {
            if (self) self->install(std::move(*rows));
        });
    });
}

void KorvoUpdateSearchDTCView::install(Rows rows) {
    m_listModels = std::move(rows);
    m_loaded = true;
    m_tableView->reloadData();
}

int KorvoUpdateSearchDTCView::numberOfRowsInTableView(KorvoUpdateTableView*) {
    return static_cast<int>(m_listModels.size());
}

QWidget* KorvoUpdateSearchDTCView::tableView(KorvoUpdateTableView* table, int column, int row) {
    const QString identifier = table->columnIdentifier(column);
    auto* cell = qobject_cast<KorvoUpdateTableCellView*>(table->makeViewWithIdentifier(identifier));
    if (!cell) {
        cell = new KorvoUpdateTableCellView;
        cell->setObjectName(identifier);
    }
    if (row < 0 || row >= static_cast<int>(m_listModels.size())) return cell;
    cell->textField1()->setEditable(false);
    const KorvoUpdateSoftwareManagementListModel& model = m_listModels[size_t(row)];
    cell->setStringValue(column == 0 ? model.codeNumber : column == 1 ? model.codeDes : QString());
    return cell;
}

void KorvoUpdateSearchDTCView::controlTextDidChange(const QString& text) {
    searchTableViewData(text);
}

void KorvoUpdateSearchDTCView::popUpButtonAction(int index) {
    const QStringList history = KorvoUpdateCommonTool::sharedTool().getSearchDtcData();
    syslogline::write(QString("Selected index: %1").arg(index).toStdString());
    if (index < 0 || index >= history.size()) return;
    // The field shows the code being looked up, as if it had been typed.
    m_searchField->setText(history.at(index));
    searchTableViewData(history.at(index));
}

void KorvoUpdateSearchDTCView::searchTableViewData(const QString& query) {
    if (query.size() != kQueryLength) return;
    const QString code = query.toUpper();
    int hit = -1;
    for (size_t i = 0; i < m_listModels.size(); ++i) {
        if (m_listModels[i].codeNumber.contains(code, Qt::CaseSensitive)) {
            hit = static_cast<int>(i);
            break;
        }
    }
    if (hit < 0) {
        syslogline::write(kNotFoundLog);
        return;
    }
    m_tableView->selectRowIndexes({hit}, false);
    m_tableView->scrollRowToVisible(hit);
    KorvoUpdateCommonTool& tool = KorvoUpdateCommonTool::sharedTool();
    if (tool.getSearchDtcData().contains(code)) return;
    m_popUpButton->addItem(code);
    m_popUpButton->setCurrentIndex(-1);
    tool.addSearchDtcData(code);
}
