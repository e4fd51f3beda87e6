// A drawing layer of a control: frame, fill, rounded corners, border, an optional mask picture, an optional text
// line and sublayers drawn in order. Colours are animated by key path ("backgroundColor", "borderColor",
// "foregroundColor"): a value set on the layer holds at once (the model); an animation only changes what is drawn
// (the presentation) until it ends, and stays attached under its key afterwards. An unset (invalid) colour draws
// nothing. Sublayers are not owned. GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

class QPainter;
class QVariantAnimation;

class KorvoUpdateLayer : public QObject {
    Q_OBJECT
public:
    static const QString kBackgroundColorKey; // "backgroundColor"
    static const QString kBorderColorKey;     // "borderColor"
    static const QString kForegroundColorKey; // "foregroundColor"

    explicit KorvoUpdateLayer(QObject* parent = nullptr);
    ~KorvoUpdateLayer() override;

    // In the superlayer's coordinates (top-left origin).
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks);

    // Model colours by key path; an unknown key path reads as unset and is not stored.
    QColor valueForKeyPath(const QString& keyPath) const;
    void setValueForKeyPath(const QString& keyPath, const QColor& color);
    // What is drawn now: the running animation's value, else the model value.
    QColor presentationValueForKeyPath(const QString& keyPath) const;
    QColor backgroundColor() const { return valueForKeyPath(kBackgroundColorKey); }
    void setBackgroundColor(const QColor& color) { setValueForKeyPath(kBackgroundColorKey, color); }

    // Only where the mask picture is opaque does the layer show; the picture is drawn scaled into maskFrame.
    void setMask(const QImage& contents, const QRectF& maskFrame);
    void clearMask();
    bool hasMask() const { return !m_maskContents.isNull(); }
    QRectF maskFrame() const { return m_maskFrame; }

    QString string() const { return m_string; }
    void setString(const QString& string);
    QFont font() const { return m_font; }
    void setFont(const QFont& font);

    // Adds the layer on top of the others; a layer already here moves to the top.
    void addSublayer(KorvoUpdateLayer* layer);
    void removeFromSuperlayer();
    KorvoUpdateLayer* superlayer() const { return m_superlayer; }
    const QVector<KorvoUpdateLayer*>& sublayers() const { return m_sublayers; }

    // Animates the drawn colour from one value to another; replaces an animation under the same key.
    void addColorAnimation(const QString& keyPath, const QColor& from, const QColor& to, double seconds);
    QStringList animationKeys() const { return m_animations.keys(); }
    bool hasRunningAnimation() const;
    void removeAllAnimations();

    // Draws the layer and its sublayers; the painter is in the superlayer's coordinates.
    void render(QPainter& painter) const;

signals:
    // Something drawn changed: the layer itself, a running animation, or a sublayer.
    void needsDisplay();

private:
    void renderContents(QPainter& painter, const QRectF& bounds) const;

    QRectF m_frame;
    double m_cornerRadius = 0;
    double m_borderWidth = 0;
    bool m_masksToBounds = false;
    QMap<QString, QColor> m_colors;
    QImage m_maskContents;
    QRectF m_maskFrame;
    QString m_string;
    QFont m_font;
    KorvoUpdateLayer* m_superlayer = nullptr;
    QVector<KorvoUpdateLayer*> m_sublayers;
    QMap<QString, QVariantAnimation*> m_animations;
};
