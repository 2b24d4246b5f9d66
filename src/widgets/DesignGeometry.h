#pragma once
#include <QRect>
#include <QSize>
#include <QString>

#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

// Windows are designed in twips (1/1440 inch) for a Windows font. Every window places its
// controls through here: twips become pixels at the screen's logical dots per inch, so every
// window scales alike; a control whose text the design's size no longer holds in the font it
// has grows to hold it (never below the design's size); and windows open within the screen.
namespace DesignGeometry {

int Pixels(int twips);
int Twips(int pixels);
QRect Pixels(const QRect& twips);

// Places a control at a design place (left, top, width, height in twips) and grows it to its
// text.
void Place(QWidget* control, const QRect& twips);
// Makes a control with `args` for its constructor, named `name` and placed at `place` (left,
// top, width, height in twips), grown to its text.
template <class Control, class... Args>
Control* Make(const char* name, QRect place, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(QString::fromLatin1(name));
    Place(control, place);
    return control;
}

// The smallest size at which the control shows its whole text: its label, caption or frame
// caption or the text in its box, in its font, where its style draws it. A wrapping text keeps
// the control's width and asks for height. A control without text needs nothing (an empty
// size).
QSize TextSize(const QWidget* control);
// The width a text box needs to show `text` whole.
int TextBoxWidth(const QLineEdit* box, const QString& text);
// Grows the control to TextSize; it never shrinks. The new size.
QSize GrowToText(QWidget* control);

// Where controls grew, the controls beyond them make way, so that nothing that grew covers a
// neighbour. Rows are given top to bottom: each row moves down, with every row below it, as far
// as it must to stand `gapTwips` below the lowest control of the rows above. Columns the same,
// left to right.
using Group = std::vector<QWidget*>;
void StackRows(const std::vector<Group>& rows, int gapTwips);
void StackColumns(const std::vector<Group>& columns, int gapTwips);
// Rows given top to bottom close up over what is hidden, so that no empty band stands between
// the controls on show: the first row stays where it is, and each further row moves, up or
// down, to stand `gapTwips` below the lowest control of the rows above that take room. A row
// takes room where one of its controls is not hidden, and a kept row always.
struct Row {
    Group controls;
    bool kept = false;
};
void CloseUpRows(const std::vector<Row>& rows, int gapTwips);
// Grows a container to hold its children with `marginTwips` right of and below them (only
// across when `across` alone).
void HoldChildren(QWidget* container, int marginTwips, bool acrossOnly = false);

// The height of the window manager's title bar: over this window once it is framed, else over
// a window of the program that is; the style's own title bar before any is.
int TitleBarHeight(const QWidget* window);
// The width a window needs to show its title whole: the title in the title bar's bold font,
// with room for the window's icon and buttons.
int TitleWidth(const QWidget* window, const QString& title);

// The area windows may take on the screen a window is on (or would open on): its available
// geometry.
QRect ScreenArea(const QWidget* window);
// Moves a top-level window to the middle of the window `owner`, frames included.
void CentreOver(QWidget* window, const QWidget* owner);
// The largest inner size a top-level window can have on its screen: the available area less
// the window's frame, and less the scroll bar beside its page where its page scrolls down.
QSize Room(const QWidget* window);
// Keeps a top-level window within its screen's available area: shrinks it where it is larger
// (never below its minimum size) and moves it in where it sticks out, frame included. A window
// laid out by hand (without a layout) whose minimum size, or fixed size, the screen has no room
// for shows its controls on a page of its size that scrolls inside it instead: the window is
// then as large as the page and its scroll bars where the screen has room.
void KeepOnScreen(QWidget* window);
// The same for a window whose size may change several times at one click: a shown window is kept
// on screen once, when the event loop next runs, for the last of them. A window manager may hold a
// window to the largest size it was given a moment before, so no passing size goes out.
void KeepOnScreenOnce(QWidget* window);
// The widget a window's controls stand on: the window, or its page once it scrolls them. A
// window that changes its size after it has shown sizes this, and then keeps itself on screen.
QWidget* Page(QWidget* window);

}  // namespace DesignGeometry
