// Shared helpers of pluvo's program tests: the text library, a program folder, packages, and a watcher that
// answers the message boxes the code under test puts up.
#pragma once

#include "ModalDriver.h"
#include "ScanToolSim.h"
#include "TempDir.h"
#include "package.h"

#include <QImage>
#include <QMessageBox>
#include <QRect>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

// A message box is answered at first sight: this bound only ends one left unanswered.
constexpr std::chrono::milliseconds kBoxBound{3000};

// Clicks the box's standard button; false, clicking nothing, when the box lacks it.
bool clickButton(QMessageBox* box, int button);

// Answers every message box that comes up while it lives and keeps the texts of those answered. Any other modal
// dialog, or a box it has no answer for, is closed at the bound and fails the test.
class BoxAnswerer {
public:
    // With the given button, a notice with its only one.
    explicit BoxAnswerer(int button, std::chrono::milliseconds bound = kBoxBound);
    // As `answer` says: true when it answered the box, false to leave it to the bound.
    explicit BoxAnswerer(std::function<bool(QMessageBox*)> answer, std::chrono::milliseconds bound = kBoxBound);
    ~BoxAnswerer();
    void setButton(int button) { m_button = button; }
    QStringList texts;
    QStringList informativeTexts; // one per box, empty when it had none

private:
    bool answer(QWidget* widget);
    bool answerWithButton(QMessageBox* box);

    int m_button = 0;
    std::function<bool(QMessageBox*)> m_answer;
    QString m_unanswered; // text of a box left to the bound
    ModalDriver m_driver; // last: it answers through the members above
};

// The text of a library id in English.
QString textOf(uint8_t id);

// A program folder: update/ and pluvo.cfg (Language 0, an empty Update section).
struct ProgramFolder {
    ProgramFolder();
    TempDir dir;
    QString folder() const { return QString::fromStdString(dir.path()) + "/"; }
    std::string update(const std::string& name) const { return dir.path() + "/update/" + name; }
};

// Random section bytes, reproducible from the seed.
firmware::Bytes randomBytes(size_t n, uint32_t seed);
// A scrambled package with the sections given (empty = absent).
firmware::Bytes makePackage(const firmware::Bytes& program, const firmware::Bytes& data);
void writeBytes(const std::string& path, const firmware::Bytes& bytes);

// Copies a shipped text library to path with every record's field count zeroed: its header and index stay sound,
// and every text reads back empty. False when the library could not be read or written.
bool writeHollowLibrary(const QString& shipped, const QString& path);

class CQuenlarkDlg;
// Whether the main dialog's connection mark is drawn as the green, connected one.
bool markShowsConnected(CQuenlarkDlg& dlg);

// Pixels of the rectangle that stand out from the background colour: a drawn frame or mark.
int standingOut(const QImage& image, const QRect& r, const QColor& background);

// The skin files shipped with pluvo, after "" for none.
QStringList shippedSkinsAndNone();

// Processes events until pred holds or the time is up, or a dialog had to be closed at its bound meanwhile.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs);

std::unique_ptr<ScanToolSim> startSim(const std::string& dir, const std::string& model, bool paced = false);
