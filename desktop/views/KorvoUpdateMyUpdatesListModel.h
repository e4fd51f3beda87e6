// One row of the firmware list: a shipped package that suits the identified tool and the interface language, with
// its flashing state. The text fields are fixed when the row is made; state, progress and the check mark change
// on the flash worker while the GUI thread reads them, so those are atomic.
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

class KorvoUpdateMyUpdatesListModel {
public:
    // Row states, as the progress button shows them.
    static constexpr int kStateIdle = 0;
    static constexpr int kStateFlashing = 6;
    static constexpr int kStateDone = 8;
    static constexpr int kStateFailed = 9;

    QString fileName;    // the model code
    QString version;     // such as V1.20
    QString fileLan;     // upper-case language code
    QString fileDate;    // date digits
    QString fileSizeTxt; // such as 1.0MB
    QString filePath;    // the row's key for progress reports
    qint64 fileSize = 0;

    float fileProcess() const { return m_fileProcess.load(); }
    void setFileProcess(float p) { m_fileProcess.store(p); }
    int state() const { return m_state.load(); }
    void setState(int s) { m_state.store(s); }
    bool isSelected() const { return m_selected.load(); }
    void setSelected(bool s) { m_selected.store(s); }

    using Row = std::shared_ptr<KorvoUpdateMyUpdatesListModel>;
    using Rows = std::vector<Row>;

    // The rows for the packages among allBins whose file name has exactly four "_"-separated fields, the first
    // equal to model and the third to languageCode, sorted by version value.
    static Rows rowsForPackages(const QStringList& allBins, const QString& model, const QString& languageCode);
    // "%.1fMB" above 1024 KB, else "%.1fKB".
    static QString sizeText(qint64 bytes);
    // The decimal number the version begins with after its first character (V1.20 gives 1.2, V1.2.3 gives 1.2);
    // 0 when there is none or the version is shorter than two characters.
    static double versionValue(const QString& version);
    // The row state a flash status gives: 1 flashing, 2 done, -1 failed, anything else idle.
    static int stateForStatus(int status);

private:
    std::atomic<float> m_fileProcess{0.0f};
    std::atomic<int> m_state{kStateIdle};
    std::atomic<bool> m_selected{false};
};
