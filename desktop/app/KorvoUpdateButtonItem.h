// One menu entry of the tab bar (also a manual's button): a 60 x 60 icon over a title, with a flat button over
// both that takes the clicks. The owner connects tabButton(); the title turns red while the entry is selected.
#pragma once

#include <QWidget>

class KorvoUpdateImageView;
class QLabel;
class QPushButton;

class KorvoUpdateButtonItem : public QWidget {
public:
    KorvoUpdateButtonItem(const QString& title, const QString& icon, QWidget* parent = nullptr);

    void didChangeFont(const QFont& font);
    void didChangeStatus(bool selected);
    QLabel* label() const { return m_label; }
    QPushButton* tabButton() const { return m_tabButton; }
    KorvoUpdateImageView* imageView() const { return m_imageView; }
    bool isSelectedLook() const { return m_selected; }

    static constexpr int kIconSize = 60;    // the menu icons are drawn for this size
    static constexpr int kIconTop = 8;      // space above the icon
    static constexpr int kLabelGap = 6;     // between icon and title
    static constexpr int kBottomMargin = 8; // below the title
    static constexpr int kSideMargin = 5;   // the title keeps this far from the edges

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupUI(const QString& icon, const QString& title);

    KorvoUpdateImageView* m_imageView = nullptr;
    QLabel* m_label = nullptr;
    QPushButton* m_tabButton = nullptr;
    bool m_selected = false;
};
