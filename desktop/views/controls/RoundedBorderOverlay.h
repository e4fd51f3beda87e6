// The thin rounded frame of the text-entry controls. A mouse-transparent child that keeps its parent's size and
// stays above every sibling, so the frame is drawn over side buttons and text alike; while bordered it also cuts
// the parent (and its children) to the rounded shape.
#pragma once

#include <QColor>
#include <QWidget>

class RoundedBorderOverlay : public QWidget {
public:
    static const QColor kBorderColor; // light grey
    static constexpr double kBorderWidth = 1;
    static constexpr double kCornerRadius = 4;

    explicit RoundedBorderOverlay(QWidget* parent);

    bool isBordered() const { return m_bordered; }
    void setBordered(bool bordered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    bool m_bordered = false;
};
