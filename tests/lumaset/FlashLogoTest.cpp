// End to end: a logo saved by the picture tool into a dated package copy is accepted by the desktop flasher and
// lands in the simulated tool's memory at the logo entry.
#include "DevicePort.h"
#include "KorvoUpdateSendProc.h"
#include "Lumaset.h"
#include "LumasetTestSupport.h"
#include "MainWindow.h"
#include "ScanToolSim.h"
#include "frames.h"

#include <QDir>

#include <cstdlib>
#include <memory>

namespace {

constexpr uint32_t kLogoOffset = 4096; // past a typical entry table

class FlashLogo : public InWorkingFolder {
protected:
    void SetUp() override {
        InWorkingFolder::SetUp();
        setenv("SCANTOOL_SERIAL_DIR", devices.path().c_str(), 1);
        KorvoUpdateSendProc::Timing timing;
        timing.timeouts = {50, 300, 50, 300, 50};
        timing.pauseAfterPassMs = 10;
        KorvoUpdateSendProc::setTiming(timing);
        ScanToolSim::Options options;
        options.deviceDir = devices.path();
        sim = std::make_unique<ScanToolSim>(options);
        ASSERT_TRUE(sim->start()) << sim->lastError();
    }
    void TearDown() override {
        DevicePort::sharedManager().closeSerialPort();
        KorvoUpdateSendProc::setTiming({});
        sim.reset();
        unsetenv("SCANTOOL_SERIAL_DIR");
        InWorkingFolder::TearDown();
    }

    TempDir devices;
    std::unique_ptr<ScanToolSim> sim;
};

TEST_F(FlashLogo, SavedLogoIsFlashedIntoTheLogoEntry) {
    QDir(path("")).mkpath("update");
    firmware::SectionMap sections;
    sections[firmware::kProgramSectionKey] = firmware::Bytes(3000, 0x5A);
    sections[firmware::kDataSectionKey] =
        dataSectionWithLogo(kLogoOffset + Lumaset::kLogoFileSize + 1000, 64, kLogoOffset, Lumaset::kLogoFileSize);
    writePackage(dir.file("update/QM82_V1.20_EN_20240115.bin"), sections);

    MainWindowEnvironment env;
    env.updateFolder = path("update");
    env.pluvoFolder = path("");
    env.askSave = [](QWidget*) { return false; };
    std::vector<QString> notices;
    env.notify = [&notices](QWidget*, const QString& text, bool) { notices.push_back(text); };
    env.launch = [](const QString&, const QStringList&, const QString&) { return true; };
    MainWindow window(env);
    writeSolidPicture("logo.png", 640, 480, QColor(255, 0, 0));
    emit window.pictureChanged(path("logo.png"));
    window.onSavePicture();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].startsWith(QString::fromUtf8("文件已保存\n"))) << notices[0].toStdString();
    const auto logo = readFileBytes(window.workFolder().toStdString() + "/Result.bmp");
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);

    DevicePort::sharedManager().openSerialPort();
    const std::string patched = dir.file("update/QM82_V1.20_EN_" + today() + ".bin");
    ASSERT_EQ(KorvoUpdateSendProc::UpdateProcStrBin(QString::fromStdString(patched)), 0);
    EXPECT_TRUE(sim->violations().empty());
    const auto memory = sim->memory();
    ASSERT_TRUE(memory.count(firmware::kDataBase));
    const firmware::Bytes& data = memory.at(firmware::kDataBase);
    ASSERT_GE(data.size(), kLogoOffset + logo.size());
    EXPECT_EQ(firmware::Bytes(data.begin() + kLogoOffset, data.begin() + kLogoOffset + logo.size()), logo);
    EXPECT_EQ(memory.at(firmware::kProgramBase), sections[firmware::kProgramSectionKey]);
}

} // namespace
