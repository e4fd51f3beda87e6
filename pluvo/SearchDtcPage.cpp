#include "SearchDtcPage.h"

#include "CodePage.h"
#include "Fonts.h"
#include "Profile.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>

namespace {
constexpr int kComboId = 1030, kListId = 1001;
constexpr int kRightGap = 20, kComboHeight = 30, kListTop = 50;
constexpr int kCodeColumnWidth = 120;
const QString kSection = QStringLiteral("DTC");
const QString kHistoryNum = QStringLiteral("HistoryNum");
// Between a code and its description in the status line.
const QString kStatusSeparator = QStringLiteral("  ");

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}

QString historyKey(int n) {
    return QString::asprintf("HistoryNum%.2d", n);
}

// Line ends come off; a description keeps everything else.
std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}
} // namespace

CSearchDtcPage::CSearchDtcPage(QWidget* parent)
    : CDialog(parent), m_combo(new QComboBox(this)), m_list(new QTableWidget(0, 2, this)) {
    setObjectName(QStringLiteral("page%1").arg(kTemplateId));
    m_combo->setObjectName(QStringLiteral("combo%1").arg(kComboId));
    m_list->setObjectName(QStringLiteral("list%1").arg(kListId));
    m_combo->setEditable(true);
    // What the user types is a search, never a new history entry.
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    m_combo->setMaxVisibleItems(kMaxHistory);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(0, kCodeColumnWidth);
    m_list->setWordWrap(false);
    m_list->setHorizontalHeaderLabels({text(textid::kColumnCode), text(textid::kColumnDescription)});
    // textEdited comes from the user's edits only, so putting the upper-cased text back does not search again.
    connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, &CSearchDtcPage::OnCbnEditchangeDtcCombo);
    connect(m_combo, QOverload<int>::of(&QComboBox::activated), this, &CSearchDtcPage::OnCbnSelchangeDtcCombo);
    connect(m_list, &QTableWidget::cellClicked, this, [this](int row, int) { OnNMClickDtcList(row); });
}

QString CSearchDtcPage::LanguageCode(int language) {
    static const char* const codes[] = {"en", "fr", "es", "de", "sk", "pt", "se",
                                        "it", "cz", "hu", "ru", "cn", "cz", "sk"};
    if (language < 0 || language >= int(std::size(codes))) return QStringLiteral("en");
    return QString::fromLatin1(codes[language]);
}

QString CSearchDtcPage::configPath() const {
    return m_folder + QString::fromLatin1(kConfigFileName);
}

void CSearchDtcPage::OnInitDialog() {
    m_list->setFont(SmallFont());
    m_combo->setFont(SmallFont());
    LoadDtcFile(
        CProfile::CTextFile::GetConfigInt(configPath(), QStringLiteral("Setting"), QStringLiteral("Language"), 0));
    LoadHistory();
}

bool CSearchDtcPage::LoadDtcFile(int language) {
    m_codes.clear();
    m_rows.clear();
    m_lines.clear();
    m_descriptions.clear();
    m_lastRow = -1;
    m_list->clearContents();
    m_list->setRowCount(0);

    QFile f(m_folder + QStringLiteral("dtc/") + LanguageCode(language) + QStringLiteral("_OBDII.txt"));
    if (!f.exists()) f.setFileName(m_folder + QStringLiteral("dtc/en_OBDII.txt"));
    if (!f.open(QIODevice::ReadOnly)) return false;
    std::vector<std::pair<QString, QString>> rows;
    int lineNumber = 0;
    while (!f.atEnd()) {
        const QString line = DtcLineToWide(withoutLineEnd(f.readLine().toStdString()));
        const int blank = line.indexOf(QLatin1Char(' '));
        if (blank > 0) {
            const QString code = line.left(blank);
            // A code listed twice keeps its first row.
            if (!m_rows.count(code)) {
                m_rows[code] = int(m_codes.size());
                m_lines[code] = lineNumber;
                m_descriptions[code] = line.mid(blank + 1);
                m_codes.push_back(code);
                rows.emplace_back(code, line.mid(blank + 1));
            }
        }
        ++lineNumber;
    }
    m_list->setUpdatesEnabled(false);
    m_list->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        m_list->setItem(r, 0, new QTableWidgetItem(rows[size_t(r)].first));
        m_list->setItem(r, 1, new QTableWidgetItem(rows[size_t(r)].second));
    }
    m_list->setUpdatesEnabled(true);
    return true;
}

void CSearchDtcPage::LoadHistory() {
    m_history.clear();
    m_combo->clear();
    const int n = std::min(kMaxHistory, CProfile::CTextFile::GetConfigInt(configPath(), kSection, kHistoryNum, 0));
    for (int i = 1; i <= n; ++i) {
        const QString code = CProfile::CTextFile::GetConfigString(configPath(), kSection, historyKey(i), QString());
        if (code.size() < kMinHistoryLength || m_history.count(code)) continue;
        m_history.insert(code);
        m_combo->addItem(code);
    }
    m_combo->setEditText(QString());
}

void CSearchDtcPage::Remember(const QString& code) {
    if (m_history.count(code) || int(m_history.size()) >= kMaxHistory) return;
    const int n = CProfile::CTextFile::GetConfigInt(configPath(), kSection, kHistoryNum, 0) + 1;
    // An entry past the 20th would never be read back.
    if (n > kMaxHistory) return;
    m_history.insert(code);
    // A file that refuses the count (a box said so) gets no entry either: one box, and the code is still kept
    // for this session.
    if (CProfile::CTextFile::SetConfigInt(configPath(), kSection, kHistoryNum, n))
        CProfile::CTextFile::SetConfigString(configPath(), kSection, historyKey(n), code);
    const QString typed = m_combo->currentText();
    m_combo->addItem(code);
    m_combo->setEditText(typed);
}

void CSearchDtcPage::ShowCode(const QString& code) {
    const int row = m_rows.at(code);
    m_list->clearSelection();
    m_list->selectRow(row);
    m_list->setCurrentCell(row, 0);
    m_list->scrollToItem(m_list->item(row, 0), QAbstractItemView::PositionAtTop);
    m_lastRow = row;
    if (m_setStatus)
        m_setStatus(QString::asprintf("%s %d", text(textid::kDtcFound).toUtf8().constData(), m_lines.at(code) + 1));
}

void CSearchDtcPage::OnCbnEditchangeDtcCombo(const QString& typed) {
    const QString upper = typed.toUpper();
    if (upper != typed) {
        QLineEdit* edit = m_combo->lineEdit();
        edit->setText(upper);
        edit->setCursorPosition(upper.size());
    }
    // The first code, in code order, that begins with what was typed.
    QString found;
    if (!upper.isEmpty()) {
        const auto it = m_rows.lower_bound(upper);
        if (it != m_rows.end() && it->first.startsWith(upper)) found = it->first;
    }
    if (found.isEmpty() || m_descriptions[found].isEmpty()) {
        // No row of an earlier search may stay marked as if it were the answer.
        m_list->clearSelection();
        m_list->setCurrentCell(-1, -1);
        m_lastRow = -1;
        if (m_setStatus) m_setStatus(text(textid::kDtcNotFound));
        return;
    }
    ShowCode(found);
    if (upper.size() >= kMinHistoryLength) Remember(found);
}

void CSearchDtcPage::OnCbnSelchangeDtcCombo(int index) {
    if (index < 0) return;
    const QString code = m_combo->itemText(index);
    if (code.size() < kMinHistoryLength || !m_rows.count(code)) return;
    m_list->setFocus();
    ShowCode(code);
}

void CSearchDtcPage::OnNMClickDtcList(int row) {
    if (row < 0 || row >= int(m_codes.size())) return;
    const QString& code = m_codes[size_t(row)];
    m_lastRow = row;
    if (m_setStatus) m_setStatus(code + kStatusSeparator + m_descriptions[code]);
}

void CSearchDtcPage::resizeEvent(QResizeEvent* e) {
    CDialog::resizeEvent(e);
    m_combo->setGeometry(0, 0, width() - kRightGap, kComboHeight);
    m_list->setGeometry(0, kListTop, width() - kRightGap, height() - kListTop);
}
