#include "corewindows/GraphicalButton.h"

#include <qdrawutil.h>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFocusRect>

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
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
