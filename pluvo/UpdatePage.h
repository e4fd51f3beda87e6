// CUpdatePage: page 0 of the main dialog: the packages of the update folder that belong to the identified tool,
// the confirmation of one, and the flash worker that installs it. While no tool is ready it shows the connection
// guide. One flash at a time: a second confirmation while one runs is refused. Interface thread only; the worker
// reaches the list only through messages sent to it.
#pragma once

#include "DeviceState.h"
#include "Dialog.h"
#include "FlashWorker.h"
#include "WindowMessage.h"

#include <QString>
#include <map>
#include <memory>
#include <thread>

class CProListCtrl;
class QTableWidgetItem;

class CUpdatePage : public CDialog, public CMessageTarget {
    Q_OBJECT
public:
    // How long closing waits for a running worker once it has been told to stop.
    static constexpr int kWorkerStopWaitMs = 3000;

    CUpdatePage(DeviceState& state, QWidget* parent = nullptr);
    ~CUpdatePage() override;

    void OnInitDialog();
    // Called by the device check when an identified tool is present.
    void ListUpdateFiles();
    // A row for the file, when it is one of the identified tool's packages; false when skipped.
    bool AddUpdateFile(const QString& name, qint64 size);
    void ResetRows();
    // wParam 1: no identified tool (the guide is shown); 0: ready.
    void OnDeviceState(WPARAM wParam);
    void SaveFlashedVersion(const FlashedVersion& flashed);
    QString GetGuideImagePath() const;
    // Tells a running worker to stop, wakes its exchange and waits for it at most waitMs, serving its messages.
    // True when no worker runs any more.
    bool StopWorker(int waitMs = kWorkerStopWaitMs);

    CProListCtrl* list() const { return m_list; }
    QWidget* guide() const { return m_guide; }
    int listReady() const { return m_listReady; }
    QString downloadLink() const { return m_downloadLink; }
    bool workerRunning() const;

    static QString SizeText(qint64 size);
    // The first row's map key for the package file name, or "" when the file does not fit the pattern.
    static QString PackageKey(const QString& deviceId, const QString& version, const QString& date);

    bool OnMessage(unsigned message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Pending {
        int row;
        QString deviceId, version, date, fileName;
    };
    void OnLvnItemchangedUpdateList(QTableWidgetItem* item);
    void Confirm(const Pending& p);
    void StartFlash(const Pending& p);
    void layoutColumns();
    void joinFinishedWorker();

    DeviceState& m_state;
    QString m_downloadLink;
    int m_listReady = 0;
    CProListCtrl* m_list;
    QWidget* m_guide;
    bool m_guideDrawn = false;
    std::map<QString, QString> m_packages; // lower-case key -> real file name
    std::map<int, bool> m_checked;         // what each row's check box showed last
    std::thread m_worker;
    std::shared_ptr<FlashControl> m_control;
};
