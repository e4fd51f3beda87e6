// The flashing state of one firmware row: the bar, a percentage and a short localized status text, by the row
// state (0 idle, 6 flashing, 8 done, 9 failed). Texts come from the "Localizable" table of the interface language.
// No user interaction; GUI thread only.
#pragma once

#include <QWidget>

class KorvoUpdateProgressView;
class QLabel;

class KorvoUpdateDownloadButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStateFlashing = 6;
    static constexpr int kStateDone = 8;
    static constexpr int kStateFailed = 9;

    static constexpr int kBarLeading = 5; // the bar's gap from the leading edge, and between bar and labels
    static constexpr int kBarWidth = 200;
    static constexpr int kBarHeight = 30;
    static constexpr float kMaxValue = 100;
    static constexpr int kFontPixelSize = 13;

    explicit KorvoUpdateDownloadButton(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_titleLabel; }
    KorvoUpdateProgressView* progressView() const { return m_progressView; }
    QLabel* progressLabel() const { return m_progressLabel; }
    int downloadState() const { return m_downloadState; }
    double doubleValue() const { return m_doubleValue; }

    void setProgress(double progress, int forState);

    // The status text key of a state: "UpdateHint2" flashing, "UpdateHint3" done, "UpdateHint4" failed; "" else.
    static QString titleKeyForState(int state);
    // The percentage text of a state: the rounded percentage of the progress held to 0 to 1, "100%" when done, ""
    // for any other state.
    static QString progressTextForState(double progress, int state);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layoutSubviews();

    QLabel* m_titleLabel = nullptr;
    KorvoUpdateProgressView* m_progressView = nullptr;
    QLabel* m_progressLabel = nullptr;
    int m_downloadState = kStateIdle;
    double m_doubleValue = 0;
};
