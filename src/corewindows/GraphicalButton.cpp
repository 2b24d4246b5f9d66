#include "corewindows/GraphicalButton.h"

#include <qdrawutil.h>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include "widgets/WindowRules.h"

GraphicalButton::GraphicalButton(QWidget* parent) : QPushButton(parent) {
    // A dialog makes its focused auto-default button the default one, which an Enter meant for
    // another control then presses.
    WindowRules::MakeNoDefault(this);
}

void GraphicalButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void GraphicalButton::paintEvent(QPaintEvent* event) {
    const QPixmap picture = property(isDown() ? "DownPicture" : "Picture").value<QPixmap>();
    if (picture.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
    qDrawShadePanel(&painter, rect(), palette(), isDown(), 2);
    // The style's focus frame is faint on a picture, and drawn only once the keyboard has moved;
    // the button the window opens on is the one Enter presses. A ring of black and white dashes
    // shows on any picture.
    if (hasFocus()) {
        const QRect ring = rect().adjusted(5, 5, -6, -6);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawRect(ring);
        painter.setPen(QPen(Qt::white, 2, Qt::DashLine));
        painter.drawRect(ring);
    }
}
