#pragma once
#include <QString>

#include <string>

class QKeyEvent;
class QPushButton;
class QWidget;

// What every window of the program does, installed once on the application:
// - Enter or Return on a focused push button presses it. No button is a default button unless
//   a window makes one so on purpose, so Enter typed in a field never presses a hidden button;
//   a keeper who has tabbed to a button expects Enter to press it.
// - A window opens within the available area of its screen (shrunk and moved in when its
//   design would stick out).
// - A window disabled while it works, and enabled again, gives the keyboard back to the
//   control that had it, so that a keeper working from the keyboard goes on where he was.
namespace WindowRules {

void Install();
// Makes the button no default button, nor one that becomes the default when it has the focus.
void MakeNoDefault(QPushButton* button);
// Enter in any single-line field of the form (a text box, a combo box one types in) or on an
// option or tick box presses `ok` while it is shown and enabled; lists, grids and multi-line
// fields keep their own Enter. The fields are those the form holds when this is called.
void PressOnEnter(QWidget& form, QPushButton& ok);
// The keys that ask for the focused control's pop-up menu: the Menu key, and Shift+F10.
bool IsMenuKey(const QKeyEvent& key);
// A text for a menu item, button or frame caption that shows as it is: a name the keeper
// typed never gains a shortcut letter, nor loses its "&".
QString AsTyped(const std::string& text);

}  // namespace WindowRules
