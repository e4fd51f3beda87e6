#include "KorvoUpdateUserManualView.h"

#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButtonItem.h"
#include "Log.h"
#include "korvostyle.h"
#include "mainbundle.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QPushButton>

namespace {
const char* const kManualFolder = "Pdf";
const char* const kManualSuffix = "pdf";
const char* const kDefaultOpener = "xdg-open";
QString g_opener;
} // namespace

KorvoUpdateUserManualView::KorvoUpdateUserManualView(QWidget* parent) : QWidget(parent) {
    setupUi();
}

KorvoUpdateUserManualView::~KorvoUpdateUserManualView() = default;

void KorvoUpdateUserManualView::setOpenerProgram(const QString& program) {
    g_opener = program;
}

QString KorvoUpdateUserManualView::openerProgram() {
    return g_opener.isEmpty() ? QString(kDefaultOpener) : g_opener;
}

QString KorvoUpdateUserManualView::cannotOpenMessage(const QString& path) {
    return QString("The manual %1 could not be opened: no program to show PDF files was found. Install xdg-utils and "
                   "a PDF viewer (for example evince or okular), then click the manual again.")
        .arg(QFileInfo(path).fileName());
}

void KorvoUpdateUserManualView::getFullBinFile() {
    const QDir folder(mainbundle::resourcePath() + "/" + kManualFolder);
    if (!folder.exists() || !QFileInfo(folder.path()).isReadable()) {
        syslogline::write("Error: the manual folder " + folder.path().toStdString() + " cannot be read");
        return;
    }
    // Sorted by name, so the buttons keep one order whatever the file system lists first.
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files, QDir::Name))
        if (info.fileName().endsWith(kManualSuffix, Qt::CaseSensitive)) m_listModels << info.absoluteFilePath();
}

void KorvoUpdateUserManualView::setupUi() {
    getFullBinFile();
    for (int i = 0; i < m_listModels.size(); ++i)
        m_buttons.push_back(setupButton(i));
}

KorvoUpdateButtonItem* KorvoUpdateUserManualView::setupButton(int index) {
    const QString title = QFileInfo(m_listModels.at(index)).completeBaseName();
    auto* item = new KorvoUpdateButtonItem(title, "icon_pdf", this);
    item->didChangeFont(korvostyle::systemFont(kTitlePixelSize));
    connect(item->tabButton(), &QPushButton::clicked, this, [this, index] { onClick(index); });
    item->setGeometry(kItemLeft + kItemStep * index, kItemTop, kItemWidth, item->sizeHint().height());
    return item;
}

void KorvoUpdateUserManualView::onClick(int tag) {
    if (tag < 0 || tag >= m_listModels.size()) return;
    const QString path = m_listModels.at(tag);
    // Parentless, so that a viewer still open outlives this view; it deletes itself when it ends.
    auto* process = new QProcess;
    QPointer<KorvoUpdateUserManualView> self(this);
    connect(process, &QProcess::errorOccurred, process, [process, self, path](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        syslogline::write("Error: " + openerProgram().toStdString() + " could not be started to open " +
                          path.toStdString());
        if (self) self->showCannotOpen(path);
        process->deleteLater();
    });
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process,
            [process, self, path](int code, QProcess::ExitStatus status) {
                // xdg-open ends with 3 when it finds no program for the file and 4 when that program failed.
                if (status != QProcess::NormalExit || code != 0) {
                    syslogline::write("Error: " + openerProgram().toStdString() + " ended with " +
                                      std::to_string(code) + " for " + path.toStdString());
                    if (self) self->showCannotOpen(path);
                }
                process->deleteLater();
            });
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(openerProgram(), {path});
}

void KorvoUpdateUserManualView::showCannotOpen(const QString& path) {
    m_alert = KorvoUpdateAlert::alertWithTitle("Warning", cannotOpenMessage(path), QString(), QString());
    m_alert->beginSheetModalForWindow(window(), nullptr, nullptr);
}
