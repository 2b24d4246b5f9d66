#pragma once

class QPushButton;

// What every window of the program does, installed once on the application:
// - Enter or Return on a focused push button presses it. No button is a default button unless
//   a window makes one so on purpose, so Enter typed in a field never presses a hidden button;
//   a keeper who has tabbed to a button expects Enter to press it.
// - A window opens within the available area of its screen (shrunk and moved in when its
//   design would stick out).
namespace WindowRules {

void Install();
// Makes the button no default button, nor one that becomes the default when it has the focus.
void MakeNoDefault(QPushButton* button);

}  // namespace WindowRules
