// CSettingPage: chooses the interface language (rows without a text library cannot be chosen) and attaches the
// window skin. Apply stores Language (and Skin) in pluvo.cfg and restarts pluvo through the restart helper, unless a
// flash runs; the new language then applies at the next start. Interface thread only.
#pragma once

#include "DeviceState.h"
#include "Dialog.h"
#include "RadioListBox.h"

#include <QPushButton>
#include <QString>
#include <QStringList>
#include <functional>

class CSettingPage : public CDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 132;
    static constexpr int kLanguageCount = 11;
    static constexpr int kLanguageRowHeight = 60, kSkinRowHeight = 35, kRowIndent = 20;
    static constexpr int kApplyWidth = 160, kApplyHeight = 45;
    // The restart helper, beside pluvo, and what it is told.
    static constexpr char kRestartHelper[] = "Assit_VELMOR";
    static constexpr char kSkinPassword[] = "Wib";
    static constexpr char kStartSkin[] = "Silver.she";

    // Starts the restart helper; false (with why) when it could not be started.
    using HelperStarter =
        std::function<bool(const QString& program, const QStringList& args, const QString& folder, QString& why)>;

    CSettingPage(DeviceState& state, QWidget* parent = nullptr);

    // Fills both lists, attaches the start skin and selects the configured language. loadDtc reloads the DTC table
    // of a Language number.
    void OnInitDialog(std::function<void(int language)> loadDtc = {});
    void OnLbnSelchangeSkinList();
    void OnLbnSelchangeLanguageList();
    // True when pluvo is being closed for the restart.
    bool OnBnClickedApply();

    // The text library file of a row, and whether it exists (in any letter case, or scrambled) in language/ and
    // reads back its texts.
    static QString LanguageFile(int row);
    bool LibraryExists(int row) const;

    void setHelperStarter(HelperStarter starter) { m_startHelper = std::move(starter); }
    CRadioListBox* languageList() const { return m_languages; } // 1021
    CRadioListBox* skinList() const { return m_skins; }         // 1012
    QPushButton* applyButton() const { return m_apply; }        // 1031
    const QStringList& skinPaths() const { return m_skinPaths; }
    int languageAtStart() const { return m_languageAtStart; }
    int currentSkin() const { return m_currentSkin; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void FillLanguageList();
    void FillSkinList();
    void InitSettings(const std::function<void(int)>& loadDtc);
    QString configPath() const;

    DeviceState& m_state;
    CRadioListBox* m_languages;
    CRadioListBox* m_skins;
    QPushButton* m_apply;
    QStringList m_skinPaths;
    int m_currentSkin = -1;
    int m_skinAtStart = -1;
    int m_languageAtStart = 0;
    HelperStarter m_startHelper;
};
