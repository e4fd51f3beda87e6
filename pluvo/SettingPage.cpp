#include "SettingPage.h"

#include "CodePage.h"
#include "DataSheet.h"
#include "Fonts.h"
#include "Profile.h"
#include "SkinH.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QDir>
#include <QMessageBox>
#include <QProcess>

namespace {
constexpr int kSkinListId = 1012, kLanguageListId = 1021, kApplyId = 1031;
const QString kSetting = QStringLiteral("Setting");

struct LanguageRow {
    const char* text; // UTF-8
    const char* file;
};
constexpr LanguageRow kLanguageRows[CSettingPage::kLanguageCount] = {{"English", "en_text.cbf"},
                                                                     {"Français", "fr_text.cbf"},
                                                                     {"Español", "es_text.cbf"},
                                                                     {"Deutsch", "de_text.cbf"},
                                                                     {" S l o v e n č i n a", "sk_text.cbf"},
                                                                     {"Português", "pt_text.cbf"},
                                                                     {"Svenska", "se_text.cbf"},
                                                                     {"Italiano", "it_text.cbf"},
                                                                     {" Č e š t i n a ", "cz_text.cbf"},
                                                                     {"Magyar", "hu_text.cbf"},
                                                                     {"русский", "ru_text.cbf"}};

struct SkinName {
    const char* file;
    TextId id;
};
constexpr SkinName kSkinNames[] = {
    {"Asus.she", textid::kSkinAsus},     {"Black.she", textid::kSkinBlack}, {"Blue.she", textid::kSkinBlue},
    {"iTune.she", textid::kSkinITune},   {"Msn.she", textid::kSkinMsn},     {"Pink.she", textid::kSkinPink},
    {"Silver.she", textid::kSkinSilver}, {"Wood.she", textid::kSkinWood},   {"Yellow.she", textid::kSkinYellow}};
// Rows beyond this one scroll the list to its bottom.
constexpr int kLastTopRow = 4;

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}
} // namespace

CSettingPage::CSettingPage(DeviceState& state, QWidget* parent)
    : CDialog(parent), m_state(state), m_languages(new CRadioListBox(this)), m_skins(new CRadioListBox(this)),
      m_apply(new QPushButton(this)) {
    setObjectName(QStringLiteral("page%1").arg(kTemplateId));
    m_languages->setObjectName(QStringLiteral("list%1").arg(kLanguageListId));
    m_skins->setObjectName(QStringLiteral("list%1").arg(kSkinListId));
    m_apply->setObjectName(QStringLiteral("button%1").arg(kApplyId));
    m_apply->setAutoDefault(false);
    m_startHelper = [](const QString& program, const QStringList& args, const QString& folder, QString& why) {
        QProcess helper;
        helper.setProgram(program);
        helper.setArguments(args);
        helper.setWorkingDirectory(folder);
        if (helper.startDetached()) return true;
        why = helper.errorString();
        return false;
    };
    connect(m_languages, &QListWidget::itemSelectionChanged, this, &CSettingPage::OnLbnSelchangeLanguageList);
    connect(m_skins, &QListWidget::itemSelectionChanged, this, &CSettingPage::OnLbnSelchangeSkinList);
    connect(m_apply, &QPushButton::clicked, this, &CSettingPage::OnBnClickedApply);
}

QString CSettingPage::configPath() const {
    return m_state.programFolder + QString::fromLatin1(kConfigFileName);
}

QString CSettingPage::LanguageFile(int row) {
    return row >= 0 && row < kLanguageCount ? QString::fromLatin1(kLanguageRows[row].file) : QString();
}

bool CSettingPage::LibraryExists(int row) const {
    if (row < 0 || row >= kLanguageCount) return false;
    // The same opener as the start-up check: any letter case, or the scrambled name.
    CDataSheet sheet;
    sheet.SetFolder((m_state.programFolder + QStringLiteral("language/")).toStdString());
    const bool ok = pluvo::OpenUsableLibrary(sheet, LanguageFile(row).toStdString());
    sheet.Close();
    return ok;
}

void CSettingPage::OnInitDialog(std::function<void(int)> loadDtc) {
    FillLanguageList();
    FillSkinList();
    m_apply->setFont(LabelFont());
    m_languages->setFont(LabelFont());
    m_skins->setFont(LabelFont());
    m_skins->hide();
    m_apply->setText(text(textid::kApply));
    InitSettings(loadDtc);
}

void CSettingPage::FillLanguageList() {
    const QSignalBlocker quiet(m_languages);
    m_languages->clear();
    m_languages->setItemHeight(kLanguageRowHeight);
    for (int row = 0; row < kLanguageCount; ++row) {
        m_languages->AddRow(kRowIndent, QString::fromUtf8(kLanguageRows[row].text));
        m_languages->setAvailable(row, LibraryExists(row));
    }
    m_languages->selectRow(0);
    m_languages->scrollToTop();
}

void CSettingPage::FillSkinList() {
    const QSignalBlocker quiet(m_skins);
    m_skins->clear();
    m_skinPaths.clear();
    m_skins->setItemHeight(kSkinRowHeight);
    const QStringList files = QDir(m_state.programFolder + QStringLiteral("skin"))
                                  .entryList({QStringLiteral("*.she")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        QString label = file;
        for (const SkinName& known : kSkinNames)
            if (file == QLatin1String(known.file)) label = text(known.id);
        m_skins->AddRow(kRowIndent, label);
        m_skinPaths << m_state.programFolder + QStringLiteral("skin/") + file;
    }
}

void CSettingPage::InitSettings(const std::function<void(int)>& loadDtc) {
    const int language = CProfile::CTextFile::GetConfigInt(configPath(), kSetting, QStringLiteral("Language"), 0);
    (void)CProfile::CTextFile::GetConfigInt(configPath(), kSetting, QStringLiteral("AutoUpdate"), 1);
    m_languageAtStart = language;
    {
        const QSignalBlocker quiet(m_languages);
        // A number beyond the list's rows (Chinese, or the old Czech and Slovak numbers) selects no row.
        m_languages->selectRow(language < kLanguageCount ? language : -1);
        if (language > kLastTopRow && language < kLanguageCount)
            m_languages->scrollToBottom();
        else
            m_languages->scrollToTop();
    }
    if (loadDtc) loadDtc(language);

    // The start skin, and its row when the folder has it.
    const int silver =
        m_skinPaths.indexOf(m_state.programFolder + QStringLiteral("skin/") + QString::fromLatin1(kStartSkin));
    m_skinAtStart = m_currentSkin = silver;
    SkinH_AttachEx(m_state.programFolder + QStringLiteral("skin/") + QString::fromLatin1(kStartSkin),
                   QString::fromLatin1(kSkinPassword));
    SkinH_SetAero(1);
    {
        const QSignalBlocker quiet(m_skins);
        m_skins->selectRow(silver);
        m_skins->scrollToTop();
    }
}

void CSettingPage::OnLbnSelchangeSkinList() {
    const int row = m_skins->selectedRow();
    if (row < 0 || row == m_currentSkin) return;
    SkinH_AttachEx(m_skinPaths.at(row), QString::fromLatin1(kSkinPassword));
    m_currentSkin = row;
}

void CSettingPage::OnLbnSelchangeLanguageList() {
    const int row = m_languages->selectedRow();
    if (row >= 0 && row != m_languageAtStart && m_state.setPageTitle)
        m_state.setPageTitle(text(textid::kLanguageChangePending));
}

bool CSettingPage::OnBnClickedApply() {
    const int language = m_languages->selectedRow();
    const int skin = m_skins->selectedRow();
    bool changed = false;
    if (language >= 0 && language != m_languageAtStart) {
        // The library may have gone since the list was filled: a language without one would never start.
        if (!LibraryExists(language)) {
            m_languages->setAvailable(language, false);
            return false;
        }
        // The file refused it (a box said so): nothing is saved, so nothing restarts and no box says "saved".
        if (!CProfile::CTextFile::SetConfigInt(configPath(), kSetting, QStringLiteral("Language"), language))
            return false;
        changed = true;
    }
    if (skin >= 0 && skin != m_skinAtStart)
        CProfile::CTextFile::SetConfigInt(configPath(), kSetting, QStringLiteral("Skin"), skin);
    if (!changed) return false;
    if (m_state.busy) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("pluvo"), text(textid::kLanguageAfterUpdate),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("languageAfterUpdate"));
        box.exec();
        return false;
    }
    QString why;
    const QString helper = m_state.programFolder + QString::fromLatin1(kRestartHelper);
    if (!m_startHelper ||
        !m_startHelper(helper, {QStringLiteral("maroda1"), QStringLiteral("reboot")}, m_state.programFolder, why)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("pluvo"), text(textid::kRestartFailed), QMessageBox::Ok,
                        this);
        // The system's own words go to the log, for whoever looks into it.
        qWarning("%s did not start: %s", qUtf8Printable(QDir::toNativeSeparators(helper)), qUtf8Printable(why));
        box.setObjectName(QStringLiteral("restartFailed"));
        box.exec();
        return false;
    }
    if (QWidget* top = window(); top && top != this) top->close();
    return true;
}

void CSettingPage::resizeEvent(QResizeEvent* e) {
    CDialog::resizeEvent(e);
    const int w = width(), h = height();
    m_languages->setGeometry(0, 0, w - 20, h - 85);
    m_languages->setColumnWidth((w - 20) / 2 - 2);
    m_skins->setGeometry((w - 40) / 2 + 20, 0, (w - 40) / 2, h - 85);
    m_apply->setGeometry((w - 180) / 2, h - 65, kApplyWidth, kApplyHeight);
}
