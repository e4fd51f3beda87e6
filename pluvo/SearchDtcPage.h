// CSearchDtcPage: looks up diagnostic trouble codes in the DTC table of the interface language
// (dtc/<code>_OBDII.txt, English when that is missing). Typing in the combo upper-cases the text, selects the first
// code with that prefix at the top of the list and, for a code of more than 4 characters, remembers it in the
// search history (pluvo.cfg, section DTC, at most 20 codes). Interface thread only.
#pragma once

#include "Dialog.h"

#include <QComboBox>
#include <QString>
#include <QTableWidget>
#include <functional>
#include <map>
#include <set>
#include <vector>

class CSearchDtcPage : public CDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;
    // The history holds at most this many codes.
    static constexpr int kMaxHistory = 20;
    // Codes this short are searched but never remembered.
    static constexpr int kMinHistoryLength = 5;

    explicit CSearchDtcPage(QWidget* parent = nullptr);

    // programFolder ends with "/"; setStatus shows a text in the main dialog's status line.
    void setProgramFolder(const QString& folder) { m_folder = folder; }
    void setStatusHandler(std::function<void(const QString&)> setStatus) { m_setStatus = std::move(setStatus); }

    // Page set-up: the table of the configured language and the history.
    void OnInitDialog();
    // Loads (again) the table of a Language number; false when no table could be read (the list is then empty).
    bool LoadDtcFile(int language);
    // The file code of a Language number ("en" for an unknown one).
    static QString LanguageCode(int language);

    // What the user typed (the combo's edit text); the page upper-cases and searches it.
    void OnCbnEditchangeDtcCombo(const QString& typed);
    // A history entry picked from the combo's list.
    void OnCbnSelchangeDtcCombo(int index);
    void OnNMClickDtcList(int row);

    QComboBox* combo() const { return m_combo; }  // 1030
    QTableWidget* list() const { return m_list; } // 1001
    int codeCount() const { return int(m_codes.size()); }
    const std::set<QString>& history() const { return m_history; }
    int selectedRow() const { return m_lastRow; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    QString configPath() const;
    void LoadHistory();
    void Remember(const QString& code);
    void ShowCode(const QString& code);

    QComboBox* m_combo;
    QTableWidget* m_list;
    QString m_folder;
    std::function<void(const QString&)> m_setStatus;
    std::vector<QString> m_codes;   // in file order; row i shows m_codes[i]
    std::map<QString, int> m_rows;  // code -> row
    std::map<QString, int> m_lines; // code -> 0-based line of the file
    std::map<QString, QString> m_descriptions;
    std::set<QString> m_history;
    int m_lastRow = -1;
};
