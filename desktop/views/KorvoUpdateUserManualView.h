// Tab 3, manuals: one button per PDF in the resource folder Pdf (regular, visible files whose name ends in "pdf"),
// in one row; a click opens that manual in the user's PDF viewer. The list is made once, with the view.
//
// The viewer is started through an opener program (xdg-open unless replaced) that gets the manual's absolute path
// as its one argument; it is started and waited for on a worker thread, so the window never waits for it. When it
// cannot start or finds nothing to open the file with, the user is told, in the interface language, what to
// install; when the viewer it started failed, that the viewer failed. GUI thread only.
#pragma once

#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class KorvoUpdateAlert;
class KorvoUpdateButtonItem;

class KorvoUpdateUserManualView : public QWidget {
public:
    static constexpr int kItemTop = 15;
    static constexpr int kItemLeft = 15;
    static constexpr int kItemWidth = 120;
    static constexpr int kItemStep = 125; // width and a gap of 5
    static constexpr int kTitlePixelSize = 11;

    explicit KorvoUpdateUserManualView(QWidget* parent = nullptr);
    ~KorvoUpdateUserManualView() override;

    // The full paths of the manuals, in the order of the buttons.
    const QStringList& listModels() const { return m_listModels; }
    const std::vector<KorvoUpdateButtonItem*>& buttons() const { return m_buttons; }
    void getFullBinFile();
    KorvoUpdateButtonItem* setupButton(int index);
    void onClick(int tag);
    // The message shown when the last manual could not be opened (empty when none failed).
    KorvoUpdateAlert* failureAlert() const { return m_alert.get(); }

    // The program that opens a file with the user's application for it; empty restores xdg-open.
    static void setOpenerProgram(const QString& program);
    static QString openerProgram();
    // The text that tells the user what to install when no program can open a manual.
    static QString cannotOpenMessage();
    // The text for a viewer that started and failed.
    static QString viewerFailedMessage();

private:
    void setupUi();
    void showCannotOpen(const QString& path, bool noProgram);

    QStringList m_listModels;
    std::vector<KorvoUpdateButtonItem*> m_buttons;
    std::unique_ptr<KorvoUpdateAlert> m_alert;
};
