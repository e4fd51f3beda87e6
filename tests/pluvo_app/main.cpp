#include "Fixture.h"

#include "CodePage.h"
#include "DataSheet.h"
#include "FlashWorker.h"
#include "QuenlarkDlg.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "cbf.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QThread>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

bool clickButton(QMessageBox* box, int button) {
    QAbstractButton* b = box->button(QMessageBox::StandardButton(button));
    if (b) b->click();
    return b != nullptr;
}

BoxAnswerer::BoxAnswerer(int button, std::chrono::milliseconds bound)
    : m_button(button), m_answer([this](QMessageBox* box) { return answerWithButton(box); }),
      m_driver([this](QWidget* widget) { return answer(widget); }, bound) {}

BoxAnswerer::BoxAnswerer(std::function<bool(QMessageBox*)> answer, std::chrono::milliseconds bound)
    : m_answer(std::move(answer)), m_driver([this](QWidget* widget) { return this->answer(widget); }, bound) {}

bool BoxAnswerer::answer(QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (!box) return false;
    const QString text = box->text(), informative = box->informativeText();
    if (!m_answer(box)) {
        m_unanswered = text;
        return false;
    }
    texts << text;
    informativeTexts << informative;
    return true;
}

bool BoxAnswerer::answerWithButton(QMessageBox* box) {
    QAbstractButton* b = box->button(QMessageBox::StandardButton(m_button));
    if (!b && box->buttons().size() == 1) b = box->buttons().front();
    if (b) b->click();
    return b != nullptr;
}

BoxAnswerer::~BoxAnswerer() {
    EXPECT_TRUE(m_driver.outcome().forced.isEmpty())
        << m_driver.outcome().describe() << (m_unanswered.isEmpty() ? "" : ": ") << m_unanswered.toStdString();
}

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

bool writeHollowLibrary(const QString& shipped, const QString& path) {
    QFile in(shipped);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QByteArray b = in.readAll();
    const auto byte = [&](int i) { return uint8_t(b[i]); };
    if (b.size() < int(cbf::kIndexOffset) + 2) return false;
    const uint32_t count = uint32_t(byte(16)) << 24 | uint32_t(byte(17)) << 16 | uint32_t(byte(18)) << 8 | byte(19);
    const int indexEnd = int(cbf::kIndexOffset + count * (byte(int(cbf::kKeyLengthOffset)) + cbf::kRecordOffsetSize));
    const bool scrambled = (byte(6) | byte(7) << 8) >= cbf::kScrambledVersion;
    const int keyLength = scrambled ? (byte(b.size() - 2) | byte(b.size() - 1) << 8) : 0;
    const int dataEnd = b.size() - (scrambled ? 2 + keyLength : 0);
    if (indexEnd > dataEnd) return false;
    cbf::FileKey key{};
    for (int i = 0; i < keyLength && i < int(key.size()); ++i)
        key[size_t(i)] = byte(dataEnd + i);
    // A field count is the first byte of its record, stored at position 0 of its scrambled run.
    const uint8_t zero = scrambled ? cbf::scramble(0, 0, key) : 0;
    std::fill(b.begin() + indexEnd, b.begin() + dataEnd, char(zero));
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(b) == b.size();
}

bool markShowsConnected(CQuenlarkDlg& dlg) {
    // Green well above red: the connected picture; the other is grey.
    constexpr int kGreenOverRed = 60;
    const QImage mark = dlg.grab(dlg.markRect()).toImage();
    int green = 0;
    for (int y = 0; y < mark.height(); ++y)
        for (int x = 0; x < mark.width(); ++x) {
            const QColor c = mark.pixelColor(x, y);
            if (c.green() > c.red() + kGreenOverRed) ++green;
        }
    return green > mark.width() * mark.height() / 4;
}

int standingOut(const QImage& image, const QRect& r, const QColor& background) {
    // Further from the background than anti-aliasing or a stripe's shade.
    constexpr int kContrast = 60;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({std::abs(c.red() - background.red()), std::abs(c.green() - background.green()),
                          std::abs(c.blue() - background.blue())}) > kContrast)
                ++n;
        }
    return n;
}

QStringList shippedSkinsAndNone() {
    const QString folder = QStringLiteral(PLUVO_DIST_DIR "/skin/");
    QStringList skins{QString()};
    for (const QString& f : QDir(folder).entryList({QStringLiteral("*.she")}, QDir::Files))
        skins << folder + f;
    return skins;
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    // A dialog closed at its bound never gave the answer that would have brought what is awaited.
    const int forced = ModalDriver::forcedCount();
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs || ModalDriver::forcedCount() != forced) return false;
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
