#include "KorvoUpdateSoftwareView.h"

#include "DevicePort.h"
#include "Dispatch.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateImageView.h"
#include "KorvoUpdateMyUpdatesTableRowView.h"
#include "KorvoUpdateSendProc.h"
#include "KorvoUpdateTableHeaderCell.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "frames.h"
#include "images.h"
#include "mainbundle.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTextCodec>

namespace {
const char* const kColumnKeys[] = {"Update1", "Update2", "Update3", "Update4", "Update5"};
constexpr int kCheckColumn = 0;
constexpr int kProgressColumn = 4;
// Insets of the list inside the tab: top, sides, bottom.
constexpr int kInsetTop = 10;
constexpr int kInsetSide = 10;
constexpr int kInsetBottom = 20;
constexpr int kGuideTop = 40;
// The languages that have a guide picture of their own.
const QStringList kGuideLanguages = {"en", "cn", "es", "it", "de", "fr", "pl", "pt", "cz", "sk"};
const char* const kPackageFolder = "Update";
} // namespace

KorvoUpdateSoftwareView::KorvoUpdateSoftwareView(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    m_tableView = new KorvoUpdateTableView(this);
    m_tableView->setRowHeight(kRowHeight);
    m_tableView->setSelectionHighlightStyle(KorvoUpdateTableView::SelectionHighlightNone);
    m_tableView->setAllowsMultipleSelection(true);
    m_tableView->setGridStyleMask(KorvoUpdateTableView::SolidVerticalGridLine |
                                  KorvoUpdateTableView::SolidHorizontalGridLine);
    m_tableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tableView->setStyleSheet("KorvoUpdateTableView { background: white; border: 1px solid #c8c8c8; }");
    // The Status column takes what the viewport leaves, whether or not the vertical scroll bar shows, so the list
    // never scrolls sideways.
    m_tableView->horizontalHeader()->setStretchLastSection(true);

    m_bgImage = new KorvoUpdateImageView(this);
    m_bgImage->setScaling(KorvoUpdateImageView::Scaling::ProportionallyDown);
    m_bgImage->setAutoFillBackground(true);
    QPalette white = m_bgImage->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_bgImage->setPalette(white);
    const QString code = guideLanguageCode(KorvoUpdateCommonTool::sharedTool().getUserLanguage());
    QString guide = mainbundle::pathForResource(code + "_guide", "jpg");
    if (guide.isEmpty()) guide = mainbundle::pathForResource("en_guide", "jpg");
    m_bgImage->setImage(guide.isEmpty() ? images::imageNamed("guide") : QImage(guide));

    configData();
    m_tableView->setDataSource(this);
    m_tableView->setExtendedDelegate(this);

    auto& centre = NotificationCenter::defaultCenter();
    centre.addObserver(this, kDidGetReceiveData, [this](const Notification& n) {
        didGetReceiveData(n.userInfo.value(kReceiveDataKey).toByteArray());
    });
    centre.addObserver(this, kUpdateDataPro, [this](const Notification& n) { updateData(n); });
    clearListModels();
}

KorvoUpdateSoftwareView::~KorvoUpdateSoftwareView() {
    NotificationCenter::defaultCenter().removeObserver(this);
    m_tableView->setDataSource(nullptr);
    m_tableView->setExtendedDelegate(nullptr);
}

void KorvoUpdateSoftwareView::configData() {
    for (int i = 0; i < kColumnCount; ++i) {
        const QString title = localizedText(kColumnKeys[i]);
        const int column = m_tableView->addTableColumn(title, title, kFixedColumnWidth);
        m_tableView->setHeaderCell(column, new KorvoUpdateTableHeaderCell(title));
    }
}

QString KorvoUpdateSoftwareView::guideLanguageCode(const QString& userLanguage) {
    return kGuideLanguages.contains(userLanguage) ? userLanguage : QString("en");
}

QString KorvoUpdateSoftwareView::modelFromReply(const QByteArray& reply) {
    QTextCodec::ConverterState state;
    // A reply that is not UTF-8 names no model.
    QTextCodec::codecForName("UTF-8")->toUnicode(reply.constData(), reply.size(), &state);
    if (state.invalidChars > 0) return {};
    const auto parsed =
        firmware::deviceIdReply(reinterpret_cast<const uint8_t*>(reply.constData()), size_t(reply.size()));
    return parsed ? QString::fromStdString(parsed->model) : QString();
}

void KorvoUpdateSoftwareView::didGetReceiveData(const QByteArray& reply) {
    const QString model = modelFromReply(reply);
    if (model.isEmpty()) return;
    DevicePort::sharedManager().setCurName(model);
    if (m_refUpdateInfoCompletion) m_refUpdateInfoCompletion();
    m_curName = model;
    getFullBinFile();
    QPointer<KorvoUpdateSoftwareView> self(this);
    dispatch::mainAsync([self] {
        if (self) self->resetListModels();
    });
}

void KorvoUpdateSoftwareView::getFullBinFile() {
    if (!m_allBins.isEmpty()) return;
    const QDir folder(mainbundle::resourcePath() + "/" + kPackageFolder);
    if (!folder.exists()) {
        syslogline::write("Error: the package folder " + folder.path().toStdString() + " cannot be read");
        return;
    }
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
        if (name.endsWith("bin")) m_allBins << folder.path() + "/" + name;
}

void KorvoUpdateSoftwareView::resetListModels() {
    auto rows = KorvoUpdateMyUpdatesListModel::rowsForPackages(
        m_allBins, m_curName, KorvoUpdateCommonTool::sharedTool().getUserLanguage().toUpper());
    const bool empty = rows.empty();
    {
        std::lock_guard<std::mutex> lock(m_rowsMutex);
        m_listModels = std::move(rows);
    }
    m_bgImage->setVisible(empty);
    if (empty) m_bgImage->raise();
    m_tableView->reloadData();
}

void KorvoUpdateSoftwareView::clearListModels() {
    {
        std::lock_guard<std::mutex> lock(m_rowsMutex);
        m_listModels.clear();
    }
    m_bgImage->show();
    m_bgImage->raise();
    m_tableView->reloadData();
}

KorvoUpdateMyUpdatesListModel::Rows KorvoUpdateSoftwareView::listModels() const {
    std::lock_guard<std::mutex> lock(m_rowsMutex);
    return m_listModels;
}

int KorvoUpdateSoftwareView::indexOfPath(const QString& path) const {
    const auto rows = listModels();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->filePath == path) return int(i);
    return -1;
}

int KorvoUpdateSoftwareView::numberOfRowsInTableView(KorvoUpdateTableView*) {
    return int(listModels().size());
}

QWidget* KorvoUpdateSoftwareView::tableView(KorvoUpdateTableView* table, int column, int row) {
    auto* cell =
        static_cast<KorvoUpdateMyUpdatesTableRowView*>(table->makeViewWithIdentifier(table->columnIdentifier(column)));
    if (!cell) cell = new KorvoUpdateMyUpdatesTableRowView;
    const auto rows = listModels();
    if (row < 0 || row >= int(rows.size())) return cell;
    const auto& model = rows[size_t(row)];
    cell->setShowImage(column == kCheckColumn      ? KorvoUpdateMyUpdatesTableRowView::CheckAndText
                       : column == kProgressColumn ? KorvoUpdateMyUpdatesTableRowView::ProgressButton
                                                   : KorvoUpdateMyUpdatesTableRowView::TextOnly);
    cell->imageView1()->setImage(images::imageNamed(model->isSelected() ? "element_check_on" : "element_check_off"));
    static const QString KorvoUpdateMyUpdatesListModel::*const kTexts[] = {
        &KorvoUpdateMyUpdatesListModel::version, &KorvoUpdateMyUpdatesListModel::fileLan,
        &KorvoUpdateMyUpdatesListModel::fileDate, &KorvoUpdateMyUpdatesListModel::fileSizeTxt};
    cell->textLabel1()->setText(column >= 0 && column < kProgressColumn ? (*model).*kTexts[column] : QString());
    cell->setProgress(model->fileProcess(), model->state());
    return cell;
}

void KorvoUpdateSoftwareView::tableView(KorvoUpdateTableView*, long row) {
    const auto rows = listModels();
    if (row < 0 || row >= long(rows.size())) return;
    const auto& model = rows[size_t(row)];
    if (model->state() == KorvoUpdateMyUpdatesListModel::kStateFlashing) return;
    model->setSelected(!model->isSelected());
    if (model->isSelected()) {
        m_curPath = model->filePath;
        m_cIndex = int(row);
        openAlertView();
    }
    updateHeaderCellSelectedState(int(row));
}

void KorvoUpdateSoftwareView::updateHeaderCellSelectedState(int row) {
    m_tableView->reloadDataForRowIndexes({row}, {kCheckColumn});
}

void KorvoUpdateSoftwareView::openAlertView() {
    m_alert = KorvoUpdateAlert::alertWithTitle("Warning", localizedText("UpdateHint1"), localizedText("Update21"),
                                               localizedText("Update22"));
    m_alert->beginSheetModalForWindow(window(), this, nullptr);
}

void KorvoUpdateSoftwareView::alertSheetDidEnd(KorvoUpdateAlert*, int returnCode, void*) {
    // The list may have been rebuilt while the sheet was open (the tool re-plugged, another one attached): act only
    // on the package chosen, where it stands now, and flash it only while it suits the tool now attached.
    const int index = indexOfPath(m_curPath);
    const auto rows = listModels();
    if (returnCode == KorvoUpdateAlert::kReturnClose || returnCode == KorvoUpdateAlert::kReturnCancel) {
        if (index >= 0) {
            rows[size_t(index)]->setSelected(false);
            updateHeaderCellSelectedState(index);
        }
    } else if (returnCode == KorvoUpdateAlert::kReturnOK) {
        if (index >= 0 && rows[size_t(index)]->fileName == m_curName && m_sendUpdateInfoCompletion)
            m_sendUpdateInfoCompletion(m_curPath, index);
    }
}

void KorvoUpdateSoftwareView::updateData(const Notification& note) {
    const QVariantMap info = note.userInfo.value(kProInfoKey).toMap();
    const int status = info.value(kStatusKey).toInt();
    const QString path = info.value(kPathKey).toString();
    const float process = info.value(kProcessKey).toFloat();
    KorvoUpdateMyUpdatesListModel::Row row;
    for (const auto& r : listModels())
        if (r->filePath == path) {
            row = r;
            break;
        }
    if (!row) return;
    row->setFileProcess(process);
    row->setState(KorvoUpdateMyUpdatesListModel::stateForStatus(status));
    if (status != kUpdateStatusRunning) row->setSelected(false);
    QPointer<KorvoUpdateSoftwareView> self(this);
    const bool withCheckMark = status != kUpdateStatusRunning;
    dispatch::mainAsync([self, row, withCheckMark] {
        if (self) self->reloadRow(row, withCheckMark);
    });
}

void KorvoUpdateSoftwareView::reloadRow(const KorvoUpdateMyUpdatesListModel::Row& row, bool withCheckMark) {
    const auto rows = listModels();
    const auto at = std::find(rows.begin(), rows.end(), row);
    if (at == rows.end()) return;
    const int index = int(at - rows.begin());
    QSet<int> columns{kProgressColumn};
    if (withCheckMark) columns.insert(kCheckColumn);
    m_tableView->reloadDataForRowIndexes({index}, columns);
}

void KorvoUpdateSoftwareView::resizeEvent(QResizeEvent*) {
    resetUILayout();
}

void KorvoUpdateSoftwareView::resetUILayout() {
    m_tableView->setGeometry(kInsetSide, kInsetTop, std::max(0, width() - 2 * kInsetSide),
                             std::max(0, height() - kInsetTop - kInsetBottom));
    for (int i = 0; i < kProgressColumn; ++i)
        m_tableView->setColumnWidth(i, kFixedColumnWidth);
    m_bgImage->setGeometry(kInsetSide, kGuideTop, std::max(0, width() - 2 * kInsetSide),
                           std::max(0, height() - kGuideTop));
}
