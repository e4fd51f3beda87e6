#include "UpdatePage.h"

#include "CodePage.h"
#include "Fonts.h"
#include "ProListCtrl.h"
#include "Profile.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "packagename.h"
#include "serial.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

namespace {
constexpr int kRightMargin = 20;
// Time between looks at a stopping worker.
constexpr int kStopPollMs = 10;
constexpr char kDefaultDownloadLink[] = "http://www.velmoran.example/update/pluvo";
constexpr char kGuideWindowTitle[] = "pluvo_guide_wnd";
constexpr char kPackageExtension[] = ".bin";

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}

// The connection guide: white, the picture scaled to the height and centred.
class GuideView : public QWidget {
public:
    explicit GuideView(QWidget* parent) : QWidget(parent) {
        setObjectName(QString::fromLatin1(kGuideWindowTitle));
        setWindowTitle(QString::fromLatin1(kGuideWindowTitle));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void setPicture(const QString& path) {
        m_picture = QImage(path);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (m_picture.isNull() || m_picture.height() == 0) return;
        const int h = height();
        const int w = int(qint64(m_picture.width()) * h / m_picture.height());
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect((width() - w) / 2, 0, w, h), m_picture);
    }

private:
    QImage m_picture;
};

const char* guideCode(int language) {
    static const char* const codes[] = {"en", "fr", "es", "de", "sk", "pt", "se", "it", "cz", "hu", "ru", "cn"};
    return language >= 0 && language < int(std::size(codes)) ? codes[language] : "";
}
} // namespace

CUpdatePage::CUpdatePage(DeviceState& state, QWidget* parent)
    : CDialog(parent), m_state(state), m_list(new CProListCtrl(this)), m_guide(new GuideView(this)) {
    setObjectName(QStringLiteral("page129"));
    m_guide->hide();
    m_list->onFlashFailed = [this] {
        m_state.busy = false;
        if (m_state.flashEnded) m_state.flashEnded();
    };
    m_list->onFlashSucceeded = [this](const FlashedVersion& f) {
        SaveFlashedVersion(f);
        m_state.busy = false;
        if (m_state.flashEnded) m_state.flashEnded();
    };
    connect(m_list, &QTableWidget::itemChanged, this, &CUpdatePage::OnLvnItemchangedUpdateList);
}

CUpdatePage::~CUpdatePage() {
    StopWorker();
    if (m_worker.joinable()) m_worker.detach(); // still blocked past the wait: it holds its own control block
}

void CUpdatePage::OnInitDialog() {
    m_list->setFont(SmallFont());
    QStringList headings;
    for (const TextId& id : {textid::kColumnVersion, textid::kColumnDate, textid::kColumnSize, textid::kColumnProgress})
        headings << text(id);
    m_list->setHorizontalHeaderLabels(headings);
    layoutColumns();
    m_downloadLink = CProfile::CTextFile::GetConfigString(m_state.programFolder + QString::fromLatin1(kConfigFileName),
                                                          QStringLiteral("Setting"), QStringLiteral("DownloadLink"),
                                                          QString::fromLatin1(kDefaultDownloadLink));
}

void CUpdatePage::layoutColumns() {
    // Each column: the heading's width plus room, at least a minimum, plus a margin.
    struct Rule {
        int minimum, margin;
    };
    static constexpr Rule rules[] = {{70, 45}, {100, 45}, {80, 55}, {250, 145}};
    const QFontMetrics fm(m_list->horizontalHeader()->font());
    for (int c = 0; c < 4; ++c) {
        const QTableWidgetItem* h = m_list->horizontalHeaderItem(c);
        const int t = fm.horizontalAdvance(h ? h->text() : QString());
        m_list->setColumnWidth(c, std::max(t + 20, rules[c].minimum) + rules[c].margin);
    }
    // The column cannot grow (the four fill the list): a status too wide for it wraps into a taller row.
    m_list->FitStatusTexts(StatusTexts());
}

void CUpdatePage::resizeEvent(QResizeEvent* e) {
    const QRect r(0, 0, std::max(0, e->size().width() - kRightMargin), e->size().height());
    m_list->setGeometry(r);
    m_guide->setGeometry(r);
    CDialog::resizeEvent(e);
}

QString CUpdatePage::SizeText(qint64 size) {
    constexpr qint64 kMega = 1048576, kKilo = 1024;
    if (size >= kMega) return QString::asprintf("%.1f MB", double(size) / kMega);
    if (size >= kKilo) return QString::asprintf("%.1f KB", double(size) / kKilo);
    return QString::asprintf("%.1f B", double(size));
}

QString CUpdatePage::PackageKey(const QString& deviceId, const QString& version, const QString& date) {
    QString key = (deviceId + QLatin1Char('_') + version + QLatin1Char('_') + date + QStringLiteral(".bin")).toLower();
    key.remove(QLatin1Char('\\'));
    key.remove(QLatin1Char('/'));
    return key;
}

void CUpdatePage::ResetRows() {
    m_list->ResetRows();
    m_checked.clear();
}

bool CUpdatePage::AddUpdateFile(const QString& name, qint64 size) {
    if (name.isEmpty() || m_state.deviceId.isEmpty()) return false;
    // The extension in any case: sticks formatted FAT often show names in upper case.
    if (!name.endsWith(QLatin1String(kPackageExtension), Qt::CaseInsensitive)) return false;
    // By fields: the model field must be the id itself, so a tool "QM6" never lists "QM64_..." packages.
    const auto fields = firmware::splitPackageFileName(name.toStdString());
    if (!fields || !firmware::packageModelMatches(fields->model, m_state.deviceId.toStdString())) return false;
    const QString version = QString::fromStdString(fields->version);
    const QString digits = QString::fromStdString(fields->date);
    if (version.isEmpty() || digits.size() != 8) return false;
    for (const QChar c : digits)
        if (!c.isDigit()) return false;
    const QString date = digits.left(4) + QLatin1Char('/') + digits.mid(4, 2) + QLatin1Char('/') + digits.mid(6, 2);
    const QString key = PackageKey(m_state.deviceId, version, digits);
    if (m_packages.count(key)) return false;
    m_packages[key] = name;
    const int row = m_list->AppendRow(version, date, SizeText(size));
    m_checked[row] = false;
    return true;
}

void CUpdatePage::ListUpdateFiles() {
    if (m_state.setPageTitle) m_state.setPageTitle(text(textid::kTitlePackages));
    ResetRows();
    m_packages.clear();
    const QDir dir(m_state.programFolder + QStringLiteral("update"));
    // The pattern matches without regard to case; AddUpdateFile judges the name.
    for (const QFileInfo& f :
         dir.entryInfoList({QStringLiteral("*") + QLatin1String(kPackageExtension)}, QDir::Files, QDir::Name))
        AddUpdateFile(f.fileName(), f.size());
    m_listReady = 2;
    if (m_list->rowCount() == 0)
        QMessageBox(QMessageBox::Information, QStringLiteral("Velmoran pluvo"), text(textid::kNoPackages),
                    QMessageBox::Ok, this)
            .exec();
}

void CUpdatePage::OnLvnItemchangedUpdateList(QTableWidgetItem* item) {
    if (!item || item->column() != 0) return;
    const int row = item->row();
    const bool now = item->checkState() == Qt::Checked;
    const bool before = m_checked[row];
    m_checked[row] = now;
    if (m_listReady != 2 || before || !now) return;
    if (m_state.busy) {
        // One flash at a time: the tool is held by the running one. Said outside this handler, as below.
        m_list->SetChecked(row, false);
        QTimer::singleShot(0, this, [this] {
            QMessageBox box(QMessageBox::Information, QStringLiteral("pluvo"), text(textid::kUpdateAlreadyRunning),
                            QMessageBox::Ok, this);
            box.setObjectName(QStringLiteral("updateAlreadyRunning"));
            box.exec();
        });
        return;
    }
    const QTableWidgetItem* date = m_list->item(row, 1);
    Pending p{row, m_state.deviceId, item->text(), date ? date->text().remove(QLatin1Char('/')) : QString(), {}};
    const QString key = PackageKey(p.deviceId, p.version, p.date);
    const auto found = m_packages.find(key);
    p.fileName = found != m_packages.end() ? found->second : key;
    // Asked outside this handler: the box's event loop must not run inside the list's own change.
    QTimer::singleShot(0, this, [this, p] { Confirm(p); });
}

void CUpdatePage::Confirm(const Pending& p) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("pluvo"), text(textid::kConfirmUpdate),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("confirmUpdate"));
    const bool yes = box.exec() == QMessageBox::Yes;
    // A device check may have emptied or refilled the list meanwhile: go on only for the same tool and file.
    const QTableWidgetItem* v = m_list->item(p.row, 0);
    const QTableWidgetItem* d = m_list->item(p.row, 1);
    const auto found = m_packages.find(PackageKey(p.deviceId, p.version, p.date));
    const bool same = v && d && v->text() == p.version && d->text().remove(QLatin1Char('/')) == p.date &&
                      m_state.deviceId == p.deviceId && found != m_packages.end() && found->second == p.fileName &&
                      !m_state.devicePort.empty();
    if (!yes || !same || m_state.busy) {
        if (same) m_list->SetChecked(p.row, false);
        return;
    }
    StartFlash(p);
}

void CUpdatePage::joinFinishedWorker() {
    if (m_worker.joinable() && m_control && m_control->finished) m_worker.join();
}

bool CUpdatePage::workerRunning() const {
    return m_worker.joinable() && m_control && !m_control->finished;
}

void CUpdatePage::StartFlash(const Pending& p) {
    joinFinishedWorker();
    if (m_worker.joinable()) return; // the last worker has not ended yet
    // The tool is ours from the confirmation on: no other program gets it before the first pass opens it.
    const int lease = serial::acquireLease(m_state.devicePort);
    if (lease < 0) {
        m_list->SetChecked(p.row, false);
        QMessageBox(QMessageBox::Warning, QStringLiteral("pluvo"), text(textid::kPortNotOpened), QMessageBox::Ok, this)
            .exec();
        return;
    }
    m_state.busy = true;
    m_control = std::make_shared<FlashControl>();
    auto* args = new FlashArgs;
    args->leaseFd = lease;
    args->listWindow = m_list;
    args->row = p.row;
    args->path = (m_state.programFolder + QStringLiteral("update/") + p.fileName).toStdString();
    args->port = m_state.devicePort;
    args->deviceId = p.deviceId;
    args->version = p.version;
    args->control = m_control;
    m_worker = std::thread(FlashWorker, args);
}

bool CUpdatePage::StopWorker(int waitMs) {
    if (!m_worker.joinable()) return true;
    if (m_control && !m_control->finished) {
        m_control->stop();
        // Serve the worker's messages while it ends: it may be waiting on this thread in one.
        QElapsedTimer t;
        t.start();
        while (!m_control->finished && t.elapsed() < waitMs) {
            QEventLoop loop;
            QTimer::singleShot(kStopPollMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    joinFinishedWorker();
    return !m_worker.joinable();
}

void CUpdatePage::OnDeviceState(WPARAM wParam) {
    if (wParam == 1 && !m_guideDrawn) {
        m_guideDrawn = true;
        static_cast<GuideView*>(m_guide)->setPicture(GetGuideImagePath());
        m_guide->show();
        m_guide->raise();
    } else if (wParam == 0 && m_guideDrawn) {
        m_guide->hide();
        m_guideDrawn = false;
    }
}

QString CUpdatePage::GetGuideImagePath() const {
    const int language = CProfile::CTextFile::GetConfigInt(m_state.programFolder + QString::fromLatin1(kConfigFileName),
                                                           QStringLiteral("Setting"), QStringLiteral("Language"), 0);
    const QString folder = m_state.programFolder + QStringLiteral("guide/");
    const QString path = folder + QString::fromLatin1(guideCode(language)) + QStringLiteral("_guide.jpg");
    if (QFileInfo(path).isFile()) return path;
    return folder + QStringLiteral("en_guide.jpg");
}

void CUpdatePage::SaveFlashedVersion(const FlashedVersion& flashed) {
    CProfile::CTextFile::SetConfigString(m_state.programFolder + QString::fromLatin1(kConfigFileName),
                                         QStringLiteral("Update"), flashed.deviceId, flashed.version);
}

bool CUpdatePage::event(QEvent* e) {
    if (DispatchMessage(e)) return true;
    return CDialog::event(e);
}

bool CUpdatePage::OnMessage(unsigned message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    if (message != kMsgDeviceState) return false;
    OnDeviceState(wParam);
    return true;
}
