// An alert panel for update information: an icon at the left, the message in a scrolling, read-only text beside it
// and one OK button (a KorvoUpdateButton) at the bottom right, ending with 1000. The close button ends with 0.
// GUI thread only; the caller owns the alert.
#pragma once

#include "KorvoUpdateAlert.h"

#include <memory>

class QScrollArea;
class QTextEdit;

class KorvoUpdateUpdateInfoAlert : public KorvoUpdateAlert {
public:
    static constexpr int kIconSize = 44;
    static constexpr int kBodyTop = 30; // below the title bar
    static constexpr int kLeadingMargin = 20;
    static constexpr int kTrailingMargin = 20;
    static constexpr int kScrollHeight = 300;
    static constexpr int kTextPixelSize = 15;
    static constexpr int kOkWidth = 100;
    static constexpr int kOkHeight = 30;
    static constexpr int kOkTopGap = 20; // below the scroll view
    static constexpr int kOkRightMargin = 15;
    static constexpr int kOkBottomMargin = 20;
    static constexpr int kOkPixelSize = 13;

    // A null OK title shows "OK"; an empty message leaves the text empty.
    static std::unique_ptr<KorvoUpdateUpdateInfoAlert> updateInfoAlertWithTitle(const QString& title,
                                                                                const QString& message,
                                                                                const QString& okButton,
                                                                                const QImage& image);

    KorvoUpdateUpdateInfoAlert();

    KorvoUpdateImageView* updateIconImageView() const { return m_updateIconImageView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    QTextEdit* textView() const { return m_textView; }
    KorvoUpdateButton* updateInfoOKButton() const { return m_updateInfoOKButton; }

private:
    KorvoUpdateImageView* m_updateIconImageView = nullptr;
    QScrollArea* m_scrollView = nullptr;
    QTextEdit* m_textView = nullptr;
    KorvoUpdateButton* m_updateInfoOKButton = nullptr;
};
