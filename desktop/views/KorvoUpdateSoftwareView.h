// Tab 0, the firmware list: the shipped packages that suit the identified tool and the interface language, a
// confirmation before a package is flashed, and each row's flashing state from "UpdateDataPro". While the list is
// empty a guide picture shows.
//
// Threads: everything runs on the GUI thread except updateData, which runs on the flash worker that posts the
// progress; it changes the row object there and hands the table reload to the GUI thread.
#pragma once

#include "KorvoUpdateAlert.h"
#include "KorvoUpdateMyUpdatesListModel.h"
#include "KorvoUpdateTableView.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <mutex>

class KorvoUpdateImageView;
struct Notification;

class KorvoUpdateSoftwareView : public QWidget,
                                public KorvoUpdateTableViewDataSource,
                                public KorvoUpdateTableViewDelegate,
                                public KorvoUpdateAlertDelegate {
public:
    using SendUpdateInfo = std::function<void(const QString& path, int index)>;
    using RefUpdateInfo = std::function<void()>;

    static constexpr int kColumnCount = 5;
    static constexpr int kFixedColumnWidth = 110; // the four columns before the progress column
    static constexpr int kRowHeight = 40;

    explicit KorvoUpdateSoftwareView(QWidget* parent = nullptr);
    ~KorvoUpdateSoftwareView() override;

    void setSendUpdateInfoCompletion(SendUpdateInfo block) { m_sendUpdateInfoCompletion = std::move(block); }
    const SendUpdateInfo& sendUpdateInfoCompletion() const { return m_sendUpdateInfoCompletion; }
    void setRefUpdateInfoCompletion(RefUpdateInfo block) { m_refUpdateInfoCompletion = std::move(block); }
    const RefUpdateInfo& refUpdateInfoCompletion() const { return m_refUpdateInfoCompletion; }

    // The identification reply: the tool's model, then the list.
    void didGetReceiveData(const QByteArray& reply);
    // Lists the package files of the resource folder "Update" once.
    void getFullBinFile();
    void resetListModels();
    void clearListModels();
    // A progress report; any thread.
    void updateData(const Notification& note);
    void openAlertView();
    void alertSheetDidEnd(KorvoUpdateAlert* alert, int returnCode, void* contextInfo) override;
    void updateHeaderCellSelectedState(int row);

    // Table data source and extended delegate.
    int numberOfRowsInTableView(KorvoUpdateTableView* tableView) override;
    QWidget* tableView(KorvoUpdateTableView* tableView, int viewForTableColumn, int row) override;
    void tableView(KorvoUpdateTableView* tableView, long didClickedRow) override;

    KorvoUpdateTableView* tableView() const { return m_tableView; }
    KorvoUpdateImageView* bgImage() const { return m_bgImage; }
    KorvoUpdateAlert* alert() const { return m_alert.get(); }
    KorvoUpdateMyUpdatesListModel::Rows listModels() const;
    QString curName() const { return m_curName; }
    // The row awaiting confirmation: its package path and index.
    QString curPath() const { return m_curPath; }
    int cIndex() const { return m_cIndex; }
    QStringList allBins() const { return m_allBins; }

    // The model named by an identification reply ("TENVOR", "-"-separated fields, the last one), or "" when the
    // reply is not one. Trailing NUL, CR and LF are not part of the model.
    static QString modelFromReply(const QByteArray& reply);
    // The language of the guide picture for a file language code; codes without a picture give "en".
    static QString guideLanguageCode(const QString& userLanguage);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void configData();
    void resetUILayout();
    void reloadRow(const KorvoUpdateMyUpdatesListModel::Row& row, bool withCheckMark);
    int indexOfPath(const QString& path) const;

    SendUpdateInfo m_sendUpdateInfoCompletion;
    RefUpdateInfo m_refUpdateInfoCompletion;
    KorvoUpdateTableView* m_tableView = nullptr;
    KorvoUpdateImageView* m_bgImage = nullptr;
    std::unique_ptr<KorvoUpdateAlert> m_alert;
    mutable std::mutex m_rowsMutex; // the flash worker reads the rows while the GUI thread replaces them
    KorvoUpdateMyUpdatesListModel::Rows m_listModels;
    QString m_curName;
    QStringList m_allBins;
    QString m_curPath;
    int m_cIndex = -1;
};
