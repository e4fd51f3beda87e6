// The bar of the progress button: a light-grey track filling the view and a green fill at its left whose width is
// the progress on a fixed 200-point scale, whatever the view's width. No user interaction.
#pragma once

#include <QWidget>

class KorvoUpdateProgressView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kFillScale = 200; // points the fill has at progress 1
    static constexpr int kFillHeight = 30;
    static const QColor kTrackColor;
    static const QColor kFillColor;

    explicit KorvoUpdateProgressView(QWidget* parent = nullptr);

    QWidget* bgimg() const { return m_bgimg; }
    QWidget* leftimg() const { return m_leftimg; }
    float maxValue() const { return m_maxValue; }
    void setMaxValue(float value) { m_maxValue = value; }

    // Progress 0 to 1; values outside are held at the nearer end, NaN reads as 0.
    static double clampedProgress(double progress);
    void setProgress(double progress);
    double progress() const { return m_progress; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_bgimg = nullptr;
    QWidget* m_leftimg = nullptr;
    float m_maxValue = 0;
    double m_progress = 0;
};
