#include "KorvoUpdateHelpAlert.h"

#include "KorvoUpdateImageView.h"
#include "Log.h"
#include "PdfView.h"
#include "imageresize.h"
#include "images.h"
#include "korvostyle.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <poppler-qt5.h>

namespace {
constexpr int kTitleLeft = 12;
constexpr int kTitlePixelSize = 13;
constexpr int kCloseIconInset = 4; // the icon inside the close button
} // namespace

KorvoUpdateHelpAlert::KorvoUpdateHelpAlert() {
    helpAwakeFromNib();
}

KorvoUpdateHelpAlert::~KorvoUpdateHelpAlert() {
    // The view goes before the document it shows.
    delete m_pdfView;
    m_pdfView = nullptr;
}

void KorvoUpdateHelpAlert::helpAwakeFromNib() {
    korvostyle::fillBackground(this, Qt::white);
    removeBodyViews();
    titleBarView()->setAttribute(Qt::WA_TranslucentBackground);
    QLabel* title = titleTextField();
    title->setFont(korvostyle::boldFont(kTitlePixelSize));
    korvostyle::setTextColor(title, Qt::black);

    setFixedSize(kPanelWidth, kPanelHeight);
    titleBarView()->setGeometry(0, 0, kPanelWidth, kTitleBarHeight);
    titleBarBgImageView()->setGeometry(0, 0, kPanelWidth, kTitleBarHeight);
    title->setGeometry(kTitleLeft, 0, kPanelWidth - 2 * kTitleLeft - kTitleBarHeight, kTitleBarHeight);
    closeButton()->setGeometry(kPanelWidth - kTitleBarHeight, 0, kTitleBarHeight, kTitleBarHeight);
    setCloseImage("close_white");

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void KorvoUpdateHelpAlert::setCloseImage(const QString& name) {
    m_closeImageName = name;
    QPushButton* close = closeButton();
    close->setIcon(images::iconNamed(name));
    const int side = std::min(close->width(), close->height()) - 2 * kCloseIconInset;
    close->setIconSize(QSize(side, side));
}

QRect KorvoUpdateHelpAlert::belowTitleBar() const {
    return QRect(0, kTitleBarHeight, kPanelWidth, kPanelHeight - kTitleBarHeight);
}

std::unique_ptr<KorvoUpdateHelpAlert> KorvoUpdateHelpAlert::helpAlertWithTitle(const QString& title,
                                                                               const QString& imageName, bool full) {
    auto alert = std::make_unique<KorvoUpdateHelpAlert>();
    alert->titleTextField()->setText(title);
    alert->setWindowTitle(title);
    alert->m_helpImageView = new KorvoUpdateImageView(alert.get());
    alert->m_helpImageView->setScaling(KorvoUpdateImageView::Scaling::None);
    // Sized to the room it is shown in, so that none of it is cut off under the title bar.
    const QSize room = full ? QSize(kPanelWidth, kPanelHeight) : alert->belowTitleBar().size();
    const QImage picture = images::imageNamed(imageName);
    if (!picture.isNull()) alert->m_helpImageView->setImage(imageresize::resizeImageWithSize(picture, QSizeF(room)));
    if (full) {
        alert->titleBarView()->hide();
        QPushButton* close = alert->closeButton();
        close->setParent(alert.get());
        close->setGeometry(kPanelWidth - kFullCloseButtonSize, 0, kFullCloseButtonSize, kFullCloseButtonSize);
        alert->setCloseImage("close_white");
        alert->m_helpImageView->setGeometry(alert->rect());
        close->show();
        close->raise();
    } else {
        alert->titleBarBgImageView()->hide();
        alert->setCloseImage("close_black");
        alert->m_helpImageView->setGeometry(alert->belowTitleBar());
    }
    return alert;
}

std::unique_ptr<KorvoUpdateHelpAlert> KorvoUpdateHelpAlert::helpAlertWithTitle(const QString& title,
                                                                               const QUrl& pdfURL) {
    auto alert = std::make_unique<KorvoUpdateHelpAlert>();
    alert->titleTextField()->setText(title);
    alert->setWindowTitle(title);
    alert->titleBarBgImageView()->hide();
    alert->setCloseImage("close_black");
    alert->m_pdfView = new PdfView(alert.get());
    alert->m_pdfView->setGeometry(alert->belowTitleBar());
    const QString path = pdfURL.isLocalFile() ? pdfURL.toLocalFile() : QString();
    if (!path.isEmpty()) alert->m_pdfDocument.reset(Poppler::Document::load(path));
    if (alert->m_pdfDocument && alert->m_pdfDocument->isLocked()) alert->m_pdfDocument.reset();
    if (alert->m_pdfDocument) {
        alert->m_pdfDocument->setRenderHint(Poppler::Document::Antialiasing);
        alert->m_pdfDocument->setRenderHint(Poppler::Document::TextAntialiasing);
    } else {
        syslogline::write("The document " + pdfURL.toString().toStdString() +
                          " cannot be read; the help panel stays empty");
    }
    alert->m_pdfView->setDocument(alert->m_pdfDocument.get());
    return alert;
}
