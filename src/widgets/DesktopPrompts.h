#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Prompts.h"

class QColor;
class QInputDialog;
class QMessageBox;

// The desktop's message and input boxes, file, colour, font and page-setup dialogs, print
// dialog and print preview behind the program's prompts (platform/Prompts.h).
namespace Prompts {

// Makes the desktop's boxes and dialogs the prompts' defaults; once, after the application
// is made.
void InstallDesktop();

// The desktop's message box and input box for a prompt, laid out as they will show but not
// shown: as wide as their title and their text's longest line (a line wraps only where the
// screen is too narrow for it).
std::unique_ptr<QMessageBox> DesktopMessageBox(const std::string& text, int style, const std::string& title);
std::unique_ptr<QInputDialog> DesktopInputBox(const std::string& text, const std::string& title,
                                              const std::string& answer, bool masked);

// The names of a file dialog's filters as the desktop's dialog shows them: each description
// followed by its patterns in brackets, unless it ends with them already.
std::vector<std::string> DesktopFilterNames(const std::string& filter);

// Asks `ask` for the dialog's colour with its custom colours in the colour dialog's slots
// (QColorDialog::customColor), and reads them back from there afterwards, chosen or cancelled.
bool WithCustomColors(ColorDialog& dialog, const std::function<bool(QColor&)>& ask);

}  // namespace Prompts
