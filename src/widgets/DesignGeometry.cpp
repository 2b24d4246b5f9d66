#include "widgets/DesignGeometry.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace {

double Dpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

// A push button's text is drawn inside its frame and margins.
QSize PushButtonText(const QPushButton* button) {
    const QStyle* style = button->style();
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull()) text.rwidth() += button->iconSize().width() + 4;
    return {text.width() + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) + frame, text.height() + frame};
}

// The window's frame (title bar and borders) around its inner area: the real one once the
// window is on the screen, else what the style's title bar and borders come to.
QMargins FrameOf(const QWidget* window) {
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    if (frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return {border, style->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

}  // namespace

namespace DesignGeometry {

int Pixels(int twips) { return static_cast<int>(std::lround(twips * Dpi() / 1440.0)); }

int Twips(int pixels) { return static_cast<int>(std::lround(pixels * 1440.0 / Dpi())); }

QRect Pixels(const QRect& twips) {
    return {Pixels(twips.x()), Pixels(twips.y()), Pixels(twips.width()), Pixels(twips.height())};
}

void Place(QWidget* control, const QRect& twips) {
    control->setGeometry(Pixels(twips));
    GrowToText(control);
}

QSize TextSize(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty()) return {};
        if (!label->wordWrap()) return label->sizeHint();
        const int width = std::max(control->width(), label->minimumSizeHint().width());
        return {width, label->heightForWidth(width)};
    }
    if (auto* frame = qobject_cast<const QGroupBox*>(control))
        return frame->title().isEmpty() || frame->layout() ? QSize() : QSize(frame->minimumSizeHint().width(), 0);
    if (auto* box = qobject_cast<const QLineEdit*>(control))
        return box->text().isEmpty() ? QSize() : QSize(TextBoxWidth(box, box->text()), 0);
    auto* button = qobject_cast<const QAbstractButton*>(control);
    if (!button || button->text().isEmpty()) return {};
    if (button->hasHeightForWidth()) {  // a caption that wraps
        const int width = std::max(control->width(), button->minimumSizeHint().width());
        return {width, button->heightForWidth(width)};
    }
    if (auto* push = qobject_cast<const QPushButton*>(button)) return PushButtonText(push);
    return {button->sizeHint().width(), button->fontMetrics().height()};  // check boxes, option buttons
}

// Inside its frame, its margins and the 2 pixels Qt keeps either side of the text, and the caret.
int TextBoxWidth(const QLineEdit* box, const QString& text) {
    const QMargins margins = box->textMargins() + box->contentsMargins();
    return box->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 5 +
           2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
}

QSize GrowToText(QWidget* control) {
    const QSize size = control->size().expandedTo(TextSize(control));
    if (size != control->size()) control->resize(size);
    return size;
}

// One routine for rows and columns: `along` reads a control's start and end on the axis,
// `shift` moves it.
template <class Along, class Shift>
void Stack(const std::vector<Group>& groups, int gapTwips, Along along, Shift shift) {
    const int gap = Pixels(gapTwips);
    int moved = 0;
    std::optional<int> end;
    for (const Group& group : groups) {
        int start = INT_MAX;
        for (const QWidget* control : group) start = std::min(start, along(control).first + moved);
        if (end && start < *end + gap) moved += *end + gap - start;
        for (QWidget* control : group) {
            if (moved) shift(control, moved);
            end = std::max(end.value_or(INT_MIN), along(control).second);
        }
    }
}

void StackRows(const std::vector<Group>& rows, int gapTwips) {
    Stack(
        rows, gapTwips, [](const QWidget* c) { return std::pair{c->y(), c->y() + c->height()}; },
        [](QWidget* c, int by) { c->move(c->x(), c->y() + by); });
}

void StackColumns(const std::vector<Group>& columns, int gapTwips) {
    Stack(
        columns, gapTwips, [](const QWidget* c) { return std::pair{c->x(), c->x() + c->width()}; },
        [](QWidget* c, int by) { c->move(c->x() + by, c->y()); });
}

void HoldChildren(QWidget* container, int marginTwips, bool acrossOnly) {
    QSize size = container->size();
    for (const QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        const QRect place = child->geometry();
        size = size.expandedTo({place.right() + 1 + Pixels(marginTwips), acrossOnly ? 0 : place.bottom() + 1 + Pixels(marginTwips)});
    }
    if (size != container->size()) container->resize(size);
}

int TitleWidth(const QWidget* window, const QString& title) {
    QFont bold = window->font();
    bold.setBold(true);
    // The icon and three buttons, each about as wide as the title bar is high.
    return QFontMetrics(bold).horizontalAdvance(title) + 4 * window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

QRect ScreenArea(const QWidget* window) {
    // Where the window stands, which may be ahead of the screen its platform window knows.
    const QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen) screen = window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

void CentreOver(QWidget* window, const QWidget* owner) {
    const QSize outer = window->size().grownBy(FrameOf(window));
    window->move(owner->frameGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2));
}

QSize Room(const QWidget* window) { return ScreenArea(window).size().shrunkBy(FrameOf(window)); }

void KeepOnScreen(QWidget* window) {
    const QRect area = ScreenArea(window);
    if (area.isEmpty()) return;
    const QMargins frame = FrameOf(window);
    const QSize size = window->size().boundedTo(Room(window)).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    const QSize outer = size.grownBy(frame);
    // A window's pos() is its frame's corner.
    QPoint at = window->pos();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
    if (at != window->pos()) window->move(at);
}

}  // namespace DesignGeometry
