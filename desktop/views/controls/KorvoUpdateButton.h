// The ordinary text button of the desktop screens. While the pointer is over it or it is pressed it shows its
// highlighted look, chosen by two flags: the background picture "Btn_Fcs" in place of "Btn_Nor" (the default),
// else the highlighted text colour, else the highlighted background colour. It never takes keyboard focus.
// New colours show from the next change of look.
#pragma once

#include <QColor>
#include <QPushButton>

class KorvoUpdateButton : public QPushButton {
public:
    explicit KorvoUpdateButton(QWidget* parent = nullptr);
    KorvoUpdateButton(const QString& title, QWidget* parent = nullptr);

    void setNormalTextColor(const QColor& c) { m_normalTextColor = c; }
    void setHighlightedTextColor(const QColor& c) { m_highlightedTextColor = c; }
    void setNormalBackgroundColor(const QColor& c) { m_normalBackgroundColor = c; }
    void setHighlightedBackgroundColor(const QColor& c) { m_highlightedBackgroundColor = c; }
    QColor normalTextColor() const { return m_normalTextColor; }
    QColor highlightedTextColor() const { return m_highlightedTextColor; }
    QColor normalBackgroundColor() const { return m_normalBackgroundColor; }
    QColor highlightedBackgroundColor() const { return m_highlightedBackgroundColor; }

    bool onlyShowTextColor() const { return m_onlyShowTextColor; }
    void setOnlyShowTextColor(bool flag);
    bool showBackgroundImage() const { return m_showBackgroundImage; }
    void setShowBackgroundImage(bool flag);

    // Where the title lies; centred unless set.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    // A title with a colour of its own, which the looks' text colours do not change.
    void setAttributedTitle(const QString& title, const QColor& foreground);
    QColor titleColor() const { return m_titleColor; }

    bool isHighlightedLook() const { return m_highlighted; }
    // The picture behind the title ("Btn_Nor" or "Btn_Fcs"); it is drawn only while showBackgroundImage is set.
    QString imageName() const { return m_imageName; }
    QColor currentTextColor() const { return m_textColor; }
    QColor currentBackgroundColor() const { return m_backgroundColor; }

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHighlighted(bool highlighted);

    QColor m_normalTextColor = Qt::white;
    QColor m_highlightedTextColor = Qt::white;
    QColor m_normalBackgroundColor = Qt::transparent;
    QColor m_highlightedBackgroundColor = Qt::transparent;
    bool m_onlyShowTextColor = false;
    bool m_showBackgroundImage = true;
    bool m_highlighted = false;
    QString m_imageName;
    QColor m_textColor = Qt::white;
    QColor m_backgroundColor = Qt::transparent;
    QColor m_titleColor; // invalid: the look's text colour
    Qt::Alignment m_alignment = Qt::AlignCenter;
};
