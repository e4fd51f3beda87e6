// A table cell of the application's lists: an optional 18-point image at the left and one line of borderless text
// (a KorvoUpdateSearchField in the plain frame style, without side buttons or margins) beside it. A text set with
// setStringValue that is too wide for the field is cut at its end with an ellipsis, and the whole text becomes the
// cell's tool tip, so every text can be read. An emphasized background style fills the cell with the system blue.
// GUI thread only.
#pragma once

#include <QColor>
#include <QWidget>

class KorvoUpdateSearchField;
class QLabel;

class KorvoUpdateTableCellView : public QWidget {
    Q_OBJECT
public:
    enum BackgroundStyle { BackgroundStyleNormal = 0, BackgroundStyleEmphasized = 1 };
    static constexpr int kImageLeading = 5;
    static constexpr int kImageWidth = 18;
    static constexpr int kTextGap = 3;     // between the image and the text
    static constexpr int kTextLeading = 5; // without an image
    static constexpr int kFontPixelSize = 15;
    static const QColor kEmphasizedColor;

    explicit KorvoUpdateTableCellView(QWidget* parent = nullptr);

    QLabel* imageView1() const { return m_imageView1; }
    KorvoUpdateSearchField* textField1() const { return m_textField1; }
    // The whole text; the field shows it, or as much of it as fits followed by an ellipsis.
    void setStringValue(const QString& text);
    QString stringValue() const { return m_stringValue; }
    bool showImage() const { return m_showImage; }
    void setShowImage(bool show);
    int backgroundStyle() const { return m_backgroundStyle; }
    // The table sets it on the cells of a selected row when it draws the ordinary highlight.
    Q_INVOKABLE void setBackgroundStyle(int style);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void layoutSubviews();
    void fitStringValue();

    QLabel* m_imageView1 = nullptr;
    KorvoUpdateSearchField* m_textField1 = nullptr;
    QString m_stringValue;
    bool m_showImage = false;
    int m_backgroundStyle = BackgroundStyleNormal;
};
