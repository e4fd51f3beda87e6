// Tab 2, DTC search: the DTC table of the interface language (English for a language without one) in a two-column
// table under a search bar. Typing exactly five characters selects and shows the first row whose code contains them
// in upper case; each code found joins the search history (user defaults), which the pop-up beside the field offers.
//
// The table file is read and split on a serial queue of its own; the finished rows reach the GUI thread in one
// piece and only while the view still exists (its destructor waits for the read). GUI thread otherwise.
#pragma once

#include "DtcTextFile.h"
#include "KorvoUpdateSoftwareManagementListModel.h"
#include "KorvoUpdateTableView.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class KorvoUpdateSearchField;
class KorvoUpdateTableHeaderCell;
class QComboBox;
namespace dispatch {
class SerialQueue;
}

class KorvoUpdateSearchDTCView : public QWidget,
                                 public KorvoUpdateTableViewDataSource,
                                 public KorvoUpdateTableViewDelegate {
public:
    using Rows = DtcTextFile::Rows;

    static constexpr int kRowHeight = 34;
    static constexpr int kCodeColumnWidth = 140;
    static constexpr int kQueryLength = 5; // a DTC: a letter and four digits
    static constexpr int kTopBarHeight = 45;
    static constexpr int kFieldHeight = 30;
    static constexpr int kFieldRightInset = 100;
    static constexpr int kPopUpTop = 5;
    static constexpr int kPopUpLeft = 10;
    static constexpr int kPopUpHeight = 20;
    static constexpr int kPopUpRightInset = 80;
    static constexpr int kTableTop = 55;
    static constexpr int kTableMargin = 10;
    static constexpr int kTitlePixelSize = 15;

    explicit KorvoUpdateSearchDTCView(QWidget* parent = nullptr);
    ~KorvoUpdateSearchDTCView() override;

    void searchTableViewData(const QString& query);
    void controlTextDidChange(const QString& text);
    void popUpButtonAction(int index);
    // Starts reading the table of the current language.
    void updateTableView();

    int numberOfRowsInTableView(KorvoUpdateTableView* tableView) override;
    // Answered with no effect.
    void searchFieldDidStartSearching() {}
    void searchFieldDidEndSearching() {}
    void tableViewSelectionDidChange() {}
    QWidget* tableView(KorvoUpdateTableView* tableView, int viewForTableColumn, int row) override;

    const QStringList& languages() const { return m_languages; }
    const Rows& listModels() const { return m_listModels; }
    bool isLoaded() const { return m_loaded; }
    KorvoUpdateTableView* tableView() const { return m_tableView; }
    KorvoUpdateTableHeaderCell* headerCell() const { return m_headerCell; }
    QWidget* topView() const { return m_topView; }
    KorvoUpdateSearchField* searchField() const { return m_searchField; }
    QComboBox* popUpButton() const { return m_popUpButton; }

    // The DTC table languages of the desktop application.
    static QStringList dtcLanguages();
    // The table's language for a file language code: itself when it has a table, else "en".
    static QString tableLanguage(const QString& languageCode);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupUI();
    void configData();
    void setupSearchItem();
    void setupPopButton();
    void layoutSubviews();
    void install(Rows rows);

    QStringList m_languages;
    Rows m_listModels;
    bool m_loaded = false;
    KorvoUpdateTableView* m_tableView = nullptr;
    KorvoUpdateTableHeaderCell* m_headerCell = nullptr;
    QWidget* m_topView = nullptr;
    KorvoUpdateSearchField* m_searchField = nullptr;
    QComboBox* m_popUpButton = nullptr;
    std::unique_ptr<dispatch::SerialQueue> m_queue;
};
