#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include "corewindows/modCommonPictureButtons.h"
#include "fixtures/TempHome.h"

namespace {

const QRgb kBack = qRgb(0, 0, 0);
const QRgb kText = qRgb(159, 166, 86);
const QRgb kShadow = qRgb(100, 100, 40);

// A window with a background in which every pixel differs from its neighbours, so that
// where a picture was cut from can be told from the picture itself.
class PictureWindow {
public:
    PictureWindow() {
        QImage image(300, 200, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y, (x * 7 + y * 3) % 256));
        background = image;
        window.resize(300, 200);
        window.setProperty("Picture", QPixmap::fromImage(image));
        picCopy = new QLabel(&window);
        QFont font = picCopy->font();
        font.setBold(true);
        font.setPixelSize(24);
        picCopy->setFont(font);
    }
    QPushButton* AddButton(const QString& caption, QRect place) {
        auto* button = new QPushButton(caption, &window);
        button->setGeometry(place);
        return button;
    }
    void SetUp(bool copyBackground, bool shadow = true) {
        modCommon::SetUpPictureButtons(&window, picCopy, kBack, kText, kShadow, copyBackground, shadow);
    }
    static QImage Image(QPushButton* b, const char* name) {
        return b->property(name).value<QPixmap>().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The application must be there before the window is made.
    bool applicationReady = (EnsureTestApplication(), true);
    QWidget window;
    QLabel* picCopy;
    QImage background;
};

bool HasColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) return true;
    return false;
}

TEST(PictureButtons, AWindowWithoutButtonsOnlyColoursTheDrawingBox) {
    PictureWindow w;
    w.SetUp(true);
    EXPECT_EQ(w.picCopy->palette().color(QPalette::Window).rgb(), kBack);
    EXPECT_TRUE(w.window.findChildren<QPushButton*>().isEmpty());
}

TEST(PictureButtons, PicturesAreCutFromTheBackgroundUnderTheButton) {
    PictureWindow w;
    QPushButton* button = w.AddButton("", QRect(40, 60, 120, 50));
    w.SetUp(true);
    const QImage normal = PictureWindow::Image(button, "Picture");
    const QImage down = PictureWindow::Image(button, "DownPicture");
    ASSERT_EQ(normal.size(), QSize(120, 50));
    ASSERT_EQ(down.size(), QSize(120, 50));
    // Without a caption both are plain background: inside the button's frame, and one pixel
    // further right and down when pressed.
    EXPECT_EQ(normal, w.background.copy(42, 61, 120, 50));
    EXPECT_EQ(down, w.background.copy(43, 62, 120, 50));
}

TEST(PictureButtons, CaptionMovesToTheTagAndIsDrawnWithItsShadow) {
    PictureWindow w;
    QPushButton* button = w.AddButton("Cattle", QRect(40, 60, 160, 56));
    w.SetUp(true);
    EXPECT_EQ(button->text(), "");
    EXPECT_EQ(button->property("Tag").toString(), "Cattle");
    const QImage first = PictureWindow::Image(button, "Picture");
    EXPECT_TRUE(HasColour(first, kText));
    EXPECT_TRUE(HasColour(first, kShadow));
    // the caption stays where it is when pressed; only the background moves
    const QImage down = PictureWindow::Image(button, "DownPicture");
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            if (first.pixel(x, y) == kText) {
                EXPECT_EQ(down.pixel(x, y), kText) << x << "," << y;
            }

    // a second run draws the same text from the tag
    w.SetUp(true);
    EXPECT_EQ(button->text(), "");
    EXPECT_EQ(PictureWindow::Image(button, "Picture"), first);
}

TEST(PictureButtons, WithoutTheBackgroundBothPicturesAreTheSame) {
    PictureWindow w;
    QPushButton* button = w.AddButton("Sheep", QRect(10, 10, 140, 44));
    w.SetUp(false, false);
    const QImage normal = PictureWindow::Image(button, "Picture");
    EXPECT_EQ(normal, PictureWindow::Image(button, "DownPicture"));
    EXPECT_EQ(normal.pixel(0, 0), kBack);
    EXPECT_TRUE(HasColour(normal, kText));
    EXPECT_FALSE(HasColour(normal, kShadow));
}

TEST(PictureButtons, ACaptionWiderThanTheButtonIsCentredAndCut) {
    PictureWindow w;
    QPushButton* button = w.AddButton("A caption far too wide for it", QRect(10, 10, 60, 40));
    w.SetUp(false, false);
    const QImage normal = PictureWindow::Image(button, "Picture");
    ASSERT_EQ(normal.size(), QSize(60, 40));
    // cut at both edges: text reaches the left and the right column
    auto columnHasText = [&](int x) {
        for (int y = 0; y < normal.height(); ++y)
            if (normal.pixel(x, y) != kBack) return true;
        return false;
    };
    EXPECT_TRUE(columnHasText(0) || columnHasText(1));
    EXPECT_TRUE(columnHasText(59) || columnHasText(58));
}

}  // namespace
