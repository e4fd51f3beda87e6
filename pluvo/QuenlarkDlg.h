// CQuenlarkDlg: pluvo's one main dialog: a frameless, fixed-size window that paints its own title bar and footer,
// a navigation bar of seven entries, the device status line and connection mark, and hosts six pages of which one
// is shown. It owns the device check (detection, identification, the update list) and the close rule, starts the
// picture tool, and shows the boxes of pluvo.cfg's failed writes while it lives. Interface thread only; the check
// never runs inside itself or while a flash holds the tool, though a tool that has gone is shown gone at once.
#pragma once

#include "DeviceState.h"
#include "WindowMessage.h"

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <string>
#include <vector>

class QLabel;
class QPainter;
class ClrButton;
class CUpdatePage;
class CPrintPage;
class CSearchDtcPage;
class CMannualPage;
class CSettingPage;
class CSupportPage;

class CQuenlarkDlg : public QDialog, public CMessageTarget {
    Q_OBJECT
public:
    // The dialog template's size: 673 x 462 dialog units of MS Shell Dlg 8, whose average character is 6 x 13
    // pixels at 96 dpi (a dialog unit is a quarter of its width and an eighth of its height), rounded.
    static constexpr int kTemplateUnitsX = 673, kTemplateUnitsY = 462;
    static constexpr int kBaseUnitX = 6, kBaseUnitY = 13;
    static constexpr QSize kClientSize{(kTemplateUnitsX * kBaseUnitX + 2) / 4, (kTemplateUnitsY * kBaseUnitY + 4) / 8};
    static constexpr unsigned kBackgroundColor = 0xBBBBBB;
    static constexpr int kNavCount = 7;
    static constexpr int kMarkSize = 24;
    static constexpr int kCloseButtonId = 10087;
    static constexpr int kMinimiseButtonId = 10088;
    // Device events closer together than this keep a known model when its port cannot be reached.
    static constexpr int kKeepIdWindowMs = 1000;
    // A present tool whose port another program holds is looked at again this often.
    static constexpr int kBusyPortRecheckMs = 2000;
    // A check put off by an open box is tried again this often.
    static constexpr int kDeferredCheckMs = 300;
    // A long status text shrinks in these steps, and no smaller than this: it still reads on a laptop screen.
    static constexpr int kStatusPixelStep = 2;
    static constexpr int kMinStatusPixels = 12;

    enum Page { UpdatePage = 0, PrintPage = 1, DtcPage = 2, ManualPage = 3, SettingPage = 4, SupportPage = 5 };
    // Navigation entries, top to bottom.
    enum Entry { NavUpdate, NavPrint, NavDtc, NavManual, NavPictureTool, NavSettings, NavSupport };

    explicit CQuenlarkDlg(QWidget* parent = nullptr);
    ~CQuenlarkDlg() override;

    // Builds the pages and controls, shows the update page and runs the first device check.
    void OnInitDialog();
    // The whole device check (a device event, or none at start-up).
    void OnDeviceChange();
    // Identifies the tool on its ports; true when one answered.
    bool ProbeDevicePorts(bool keepIdOnMiss, const std::vector<std::string>& ports);

    void ShowUpdatePage();
    void ShowPrintPage();
    void ShowSearchDtcPage();
    void ShowManualPage();
    void ShowSettingPage();
    void ShowSupportPage();
    void LaunchPictureTool();
    // The close rule: asks while a flash runs; true when the dialog ends.
    bool OnClose();
    // A left-button press in the body: an entry runs its operation; elsewhere the window is dragged.
    void OnLButtonDown(const QPoint& point);
    // The icon shown for the minimised dialog.
    QIcon OnQueryDragIcon() const;

    // The status line's reason for a tool port that would not open (errno), in the interface language.
    static QString PortProblemText(int err);
    // The font the status line shows a text in: the label font, or a smaller one where the text needs more room
    // than the line has, down to kMinStatusPixels.
    static QFont StatusFont(const QString& text, const QSize& room);
    // The box of a failed write of pluvo.cfg, and what it means for the user.
    void ShowWriteError();

    // Entry rectangles for a client height (width is fixed).
    static QRect NavRect(int entry, int clientHeight);
    // Where an entry's label goes: below its picture, to the entry's bottom.
    static QRect NavLabelRect(const QRect& entry);
    // A label in the label font on one line where it fits; else broken at blanks (a word wider than the entry cut)
    // in the largest font, from the label font down, whose lines the label's room holds.
    struct NavLabelLayout {
        QFont font;
        QStringList lines;
    };
    static NavLabelLayout LayoutNavLabel(const QString& label, const QRect& entry);
    // An entry: its picture, and its label drawn only inside the label's room.
    static void DrawNavEntry(QPainter& p, const QRect& r, const QImage& picture, const QString& label,
                             const QColor& color, const QColor& background);
    static std::vector<std::string> EnumUsbSerialPorts(const std::string& scanRoot);

    DeviceState& state() { return m_state; }
    int currentPage() const { return m_currentPage; }
    QRect navRect(int entry) const { return m_navRects[entry]; }
    QColor labelColor(int entry) const;
    QString statusText() const;
    QLabel* statusLine() const { return m_status; } // 1029
    QRect markRect() const { return QRect(m_markPos, QSize(kMarkSize, kMarkSize)); }
    QString versionText() const { return m_version; }
    CUpdatePage* updatePage() const { return m_update; }
    CPrintPage* printPage() const { return m_print; }
    QWidget* page(int index) const;
    ClrButton* button(int id) const;
    bool deviceCheckPending() const { return m_checkPending; }
    // Tests: the root of the device tree looked at ("" = the real system), and the picture tool's program.
    void setScanRoot(const std::string& root) { m_scanRoot = root; }
    void setPictureToolProgram(const QString& path) { m_pictureTool = path; }

    bool OnMessage(unsigned message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;

private:
    void OnSize(int w, int h);
    void OnEraseBkgnd(QPainter& p);
    void OnPaint(QPainter& p);
    void switchTo(int page, int entry);
    void setStatus(const QString& text);
    // A text about the tool: the status line and the connection mark change together.
    void setDeviceStatus(bool present, const QString& text);
    void runDeviceCheck();
    void showAbsent();
    bool askCloseWhileBusy();
    void endDialog();

    DeviceState m_state;
    QString m_version;
    bool m_layoutDone = false;
    bool m_initialised = false;
    qint64 m_lastDeviceTick = -1;
    QColor m_background{0xFF, 0xFF, 0xFF};
    QColor m_labelColors[kNavCount];
    QRect m_navRects[kNavCount];
    QPoint m_markPos{-1, -1};
    int m_currentPage = -1;
    int m_currentEntry = -1;
    CUpdatePage* m_update = nullptr;
    CSearchDtcPage* m_dtc = nullptr;
    CMannualPage* m_manual = nullptr;
    CSettingPage* m_setting = nullptr;
    CPrintPage* m_print = nullptr;
    CSupportPage* m_support = nullptr;
    ClrButton* m_close = nullptr;
    ClrButton* m_minimise = nullptr;
    QImage m_navPictures[12];
    QLabel* m_title = nullptr;      // 1018
    QLabel* m_copyright = nullptr;  // 1019
    QLabel* m_status = nullptr;     // 1029
    QLabel* m_updateOnly = nullptr; // 1038
    std::string m_scanRoot;
    QString m_pictureTool;
    bool m_inCheck = false;
    bool m_checkPending = false;
    int m_portProblem = 0;  // errno of a tool port that could not be opened in the last check
    std::string m_toolPort; // what the capture reads: the identified tool's port, else the first of its own
    QTimer m_recheck;
};
