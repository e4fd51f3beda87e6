// A password entry with side buttons: a KorvoUpdateSecureTextField between a left and a right
// KorvoUpdateBasicButton. filedEventType 0 (the start) frames the whole with a thin light-grey border with corners
// of radius 4; any other value leaves it plain. The text field spans from the left button's right edge (overlapping
// it by 2 points when it has width) to the right button. GUI thread only.
#pragma once

#include <QWidget>

class KorvoUpdateBasicButton;
class KorvoUpdateSecureTextField;
class RoundedBorderOverlay;

class KorvoUpdateSecureField : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorderedRounded = 0;
    // Points the text field reaches under a left button that has width.
    static constexpr int kLeftButtonOverlap = 2;
    // Text size of the field.
    static constexpr int kFontPixelSize = 15;

    explicit KorvoUpdateSecureField(QWidget* parent = nullptr);
    KorvoUpdateSecureField(const QRect& frame, QWidget* parent = nullptr);

    KorvoUpdateSecureTextField* secureTextField() const { return m_secureTextField; }
    KorvoUpdateBasicButton* leftButton() const { return m_leftButton; }
    KorvoUpdateBasicButton* rightButton() const { return m_rightButton; }

    double leftButtonWidth() const { return m_leftButtonWidth; }
    // The left button becomes (0, 0, width, height).
    void setLeftButtonWidth(double width);
    double rightButtonWidth() const { return m_rightButtonWidth; }
    // The right button becomes (width - left button's right edge, 0, width, height).
    void setRightButtonWidth(double width);
    int filedEventType() const { return m_filedEventType; }
    void setFiledEventType(int type);
    bool isBordered() const;

    // Where the text field goes in a view of the given size.
    QRect secureTextFieldFrame(QSize size) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutTextField();

    KorvoUpdateSecureTextField* m_secureTextField = nullptr;
    KorvoUpdateBasicButton* m_leftButton = nullptr;
    KorvoUpdateBasicButton* m_rightButton = nullptr;
    RoundedBorderOverlay* m_border = nullptr;
    double m_leftButtonWidth = 0;
    double m_rightButtonWidth = 0;
    int m_filedEventType = kBorderedRounded;
};
