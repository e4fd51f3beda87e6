// A push button whose whole look is three layers: its backing layer (fill, border, corner radius), an image layer
// that shows the image tinted in one colour, and a title layer. Each colour has a normal and a highlight value;
// the highlight values show while the state is on (1), and every change of colour animates from what is shown
// over onAnimateDuration or offAnimateDuration seconds (0 changes at once). The button tracks presses itself:
// each click flips its state, or with momentary set it is on only while held; a release after a press emits
// clicked(). Pointer entry and exit are followed only after awakeFromNib(), as for a button from an interface
// file. A disabled button lets presses through to what lies behind it. GUI thread only.
#pragma once

#include "KorvoUpdateLayer.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSizeF>

class KorvoUpdateBasicButton : public QAbstractButton {
    Q_OBJECT
public:
    // Where the image stands against the title.
    enum ImagePosition {
        NoImage = 0,
        ImageOnly = 1,
        ImageLeft = 2,
        ImageRight = 3,
        ImageBelow = 4,
        ImageAbove = 5,
        ImageOverlaps = 6,
        ImageLeading = 7,
        ImageTrailing = 8,
    };
    static constexpr int kOffState = 0;
    static constexpr int kOnState = 1;
    static constexpr int kMixedState = -1;

    // Without a frame the button starts at (0, 0, 0, 0).
    explicit KorvoUpdateBasicButton(QWidget* parent = nullptr);
    KorvoUpdateBasicButton(const QRect& frame, QWidget* parent = nullptr);

    // The button's own layers; the image and title layers are made on first use.
    KorvoUpdateLayer* layer() const { return m_layer; }
    KorvoUpdateLayer* imageLayer();
    KorvoUpdateLayer* titleLayer();
    void setImageLayer(KorvoUpdateLayer* layer);
    void setTitleLayer(KorvoUpdateLayer* layer);

    // Entry and exit of the pointer are followed from now on (a tracking area over the whole button).
    void awakeFromNib();
    bool tracksMouseEntry() const { return m_tracksMouseEntry; }

    int state() const { return m_state; }
    void setState(int state);
    bool isMouseDown() const { return m_mouseDown; }
    void setMouseDown(bool down) { m_mouseDown = down; }
    bool isMomentary() const { return m_momentary; }
    void setMomentary(bool momentary);

    double onAnimateDuration() const { return m_onAnimateDuration; }
    void setOnAnimateDuration(double seconds) { m_onAnimateDuration = seconds; }
    double offAnimateDuration() const { return m_offAnimateDuration; }
    void setOffAnimateDuration(double seconds) { m_offAnimateDuration = seconds; }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    double spacing() const { return m_spacing; }
    void setSpacing(double spacing);

    QColor borderNormalColor() const { return m_borderNormalColor; }
    void setBorderNormalColor(const QColor& color);
    QColor borderHighlightColor() const { return m_borderHighlightColor; }
    void setBorderHighlightColor(const QColor& color);
    QColor backgroundNormalColor() const { return m_backgroundNormalColor; }
    void setBackgroundNormalColor(const QColor& color);
    QColor backgroundHighlightColor() const { return m_backgroundHighlightColor; }
    void setBackgroundHighlightColor(const QColor& color);
    QColor imageNormalColor() const { return m_imageNormalColor; }
    void setImageNormalColor(const QColor& color);
    QColor imageHighlightColor() const { return m_imageHighlightColor; }
    void setImageHighlightColor(const QColor& color);
    QColor titleNormalColor() const { return m_titleNormalColor; }
    void setTitleNormalColor(const QColor& color);
    QColor titleHighlightColor() const { return m_titleHighlightColor; }
    void setTitleHighlightColor(const QColor& color);

    // A button without a title shows no title layer; an empty title is still a title.
    QString title() const { return m_title; }
    bool hasTitle() const { return m_hasTitle; }
    void setTitle(const QString& title);
    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    ImagePosition imagePosition() const { return m_imagePosition; }
    void setImagePosition(ImagePosition position);
    // Image and title centred as a pair, 2 x spacing apart, instead of each held against an edge.
    bool imageHugsTitle() const { return m_imageHugsTitle; }
    void setImageHugsTitle(bool hugs);

    // 1.0, or 0.5 when the button was disabled at its creation; later changes of the enabled flag keep it.
    double alphaValue() const { return m_alphaValue; }

    // Top-left corners of the image and the title in a button of the given size (y grows downward).
    static QPointF imageOrigin(ImagePosition position, bool hugs, QSizeF button, QSizeF image, QSizeF title,
                               double spacing);
    static QPointF titleOrigin(ImagePosition position, bool hugs, QSizeF button, QSizeF image, QSizeF title,
                               double spacing);
    // The title layer's frame: the corner rounded half away from zero, the size rounded up.
    static QRectF titleFrame(QPointF origin, QSizeF title);

    QSize sizeHint() const override;

protected:
    void setup();
    void setupImageLayer();
    void setupTitleLayer();
    void removeAllAnimations();
    void animateColorWithState(int state);
    void animateLayer(KorvoUpdateLayer* layer, const QColor& color, const QString& keyPath, double duration);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void flip();
    void pointerExited();
    void setColor(QColor& field, const QColor& color);
    QSizeF imageSize() const;
    QSizeF titleSize() const;
    void adoptLayer(KorvoUpdateLayer* layer);

    KorvoUpdateLayer* m_layer = nullptr;
    KorvoUpdateLayer* m_imageLayer = nullptr;
    KorvoUpdateLayer* m_titleLayer = nullptr;
    bool m_tracksMouseEntry = false;
    int m_state = kOffState;
    bool m_mouseDown = false;
    bool m_momentary = false;
    double m_onAnimateDuration = 0;
    double m_offAnimateDuration = 0;
    double m_cornerRadius = 0;
    double m_borderWidth = 0;
    double m_spacing = 0;
    QColor m_borderNormalColor, m_borderHighlightColor;
    QColor m_backgroundNormalColor, m_backgroundHighlightColor;
    QColor m_imageNormalColor, m_imageHighlightColor;
    QColor m_titleNormalColor, m_titleHighlightColor;
    QString m_title;
    bool m_hasTitle = false;
    QImage m_image;
    ImagePosition m_imagePosition = NoImage;
    bool m_imageHugsTitle = false;
    double m_alphaValue = 1.0;
};
