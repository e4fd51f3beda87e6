// pluvo_screenshots: shows pluvo's update page (in every skin of the folder, with a flash under way and one done),
// its print, DTC, manual and settings pages, and the status line of a tool whose port another program holds, in a
// program folder and saves a picture of each, so they can be looked at (run under Xvfb).
//
//     pluvo_screenshots <program folder> <output folder> [report text file]
//
// With a report text file the report is also printed into report.pdf in the output folder.
#include "CodePage.h"
#include "DataSheet.h"
#include "Fonts.h"
#include "Pages.h"
#include "ProListCtrl.h"
#include "QuenlarkApp.h"
#include "QuenlarkDlg.h"
#include "ScanToolSim.h"
#include "SkinH.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "UpdatePage.h"
#include "WindowMessage.h"
#include "serial.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace {
void settle(int ms) {
    for (int i = 0; i < ms / 10; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pluvo_screenshots <program folder> <output folder> [report text file]\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const QString out = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    CDataSheet::SetDefaultFolder((folder + QStringLiteral("language/")).toStdString());
    if (!CQuenlarkApp::CheckLanguage(folder, false)) {
        std::fprintf(stderr, "no text library for the configured language in %s\n", argv[1]);
        return 1;
    }
    CreateSharedFonts();
    CQuenlarkDlg dlg;
    dlg.state().programFolder = folder;
    dlg.setScanRoot((folder + QStringLiteral("no-devices")).toStdString());
    dlg.OnInitDialog();
    dlg.show();
    settle(200);

    // The update page with the demo packages of a QM82: one row being written, one done.
    dlg.state().present = true;
    dlg.state().deviceId = QStringLiteral("QM82");
    dlg.updatePage()->ListUpdateFiles();
    dlg.updatePage()->OnDeviceState(0);
    CProListCtrl* list = dlg.updatePage()->list();
    const auto text = [](const TextId& id) { return pluvo::adsGetStdText_CString(MakeTextId(id)); };
    const QString writing = QStringLiteral("40% / ") + text(textid::kWriting);
    const QString done = text(textid::kUpdateSucceeded);
    SendMessage(list, kMsgProgress, 0, 40);
    SendMessage(list, kMsgStatusText, 0, LPARAM(&writing));
    if (list->rowCount() > 1) {
        SendMessage(list, kMsgProgress, 1, 100);
        SendMessage(list, kMsgStatusText, 1, LPARAM(&done));
    }
    for (const QString& skin :
         QDir(folder + QStringLiteral("skin")).entryList({QStringLiteral("*.she")}, QDir::Files)) {
        SkinH_AttachEx(folder + QStringLiteral("skin/") + skin, QStringLiteral("Wib"));
        settle(200);
        dlg.grab().save(out + QStringLiteral("update-") + QFileInfo(skin).completeBaseName() + QStringLiteral(".png"));
    }
    SkinH_AttachEx(folder + QStringLiteral("skin/Silver.she"), QStringLiteral("Wib"));

    dlg.ShowPrintPage();
    QString report = QStringLiteral("VEHICLE REPORT\r\nVIN: WVWZZZ1JZXW000001\r\nP0300 Random/Multiple Cylinder "
                                    "Misfire Detected\r\nP0171 System Too Lean, Bank 1\r\n");
    if (argc > 3) {
        QFile f(QString::fromLocal8Bit(argv[3]));
        if (f.open(QIODevice::ReadOnly)) report = QString::fromUtf8(f.readAll());
    }
    dlg.printPage()->OnReportText(report);
    settle(200);
    dlg.grab().save(out + QStringLiteral("print.png"));
    if (argc > 3) {
        CDiagSystemPrinter& printer = dlg.printPage()->printer();
        printer.setDialogRunner([&](QPrinter& p, QWidget*) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(out + QStringLiteral("report.pdf"));
            return true;
        });
        dlg.printPage()->OnBnClickedPrint();
    }

    dlg.ShowSearchDtcPage();
    auto* dtc = static_cast<CSearchDtcPage*>(dlg.page(CQuenlarkDlg::DtcPage));
    dtc->combo()->lineEdit()->setText(QStringLiteral("p03"));
    dtc->OnCbnEditchangeDtcCombo(QStringLiteral("p03"));
    settle(200);
    dlg.grab().save(out + QStringLiteral("dtc.png"));

    dlg.ShowManualPage();
    settle(200);
    dlg.grab().save(out + QStringLiteral("manual.png"));

    dlg.ShowSettingPage();
    settle(200);
    dlg.grab().save(out + QStringLiteral("settings.png"));

    // A simulated tool whose port another program holds.
    QTemporaryDir devices;
    ScanToolSim::Options o;
    o.deviceDir = devices.path().toStdString();
    ScanToolSim sim(o);
    qputenv(serial::kDeviceDirEnv, devices.path().toLocal8Bit());
    if (sim.start()) {
        const int other = serial::openDevice(sim.linkPath());
        dlg.ShowUpdatePage();
        dlg.OnDeviceChange();
        settle(200);
        dlg.grab().save(out + QStringLiteral("refused.png"));
        serial::closeDevice(other);
    }
    return 0;
}
