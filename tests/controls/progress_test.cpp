#include "KorvoUpdateDownloadButton.h"
#include "KorvoUpdateProgressView.h"

#include <QLabel>

#include <cmath>

#include <gtest/gtest.h>

TEST(ProgressButton, FlashingShowsTextPercentageAndScaledFill) {
    KorvoUpdateDownloadButton button;
    button.resize(500, 40);
    button.show();
    button.setProgress(0.25, KorvoUpdateDownloadButton::kStateFlashing);
    EXPECT_EQ(QStringLiteral("Updating…"), button.titleLabel()->text());
    EXPECT_EQ(QStringLiteral("25%"), button.progressLabel()->text());
    EXPECT_EQ(50, button.progressView()->leftimg()->width());
    EXPECT_EQ(30, button.progressView()->leftimg()->height());
    EXPECT_EQ(6, button.downloadState());
    EXPECT_DOUBLE_EQ(0.25, button.doubleValue());

    EXPECT_EQ(QRect(5, 5, 200, 30), button.progressView()->geometry());
    EXPECT_EQ(QRect(0, 0, 200, 30), button.progressView()->bgimg()->geometry());
    EXPECT_EQ(210, button.progressLabel()->x());
    EXPECT_EQ(button.progressLabel()->geometry().right() + 1 + 5, button.titleLabel()->x());
    EXPECT_NEAR(20, button.titleLabel()->geometry().center().y(), 1);
    EXPECT_FLOAT_EQ(100, button.progressView()->maxValue());
}

TEST(ProgressButton, DoneFailedAndIdleTexts) {
    KorvoUpdateDownloadButton button;
    button.resize(500, 40);
    button.setProgress(0.3, KorvoUpdateDownloadButton::kStateDone);
    EXPECT_EQ(QStringLiteral("100%"), button.progressLabel()->text());
    EXPECT_EQ(QStringLiteral("Update complete"), button.titleLabel()->text());
    EXPECT_EQ(60, button.progressView()->leftimg()->width());

    button.setProgress(0, KorvoUpdateDownloadButton::kStateFailed);
    EXPECT_EQ(QStringLiteral("0%"), button.progressLabel()->text());
    EXPECT_EQ(QStringLiteral("Update failed"), button.titleLabel()->text());

    button.setProgress(0.7, KorvoUpdateDownloadButton::kStateIdle);
    EXPECT_TRUE(button.progressLabel()->text().isEmpty());
    EXPECT_TRUE(button.titleLabel()->text().isEmpty());
    EXPECT_EQ(140, button.progressView()->leftimg()->width());

    button.setProgress(0.5, 3);
    EXPECT_TRUE(button.titleLabel()->text().isEmpty());
}

TEST(ProgressView, FillStaysOnItsScale) {
    KorvoUpdateProgressView bar;
    bar.resize(400, 30);
    bar.show();
    bar.setProgress(1.0);
    EXPECT_EQ(200, bar.leftimg()->width());
    bar.setProgress(1.7);
    EXPECT_EQ(200, bar.leftimg()->width());
    bar.setProgress(-0.5);
    EXPECT_EQ(0, bar.leftimg()->width());
    bar.setProgress(std::nan(""));
    EXPECT_EQ(0, bar.leftimg()->width());
    EXPECT_EQ(QRect(0, 0, 400, 30), bar.bgimg()->geometry());
}

TEST(ProgressButton, StrayProgressReadsAsTheBarShowsIt) {
    KorvoUpdateDownloadButton button;
    button.resize(500, 40);
    const struct {
        double progress;
        const char* text;
        int fill;
    } cases[] = {{std::nan(""), "0%", 0}, {-0.25, "0%", 0},        {-0.004, "0%", 0},
                 {1.7, "100%", 200},      {HUGE_VAL, "100%", 200}, {0.999, "100%", 200}};
    for (const auto& c : cases) {
        button.setProgress(c.progress, KorvoUpdateDownloadButton::kStateFlashing);
        EXPECT_EQ(QString::fromLatin1(c.text), button.progressLabel()->text()) << c.progress;
        EXPECT_EQ(c.fill, button.progressView()->leftimg()->width()) << c.progress;
    }
    button.setProgress(-1, KorvoUpdateDownloadButton::kStateFailed);
    EXPECT_EQ(QStringLiteral("0%"), button.progressLabel()->text());
}
