#include "QuenlarkDlg.h"

#include "ClrButton.h"
#include "CodePage.h"
#include "FlashWorker.h"
#include "Fonts.h"
#include "Pages.h"
#include "PngResource.h"
#include "Profile.h"
#include "SerialPort.h"
#include "SupportPage.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "UpdatePage.h"
#include "UsbToolScan.h"
#include "frames.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QTextBoundaryFinder>
#include <QTextStream>
#include <cerrno>
#include <cmath>
#include <optional>

namespace {
// Layout of the dialog's bands: the navigation column, the title band above the pages, the footer band below.
constexpr int kNavColumnWidth = 200;
constexpr int kTitleBand = 80;
constexpr int kFooterBand = 80;
// Navigation entries: from y 60, 2 pixels apart, 20 to 172 across; the height is shared out of h - 108.
constexpr int kNavTop = 60;
constexpr int kNavGap = 2;
constexpr int kNavLeft = 20;
constexpr int kNavRight = 172;
constexpr int kNavReserved = 108;
constexpr int kNavPicture = 50;
constexpr int kNavPictureTop = 5;
constexpr int kNavLabelTop = 58;
// A label too long for the label font shrinks in these steps, and no smaller than this: it still reads.
constexpr int kNavLabelPixelStep = 2;
constexpr int kMinNavLabelPixels = 12;
constexpr int kButtonTop = 2, kButtonBottom = 39, kCloseWidth = 47, kMinimiseLeft = 80;
constexpr QPoint kVersionPos{195, 15};
constexpr int kVersionBottom = 30;

// Picture numbers.
constexpr int kPngTitleBar = 133;
constexpr int kPngFooter = 218;
constexpr int kPngMarkPresent = 139;
constexpr int kPngMarkAbsent = 140;
constexpr int kPngClose = 201;
constexpr int kPngMinimise = 202;
constexpr int kPngIcon = 128;

// Per entry: its picture and its label.
struct NavInfo {
    int picture;
    TextId label;
};
constexpr NavInfo kNav[CQuenlarkDlg::kNavCount] = {
    {135, textid::kNavUpdate},      {209, textid::kNavPrint},    {136, textid::kNavDtc},    {137, textid::kNavManual},
    {227, textid::kNavPictureTool}, {138, textid::kNavSettings}, {220, textid::kNavSupport}};

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}

qint64 monotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// The status line: in the footer band between the pages and the footer picture, right of the mark and inside the
// window, its text wrapped.
constexpr int kStatusLeft = 225;
constexpr int kStatusRightGap = 20;
constexpr int kStatusBandGap = 2;

// The dialog whose boxes show pluvo.cfg's write failures (interface thread only).
const CQuenlarkDlg* g_writeErrorOwner = nullptr;
} // namespace

CQuenlarkDlg::CQuenlarkDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dialog102"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(kClientSize);
    for (QColor& c : m_labelColors)
        c = Qt::black;
    m_state.programFolder = GetExeFolder();
    m_pictureTool = m_state.programFolder + QStringLiteral("Lumaset/Lumaset");
    m_recheck.setSingleShot(true);
    connect(&m_recheck, &QTimer::timeout, this, &CQuenlarkDlg::OnDeviceChange);
}

QString CQuenlarkDlg::PortProblemText(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
        return text(textid::kPortNoPermission);
    case EBUSY:
        return text(textid::kPortInUse);
    default:
        return QStringLiteral("%1 (%2)").arg(text(textid::kPortCannotOpen)).arg(err);
    }
}

CQuenlarkDlg::~CQuenlarkDlg() {
    // Boxes of pluvo.cfg's writer are owned by this dialog: none comes up once it is gone.
    if (g_writeErrorOwner == this) {
        CProfile::CTextFile::SetMessageHandler(nullptr);
        g_writeErrorOwner = nullptr;
    }
    // The pages use the device state, a member: they go first, after a running flash has been stopped.
    m_recheck.stop();
    if (m_update) m_update->StopWorker();
    delete m_update;
    delete m_dtc;
    delete m_manual;
    delete m_setting;
    delete m_print;
    delete m_support;
    m_update = nullptr;
    m_dtc = nullptr;
    m_manual = nullptr;
    m_setting = nullptr;
    m_print = nullptr;
    m_support = nullptr;
}

QWidget* CQuenlarkDlg::page(int index) const {
    switch (index) {
    case UpdatePage:
        return m_update;
    case PrintPage:
        return m_print;
    case DtcPage:
        return m_dtc;
    case ManualPage:
        return m_manual;
    case SettingPage:
        return m_setting;
    case SupportPage:
        return m_support;
    default:
        return nullptr;
    }
}

ClrButton* CQuenlarkDlg::button(int id) const {
    return id == kCloseButtonId ? m_close : id == kMinimiseButtonId ? m_minimise : nullptr;
}

QColor CQuenlarkDlg::labelColor(int entry) const {
    return m_labelColors[entry];
}

QString CQuenlarkDlg::statusText() const {
    return m_status ? m_status->text() : QString();
}

QFont CQuenlarkDlg::StatusFont(const QString& text, const QSize& room) {
    // The label font, or the largest smaller one in which all of the text fits the room, down to a readable size.
    QFont font = LabelFont();
    for (int pixels = LabelFont().pixelSize(); pixels >= kMinStatusPixels; pixels -= kStatusPixelStep) {
        font.setPixelSize(pixels);
        const QRect needed = QFontMetrics(font).boundingRect(QRect(QPoint(), room), Qt::TextWordWrap, text);
        if (needed.height() <= room.height() && needed.width() <= room.width()) break;
    }
    return font;
}

void CQuenlarkDlg::setStatus(const QString& t) {
    m_status->setFont(StatusFont(t, m_status->size()));
    m_status->setText(t);
}

void CQuenlarkDlg::setDeviceStatus(bool present, const QString& t) {
    // The mark is drawn from the same flag, so the two never disagree.
    m_state.present = present;
    setStatus(t);
    update(markRect());
}

void CQuenlarkDlg::ShowWriteError() {
    // The file's "Write error" and "Write Error" say the same to the user: both in the interface language.
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("pluvo"), text(textid::kWriteError), QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("writeError"));
    box.setInformativeText(text(textid::kConfigNotSaved));
    box.exec();
}

void CQuenlarkDlg::OnInitDialog() {
    setWindowIcon(QIcon(QPixmap::fromImage(LoadPngResource(kPngIcon))));
    CProfile::CTextFile::SetMessageHandler([this](const QString&) { ShowWriteError(); });
    g_writeErrorOwner = this;
    m_state.setPageTitle = [this](const QString& t) { m_title->setText(t); };
    m_state.flashEnded = [this] {
        if (m_checkPending) QTimer::singleShot(0, this, &CQuenlarkDlg::OnDeviceChange);
    };
    m_background = QColor(QRgb(kBackgroundColor));

    m_update = new CUpdatePage(m_state, this);
    m_dtc = new CSearchDtcPage(this);
    m_manual = new CMannualPage(this);
    m_setting = new CSettingPage(m_state, this);
    m_print = new CPrintPage(this);
    m_support = new CSupportPage(this);
    const QRect client = rect();
    for (int i = 0; i < 6; ++i) {
        page(i)->setGeometry(client.left() + kNavColumnWidth, client.top() + kTitleBand,
                             client.width() - kNavColumnWidth, client.height() - kTitleBand - kFooterBand);
        page(i)->hide();
    }
    m_update->OnInitDialog();
    m_support->OnInitDialog();
    const auto status = [this](const QString& t) { setStatus(t); };
    m_dtc->setProgramFolder(m_state.programFolder);
    m_dtc->setStatusHandler(status);
    m_dtc->OnInitDialog();
    m_manual->setProgramFolder(m_state.programFolder);
    m_manual->setStatusHandler(status);
    m_manual->OnInitDialog();

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("label1018"));
    m_copyright = new QLabel(this);
    m_copyright->setObjectName(QStringLiteral("label1019"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("label1029"));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_updateOnly = new QLabel(this);
    m_updateOnly->setObjectName(QStringLiteral("label1038"));
    m_updateOnly->setGeometry(0, 0, 0, 0);
    setWindowTitle(text(textid::kDialogTitle));
    m_copyright->setText(text(textid::kCopyright));
    m_status->setText(text(textid::kDeviceAbsent));
    m_title->setFont(SmallFont());
    m_copyright->setFont(SmallFont());
    m_status->setFont(LabelFont());

    for (int i = 0; i < kNavCount; ++i)
        m_navPictures[i] = LoadPngResource(kNav[i].picture);
    m_setting->OnInitDialog([this](int language) { m_dtc->LoadDtcFile(language); });

    ShowUpdatePage();
    OnDeviceChange();
    QDir().mkpath(m_state.programFolder + QStringLiteral("update"));

    const int r = client.right() + 1;
    m_close = new ClrButton;
    m_close->Create(false, QRect(QPoint(r - kCloseWidth, kButtonTop), QPoint(r - 1, kButtonBottom - 1)), this,
                    kCloseButtonId);
    m_close->setStripPicture(kPngClose);
    m_minimise = new ClrButton;
    m_minimise->Create(false,
                       QRect(QPoint(r - kMinimiseLeft, kButtonTop), QPoint(r - kCloseWidth - 1, kButtonBottom - 1)),
                       this, kMinimiseButtonId);
    m_minimise->setStripPicture(kPngMinimise);

    QFile f(m_state.programFolder + QStringLiteral("version.txt"));
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&f);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.isEmpty()) {
                m_version = line;
                break;
            }
        }
    }
    OnSize(width(), height());
    m_initialised = true;
}

// Navigation layout ---------------------------------------------------------------------------------------------

QRect CQuenlarkDlg::NavRect(int entry, int clientHeight) {
    const int d = (clientHeight - kNavReserved) / kNavCount;
    const int top = kNavTop + entry * (d + kNavGap);
    return QRect(QPoint(kNavLeft, top), QPoint(kNavRight - 1, top + d - 1));
}

namespace {
// Lines no wider than width, broken at blanks; a word wider than that is cut after the last whole character that
// fits (cut tells whether one was).
QStringList wrapAtBlanks(const QString& label, const QFontMetrics& fm, int width, bool& cut) {
    QStringList lines;
    QString line;
    cut = false;
    for (QString word : label.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fm.horizontalAdvance(joined) <= width) {
            line = joined;
            continue;
        }
        if (!line.isEmpty()) lines << line;
        while (fm.horizontalAdvance(word) > width) {
            QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, word);
            int fit = characters.toNextBoundary(); // at least one character a line
            for (int next = characters.toNextBoundary(); next > 0 && fm.horizontalAdvance(word.left(next)) <= width;
                 next = characters.toNextBoundary())
                fit = next;
            lines << word.left(fit);
            word.remove(0, fit);
            cut = true;
        }
        line = word;
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}
} // namespace

QRect CQuenlarkDlg::NavLabelRect(const QRect& entry) {
    return QRect(QPoint(entry.left(), entry.top() + kNavLabelTop), entry.bottomRight());
}

CQuenlarkDlg::NavLabelLayout CQuenlarkDlg::LayoutNavLabel(const QString& label, const QRect& entry) {
    const QRect room = NavLabelRect(entry);
    std::optional<NavLabelLayout> withCut;
    QFont font = LabelFont();
    for (int pixels = LabelFont().pixelSize(); pixels >= kMinNavLabelPixels; pixels -= kNavLabelPixelStep) {
        font.setPixelSize(pixels);
        const QFontMetrics fm(font);
        bool cut = false;
        const QStringList lines = wrapAtBlanks(label, fm, room.width(), cut);
        if ((lines.size() - 1) * fm.lineSpacing() + fm.height() > room.height()) continue;
        if (!cut) return {font, lines};
        if (!withCut) withCut = NavLabelLayout{font, lines};
    }
    if (withCut) return *withCut;
    // Not even the smallest font fits: its lines, of which the room shows what it holds.
    font.setPixelSize(kMinNavLabelPixels);
    bool cut = false;
    return {font, wrapAtBlanks(label, QFontMetrics(font), room.width(), cut)};
}

void CQuenlarkDlg::OnSize(int w, int h) {
    if (!m_close) return;
    for (int i = 0; i < kNavCount; ++i)
        m_navRects[i] = NavRect(i, h);
    m_title->setGeometry(0, 0, 0, 0);
    m_copyright->setGeometry(0, 0, 0, 0);
    const int footer = LoadPngResource(kPngFooter).height();
    m_status->setGeometry(kStatusLeft, h - kFooterBand + kStatusBandGap, w - kStatusLeft - kStatusRightGap,
                          kFooterBand - footer - 2 * kStatusBandGap);
    m_markPos = QPoint(kNavColumnWidth, h - 60);
    setStatus(m_status->text()); // its font follows the room it now has
    m_layoutDone = true;
}

void CQuenlarkDlg::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    OnSize(width(), height());
}

// Painting -------------------------------------------------------------------------------------------------------

void CQuenlarkDlg::DrawNavEntry(QPainter& p, const QRect& r, const QImage& picture, const QString& label,
                                const QColor& color, const QColor& background) {
    if (!picture.isNull())
        p.drawImage(QRect(r.left() + (r.width() - kNavPicture) / 2, r.top() + kNavPictureTop, kNavPicture, kNavPicture),
                    picture);
    const NavLabelLayout layout = LayoutNavLabel(label, r);
    const QRect room = NavLabelRect(r);
    const QFontMetrics fm(layout.font);
    p.save();
    p.setClipRect(room);
    p.setFont(layout.font);
    p.setPen(color);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(background);
    for (int i = 0; i < layout.lines.size(); ++i)
        p.drawText(QRect(room.left(), room.top() + i * fm.lineSpacing(), room.width(), fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop, layout.lines[i]);
    p.restore();
}

void CQuenlarkDlg::OnEraseBkgnd(QPainter& p) {
    // The colour, the title bar across the top at its own height, the version in it.
    p.fillRect(rect(), m_background);
    const QImage title = LoadPngResource(kPngTitleBar);
    if (!title.isNull()) p.drawImage(QRect(0, 0, width(), title.height()), title);
    if (!m_version.isEmpty()) {
        p.setFont(VersionFont());
        p.setPen(Qt::white);
        p.drawText(QRect(kVersionPos, QPoint(width() - 1, kVersionBottom)),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_version);
    }
}

void CQuenlarkDlg::OnPaint(QPainter& p) {
    for (int i = 0; i < kNavCount; ++i)
        DrawNavEntry(p, m_navRects[i], m_navPictures[i], text(kNav[i].label), m_labelColors[i], m_background);
    // What the status line says, not whether a port is remembered: a model kept over a burst of device events
    // keeps its port while the tool is gone.
    const QImage mark = LoadPngResource(m_state.present ? kPngMarkPresent : kPngMarkAbsent);
    if (!mark.isNull()) p.drawImage(markRect(), mark);
    const QImage footer = LoadPngResource(kPngFooter);
    if (!footer.isNull()) p.drawImage(QRect(0, height() - footer.height(), width(), footer.height()), footer);
}

void CQuenlarkDlg::paintEvent(QPaintEvent*) {
    if (!m_layoutDone && m_initialised) OnSize(width(), height());
    QPainter p(this);
    OnEraseBkgnd(p);
    OnPaint(p);
}

QIcon CQuenlarkDlg::OnQueryDragIcon() const {
    return windowIcon();
}

// Input ----------------------------------------------------------------------------------------------------------

void CQuenlarkDlg::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QDialog::mousePressEvent(e);
    OnLButtonDown(e->pos());
}

void CQuenlarkDlg::OnLButtonDown(const QPoint& point) {
    // The entries first: once the system's move loop has the mouse, the click is gone.
    for (int i = 0; i < kNavCount; ++i) {
        if (!m_navRects[i].contains(point)) continue;
        switch (i) {
        case NavUpdate:
            ShowUpdatePage();
            break;
        case NavPrint:
            ShowPrintPage();
            break;
        case NavDtc:
            ShowSearchDtcPage();
            break;
        case NavManual:
            ShowManualPage();
            break;
        case NavPictureTool:
            LaunchPictureTool();
            break;
        case NavSettings:
            ShowSettingPage();
            break;
        case NavSupport:
            ShowSupportPage();
            break;
        }
        return;
    }
    CDialog::StartWindowDrag(this);
}

void CQuenlarkDlg::keyPressEvent(QKeyEvent* e) {
    if (CDialog::PreTranslateMessage(e)) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool CQuenlarkDlg::event(QEvent* e) {
    if (DispatchMessage(e)) return true;
    return QDialog::event(e);
}

bool CQuenlarkDlg::OnMessage(unsigned message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    if (message != kMsgButtonClicked) return false;
    if (wParam == kCloseButtonId) OnClose();
    if (wParam == kMinimiseButtonId) showMinimized();
    return true;
}

// Pages ----------------------------------------------------------------------------------------------------------

void CQuenlarkDlg::switchTo(int target, int entry) {
    m_title->show();
    m_status->show();
    m_copyright->hide();
    const bool leavingPrint = m_currentPage == PrintPage && target != PrintPage;
    if (leavingPrint) m_print->StopCapture();
    for (int i = 0; i < 6; ++i)
        page(i)->setVisible(i == target);
    m_updateOnly->setVisible(target == UpdatePage);
    if (m_currentEntry >= 0) m_labelColors[m_currentEntry] = Qt::black;
    m_labelColors[entry] = QColor(255, 0, 0);
    m_currentPage = target;
    m_currentEntry = entry;
    update();
    // The capture had the port: the tool may have changed meanwhile, so it is identified again.
    if (leavingPrint) QTimer::singleShot(0, this, &CQuenlarkDlg::OnDeviceChange);
}

void CQuenlarkDlg::ShowUpdatePage() {
    if (m_currentPage == UpdatePage) return;
    switchTo(UpdatePage, NavUpdate);
    m_title->setText(text(textid::kTitleUpdate));
}

void CQuenlarkDlg::ShowPrintPage() {
    if (m_currentPage == PrintPage) return;
    switchTo(PrintPage, NavPrint);
    m_print->StartReportCapture(m_toolPort, m_state.busy);
}

void CQuenlarkDlg::ShowSearchDtcPage() {
    if (m_currentPage == DtcPage) return;
    switchTo(DtcPage, NavDtc);
    m_title->setText(text(textid::kTitleDtc));
}

void CQuenlarkDlg::ShowManualPage() {
    if (m_currentPage == ManualPage) return;
    switchTo(ManualPage, NavManual);
    m_title->setText(text(textid::kTitleManual));
}

void CQuenlarkDlg::ShowSettingPage() {
    if (m_currentPage == SettingPage) return;
    switchTo(SettingPage, NavSettings);
    m_title->setText(text(textid::kTitleSettings));
}

void CQuenlarkDlg::ShowSupportPage() {
    if (m_currentPage == SupportPage) return;
    switchTo(SupportPage, NavSupport);
    m_title->setText(text(textid::kTitleSettings));
}

void CQuenlarkDlg::LaunchPictureTool() {
    m_title->show();
    m_status->show();
    m_copyright->hide();
    // Asked before anything starts: the picture tool's window would cover the question, and a yes ends the flash.
    if (m_state.busy && !askCloseWhileBusy()) return;
    // The child gets its own folder as working directory; pluvo's own stays where it is.
    const QString folder = QFileInfo(m_pictureTool).absolutePath();
    qint64 pid = 0;
    if (!QProcess::startDetached(m_pictureTool, {}, folder, &pid)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("pluvo"),
                        text(textid::kPictureToolMissing) + QStringLiteral("\n\n") +
                            QDir::toNativeSeparators(m_pictureTool),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("pictureToolFailed"));
        box.exec();
        return;
    }
    endDialog();
}

// Closing --------------------------------------------------------------------------------------------------------

bool CQuenlarkDlg::askCloseWhileBusy() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("pluvo"), text(textid::kConfirmCloseWhileBusy),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("confirmClose"));
    return box.exec() == QMessageBox::Yes;
}

bool CQuenlarkDlg::OnClose() {
    if (m_state.busy && !askCloseWhileBusy()) return false;
    endDialog();
    return true;
}

void CQuenlarkDlg::endDialog() {
    // A running flash is woken and waited for a bounded time; its thread is never destroyed while it runs.
    if (m_update) m_update->StopWorker();
    if (m_print) m_print->StopReportCapture();
    done(QDialog::Accepted);
}

void CQuenlarkDlg::closeEvent(QCloseEvent* e) {
    e->ignore();
    if (isVisible()) OnClose();
}

// Device check ---------------------------------------------------------------------------------------------------

std::vector<std::string> CQuenlarkDlg::EnumUsbSerialPorts(const std::string& scanRoot) {
    return usbtool::scan(scanRoot).ports;
}

bool CQuenlarkDlg::ProbeDevicePorts(bool keepIdOnMiss, const std::vector<std::string>& ports) {
    m_portProblem = 0;
    for (const std::string& port : ports) {
        SerialPort sp;
        if (!sp.Open(port)) {
            m_portProblem = sp.lastOpenError();
            continue;
        }
        uint8_t reply[SerialPort::kReplyBufferSize];
        // The probe's reply time-out is the flash's own: one setting for the one exchange.
        const long n =
            sp.Query(firmware::ProbeCmd.data(), long(firmware::ProbeCmd.size()), GetFlashTiming().probeMs, reply);
        sp.Close();
        const QString id = ParseIdentReply(reply, n);
        if (id.isEmpty()) continue;
        m_state.deviceId = id;
        m_state.devicePort = port;
        setDeviceStatus(true, text(textid::kDevicePresent));
        return true;
    }
    if (!keepIdOnMiss || m_state.deviceId.isEmpty()) {
        m_state.deviceId.clear();
        m_state.devicePort.clear();
        setDeviceStatus(false, text(textid::kDeviceAbsent));
    }
    return false;
}

void CQuenlarkDlg::OnDeviceChange() {
    // Never inside itself (a box's event loop), nor while a flash holds the tool: it runs again afterwards.
    // A worker that has reported its end may still hold the port for a moment.
    const QWidget* modal = QApplication::activeModalWidget();
    const bool workerEnding = m_update && m_update->workerRunning();
    if (m_inCheck || m_state.busy || workerEnding || (modal && modal != this)) {
        m_checkPending = true;
        if (!m_state.busy) m_recheck.start(kDeferredCheckMs);
        // The rest waits, but a tool that has gone is said to be gone at once: looking costs no port.
        if (!m_inCheck && m_state.present && !usbtool::scan(m_scanRoot).present) showAbsent();
        return;
    }
    m_checkPending = false;
    m_inCheck = true;
    runDeviceCheck();
    m_inCheck = false;
}

void CQuenlarkDlg::runDeviceCheck() {
    const qint64 now = monotonicMs();
    const bool keepIdOnMiss = m_lastDeviceTick == -1 || now - m_lastDeviceTick <= kKeepIdWindowMs;
    m_lastDeviceTick = now;
    const usbtool::Scan scan = usbtool::scan(m_scanRoot);
    // The capture holds the port it reads: it gives it up for the probe and starts again below.
    if (m_print) m_print->StopReportCapture();
    ProbeDevicePorts(keepIdOnMiss, scan.ports);

    if (scan.present && !m_state.deviceId.isEmpty()) {
        PostMessage(m_update, kMsgDeviceState, 0, 0);
        setDeviceStatus(true, text(textid::kDevicePresent));
        m_update->ListUpdateFiles();
        update();
    } else if (scan.present) {
        PostMessage(m_update, kMsgDeviceState, 1, 0);
        // A port that would not open: why, and what to do, first; the plain advice only without such a reason.
        setDeviceStatus(true, m_portProblem ? PortProblemText(m_portProblem)
                                            : text(textid::kDevicePresent) + text(textid::kDeviceNotIdentified));
        m_update->ResetRows();
        if (m_portProblem == EBUSY) m_recheck.start(kBusyPortRecheckMs);
    } else {
        PostMessage(m_update, kMsgDeviceState, 1, 0);
        showAbsent();
        m_update->ResetRows();
    }
    // The capture reads the tool's own port whether or not the tool answered the probe: a tool busy printing a
    // report may not.
    m_toolPort = !scan.present                 ? std::string()
                 : !m_state.devicePort.empty() ? m_state.devicePort
                 : scan.ports.empty()          ? std::string()
                                               : scan.ports.front();
    if (m_currentPage == PrintPage) m_print->StartReportCapture(m_toolPort, m_state.busy);
}

void CQuenlarkDlg::showAbsent() {
    m_toolPort.clear();
    setDeviceStatus(false, text(textid::kDeviceAbsent));
}
