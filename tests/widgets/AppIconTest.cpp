#include "app/windows/frmAbout.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

// The application icon is built into the widgets library and drawn by Qt's SVG plugin, which
// the package must bring along: without it the icon comes out empty.
TEST(AppIconTest, IconResourceDrawsAtEverySizeTheDesktopAsksFor)
{
    const QIcon icon(QStringLiteral(":/tarvex.svg"));
    ASSERT_FALSE(icon.isNull()) << "resource :/tarvex.svg missing or the SVG icon engine plugin is not installed";
    for (int size : {16, 32, 48, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_FALSE(image.isNull()) << size;
        EXPECT_EQ(image.width(), size);
        // Drawn, not blank: the corner is transparent, the middle is not.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 0) << size;
    }
}

TEST(AppIconTest, AboutBoxShowsTheApplicationIcon)
{
    const QIcon previous = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvex.svg")));
    frmAbout about;
    const auto* image = about.findChild<QLabel*>(QStringLiteral("imgApp"));
    ASSERT_NE(image, nullptr);
    const QImage expected = QIcon(QStringLiteral(":/tarvex.svg")).pixmap(48, 48).toImage();
    EXPECT_EQ(image->pixmap().toImage(), expected);
    QApplication::setWindowIcon(previous);
}
