// Tab 0, the firmware list: the package columns and, while no package is listed, the guide picture. This first
// form holds the two blocks the main view controller sets and empties itself when the tool goes away; the rows
// come with the package list. GUI thread.
#pragma once

#include <QWidget>

#include <functional>

class KorvoUpdateImageView;
class QHeaderView;
class QTableWidget;

class KorvoUpdateSoftwareView : public QWidget {
public:
    using SendUpdateInfo = std::function<void(const QString& path, int index)>;
    using RefUpdateInfo = std::function<void()>;

    explicit KorvoUpdateSoftwareView(QWidget* parent = nullptr);

    void setSendUpdateInfoCompletion(SendUpdateInfo block) { m_sendUpdateInfoCompletion = std::move(block); }
    const SendUpdateInfo& sendUpdateInfoCompletion() const { return m_sendUpdateInfoCompletion; }
    void setRefUpdateInfoCompletion(RefUpdateInfo block) { m_refUpdateInfoCompletion = std::move(block); }
    const RefUpdateInfo& refUpdateInfoCompletion() const { return m_refUpdateInfoCompletion; }

    void clearListModels();
    QTableWidget* tableView() const { return m_tableView; }

    static constexpr int kFixedColumnWidth = 110; // the four columns before the progress column

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    SendUpdateInfo m_sendUpdateInfoCompletion;
    RefUpdateInfo m_refUpdateInfoCompletion;
    QTableWidget* m_tableView = nullptr;
    KorvoUpdateImageView* m_bgImage = nullptr;
};
