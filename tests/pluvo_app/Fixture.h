// Shared helpers of pluvo's program tests: the text library, a program folder, packages, and a watcher that
// answers the message boxes the code under test puts up.
#pragma once

#include "ScanToolSim.h"
#include "TempDir.h"
#include "package.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

// Answers every message box that comes up with the given button and keeps its text.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button);
    ~BoxAnswerer();
    void setButton(int button) { m_button = button; }
    QStringList texts;
    QStringList informativeTexts; // one per box, empty when it had none

private:
    int m_button;
    QTimer m_timer;
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

// Processes events until pred holds or the time is up.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs);

std::unique_ptr<ScanToolSim> startSim(const std::string& dir, const std::string& model, bool paced = false);
