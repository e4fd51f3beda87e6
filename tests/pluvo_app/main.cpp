#include "Fixture.h"

#include "CodePage.h"
#include "DataSheet.h"
#include "FlashWorker.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

BoxAnswerer::BoxAnswerer(int button) : m_button(button) {
    m_timer.setInterval(15);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            QAbstractButton* b = box->button(QMessageBox::StandardButton(m_button));
            if (!b) b = box->buttons().value(0);
            if (b) b->click();
        }
    });
    m_timer.start();
}

BoxAnswerer::~BoxAnswerer() = default;

QString textOf(uint8_t id) {
    return pluvo::adsGetStdText_CString(MakeTextId(textid::Std(id)));
}

ProgramFolder::ProgramFolder() {
    const std::string u = dir.path() + "/update";
    ::mkdir(u.c_str(), 0755);
    dir.write("pluvo.cfg", std::string("[Setting]\r\nLanguage = 0\r\n\r\n[Update]\r\n"));
}

firmware::Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 g(seed);
    firmware::Bytes b(n);
    for (auto& x : b)
        x = uint8_t(g());
    return b;
}

firmware::Bytes makePackage(const firmware::Bytes& program, const firmware::Bytes& data) {
    firmware::SectionMap m;
    if (!program.empty()) m[firmware::kProgramSectionKey] = program;
    if (!data.empty()) m[firmware::kDataSectionKey] = data;
    return firmware::buildPackage(m);
}

void writeBytes(const std::string& path, const firmware::Bytes& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

std::unique_ptr<ScanToolSim> startSim(const std::string& dir, const std::string& model, bool paced) {
    ScanToolSim::Options o;
    o.deviceDir = dir;
    o.model = model;
    o.paced = paced;
    auto sim = std::make_unique<ScanToolSim>(o);
    if (!sim->start()) return nullptr;
    return sim;
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CDataSheet::SetDefaultFolder(std::string(PLUVO_DIST_DIR) + "/language/");
    CCodePage::Settle(0);
    FlashTiming t;
    t.betweenPassesMs = 50;
    SetFlashTiming(t);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
