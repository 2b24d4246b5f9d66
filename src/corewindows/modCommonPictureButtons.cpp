#include "corewindows/modCommonPictureButtons.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <cmath>

#include "core/Trap.h"
#include "platform/RuntimeError.h"

namespace modCommon {
namespace {

// What one picture of a button is made of.
struct ButtonFace {
    QPixmap background;  // the window's picture (null when it has none)
    QSize size;
    QColor backColour, textColour, shadowColour;
    QFont font;
    QString text;
    bool copyBackground = false;
    bool shadow = false;
};

// Halves to the even number, as the drawing positions have always been rounded.
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// The face with the background under `origin` (the picture's point that lands on the face's
// top left corner) and the caption centred on it.
QPixmap DrawFace(const ButtonFace& face, QPoint origin) {
    QPixmap picture(face.size);
    picture.fill(face.backColour);
    QPainter painter(&picture);
    if (face.copyBackground && !face.background.isNull()) painter.drawPixmap(-origin.x(), -origin.y(), face.background);
    painter.setFont(face.font);
    const QFontMetrics metrics(face.font);
    // A caption wider than the button stays centred and is cut at both edges.
    const int x = RoundHalfEven((face.size.width() - metrics.horizontalAdvance(face.text)) / 2.0);
    const int y = RoundHalfEven((face.size.height() - metrics.height()) / 2.0) + metrics.ascent();
    if (face.shadow) {
        painter.setPen(face.shadowColour);
        painter.drawText(x + 2, y + 2, face.text);
    }
    painter.setPen(face.textColour);
    painter.drawText(x, y, face.text);
    return picture;
}

}  // namespace

void SetUpPictureButtons(QWidget* window, QLabel* picCopy, QRgb backColour, QRgb textColour, QRgb shadowColour,
                         bool& copyBackground, bool shadow) {
    Trap("SetUpPictureButtons", "modCommon", [&] {
        if (!window || !picCopy) throw RuntimeError(ErrorNumber::InvalidCall, "Object variable not set");
        QPalette palette = picCopy->palette();
        palette.setColor(QPalette::Window, QColor(backColour));
        picCopy->setPalette(palette);
        picCopy->setAutoFillBackground(true);

        ButtonFace face;
        face.background = window->property("Picture").value<QPixmap>();
        face.backColour = QColor(backColour);
        face.textColour = QColor(textColour);
        face.shadowColour = QColor(shadowColour);
        face.font = picCopy->font();
        face.copyBackground = copyBackground;
        face.shadow = shadow;

        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            if (!button->text().isEmpty()) {
                button->setProperty("Tag", button->text());
                button->setText(QString());
            }
            face.text = button->property("Tag").toString();
            face.size = button->size();
            picCopy->clear();
            picCopy->resize(face.size);
            // The face sits inside the button's frame; pressed, the background moves one
            // pixel up and left under a steady caption.
            const QPoint at = button->mapTo(window, QPoint(0, 0));
            button->setProperty("Picture", DrawFace(face, at + QPoint(2, 1)));
            button->setProperty("DownPicture", DrawFace(face, at + QPoint(3, 2)));
            button->update();
        }
    });
}

}  // namespace modCommon
