#include "widgets/DesignGeometry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

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

// The frame a window manager put round a window: its title bar and borders; none (null) while
// it has not framed it.
QMargins RealFrame(const QWidget* window) {
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// The window's frame (title bar and borders) around its inner area: the real one once the
// window is on the screen; before, that of a window of the program the window manager has
// framed with a title bar, as it will frame this one; else what the style's title bar and
// borders come to.
QMargins FrameOf(const QWidget* window) {
    if (const QMargins frame = RealFrame(window); !frame.isNull()) return frame;
    std::vector<const QWidget*> others{QApplication::activeWindow()};
    if (window->parentWidget()) others.push_back(window->parentWidget()->window());
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other->isVisible()) others.push_back(other);
    for (const QWidget* other : others)
        if (const QMargins frame = other ? RealFrame(other) : QMargins(); frame.top() > frame.left()) return frame;
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return {border, style->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

// A window laid out by hand that cannot shrink to its screen's room shows its controls on a page
// in a scroll area of this name.
constexpr char kPageScroll[] = "pageScroll";

QScrollArea* PageScroll(const QWidget* window) {
    return window->findChild<QScrollArea*>(kPageScroll, Qt::FindDirectChildrenOnly);
}

int ScrollBarBreadth(const QScrollArea* scroll) {
    return scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll);
}

// Moves the window's controls, as they stand, onto a page of the window's size in a scroll
// area that fills the window, which may then be smaller. They keep their stacking, their Tab
// order and the focus.
QScrollArea* ShowOnPage(QWidget* window) {
    std::vector<QWidget*> tabOrder;
    for (QWidget* next = window->nextInFocusChain(); next != window; next = next->nextInFocusChain())
        if (next->focusPolicy() != Qt::NoFocus) tabOrder.push_back(next);
    QWidget* focus = window->focusWidget();
    auto* page = new QWidget;
    page->resize(window->size());
    for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isWindow()) continue;
        const bool hidden = control->isHidden();
        control->setParent(page);
        control->setHidden(hidden);
    }
    auto* scroll = new QScrollArea;
    scroll->setObjectName(kPageScroll);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(page);
    window->setMinimumSize(0, 0);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins({});
    layout->addWidget(scroll);
    scroll->show();
    for (std::size_t i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    if (focus) focus->setFocus();
    return scroll;
}

// The size a window needs for its page: the page's, with a scroll bar beside it where the room
// is too low for it and one below it where the room is too narrow.
QSize PagedSize(const QScrollArea* scroll, QSize room) {
    const QSize page = scroll->widget()->size();
    const int bar = ScrollBarBreadth(scroll);
    bool down = page.height() > room.height();
    const bool across = page.width() + (down ? bar : 0) > room.width();
    down = down || page.height() + (across ? bar : 0) > room.height();
    return page.grownBy({0, 0, down ? bar : 0, across ? bar : 0});
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
        rows, gapTwips,
        [](const QWidget* c) {
            return std::pair{c->y(), c->y() + c->height()};
        },
        [](QWidget* c, int by) { c->move(c->x(), c->y() + by); });
}

void StackColumns(const std::vector<Group>& columns, int gapTwips) {
    Stack(
        columns, gapTwips,
        [](const QWidget* c) {
            return std::pair{c->x(), c->x() + c->width()};
        },
        [](QWidget* c, int by) { c->move(c->x() + by, c->y()); });
}

void CloseUpRows(const std::vector<Row>& rows, int gapTwips) {
    std::optional<int> end;
    for (const Row& row : rows) {
        int top = INT_MAX;
        for (const QWidget* control : row.controls) top = std::min(top, control->y());
        const int moved = end ? *end + Pixels(gapTwips) - top : 0;
        for (QWidget* control : row.controls) {
            if (moved) control->move(control->x(), control->y() + moved);
            if (row.kept || !control->isHidden())
                end = std::max(end.value_or(INT_MIN), control->y() + control->height());
        }
    }
}

void HoldChildren(QWidget* container, int marginTwips, bool acrossOnly) {
    QSize size = container->size();
    for (const QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        const QRect place = child->geometry();
        size = size.expandedTo(
            {place.right() + 1 + Pixels(marginTwips), acrossOnly ? 0 : place.bottom() + 1 + Pixels(marginTwips)});
    }
    if (size != container->size()) container->resize(size);
}

int TitleBarHeight(const QWidget* window) {
    const QMargins frame = FrameOf(window);
    return frame.top() > frame.left() ? frame.top() - frame.left()
                                      : window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

int TitleWidth(const QWidget* window, const QString& title) {
    const int bar = TitleBarHeight(window);
    QFont bold = window->font();
    bold.setBold(true);
    // The window manager draws the title in a font of its own, which may be larger than the
    // program's: as large as about two thirds of its title bar's height.
    QFont managers = bold;
    managers.setPixelSize((2 * bar + 2) / 3);
    const int text =
        std::max(QFontMetrics(bold).horizontalAdvance(title), QFontMetrics(managers).horizontalAdvance(title));
    // Three buttons, each about as wide as the title bar is high, and the room between them; a
    // window manager that centres the title over the whole bar keeps as much room on the other
    // side.
    return text + 7 * bar;
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

QSize Room(const QWidget* window) {
    QSize room = ScreenArea(window).size().shrunkBy(FrameOf(window));
    if (const QScrollArea* scroll = PageScroll(window); scroll && scroll->widget()->height() > room.height())
        room.rwidth() -= ScrollBarBreadth(scroll);
    return room;
}

QWidget* Page(QWidget* window) {
    QScrollArea* scroll = PageScroll(window);
    return scroll ? scroll->widget() : window;
}

void KeepOnScreen(QWidget* window) {
    const QRect area = ScreenArea(window);
    if (area.isEmpty()) return;
    const QMargins frame = FrameOf(window);
    const QSize room = area.size().shrunkBy(frame);
    QScrollArea* scroll = PageScroll(window);
    if (!scroll && !window->layout() && window->minimumSize().boundedTo(room) != window->minimumSize())
        scroll = ShowOnPage(window);
    const QSize wanted = scroll ? PagedSize(scroll, room) : window->size();
    if (scroll) window->setMaximumSize(wanted);  // no larger than what it shows
    const QSize size = wanted.boundedTo(room).expandedTo(window->minimumSize());
    if (size != window->size()) window->resize(size);
    const QSize outer = size.grownBy(frame);
    // A window's pos() is its frame's corner.
    QPoint at = window->pos();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height())));
    if (at != window->pos()) window->move(at);
}

void KeepOnScreenOnce(QWidget* window) {
    static const char* const kPending = "keepOnScreenPending";
    if (!window->isVisible()) return KeepOnScreen(window);
    if (window->property(kPending).toBool()) return;
    window->setProperty(kPending, true);
    QTimer::singleShot(0, window, [window] {
        window->setProperty(kPending, false);
        KeepOnScreen(window);
    });
}

}  // namespace DesignGeometry
