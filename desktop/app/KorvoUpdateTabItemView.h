// A tab-shaped view: a blue quadrilateral whose top edge is shortened by offset at the right and whose bottom
// edge is shortened by offset at the left.
#pragma once

#include <QWidget>

class KorvoUpdateTabItemView : public QWidget {
public:
    explicit KorvoUpdateTabItemView(QWidget* parent = nullptr) : QWidget(parent) {}
    double offset() const { return m_offset; }
    void setOffset(double offset);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_offset = 0;
};
