#include "platform/Prompts.h"

#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Text.h"

namespace {

std::string& AppTitle() {
    static std::string title = "Kelvo";
    return title;
}

// A program without a screen: a message is written to the standard error and answered OK;
// nothing else is asked.
class Unattended : public Prompts::Handler {
public:
    int MsgBox(const std::string& text, int, const std::string& title) override {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return Prompts::OK;
    }
    bool InputBox(const std::string&, const std::string&, std::string&, bool) override { return false; }
    bool OpenFile(Prompts::FileDialog&) override { return false; }
    bool SaveFile(Prompts::FileDialog&) override { return false; }
};

bool NoPrintDialog(QPrinter&, const std::string&) { return false; }
void NoPrintPreview(QPrinter&, const Prompts::PaintPages&, const std::string&) {}

// What shows the prompts when nothing else is put in: the desktop's, once a program with a
// screen has put them here, else the unattended answers.
struct Defaults {
    std::unique_ptr<Prompts::Handler> handler = std::make_unique<Unattended>();
    Prompts::PrintDialogHandler printDialog = NoPrintDialog;
    Prompts::PrintPreviewHandler printPreview = NoPrintPreview;
};

Defaults& Default() {
    static Defaults defaults;
    return defaults;
}

// What is put in instead of the defaults (none: the default).
struct Replaced {
    std::unique_ptr<Prompts::Handler> handler;
    Prompts::PrintDialogHandler printDialog;
    Prompts::PrintPreviewHandler printPreview;
};

Replaced& Current() {
    static Replaced current;
    return current;
}

Prompts::Handler& Active() { return Current().handler ? *Current().handler : *Default().handler; }

// The folder of the file last chosen in any file dialog of this run.
std::string& LastFolder() {
    static std::string folder;
    return folder;
}

// Where a dialog whose caller names no folder opens: the last folder used while it is still
// there, else the keeper's home; never the folder the program was started in.
std::string StartFolder() { return FileSystem::IsDirectory(LastFolder()) ? LastFolder() : Program::Home(); }

// The ending of a filter of one file type of one plain pattern ("CSV Files (*.csv)|*.csv"
// gives "csv"); "" for any other filter.
std::string OnlyEnding(const std::string& filter) {
    const auto bar = filter.find('|');
    if (bar == std::string::npos || filter.find('|', bar + 1) != std::string::npos) return "";
    const std::string pattern = filter.substr(bar + 1);
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) return "";
    const std::string ending = pattern.substr(2);
    return ending.find_first_of("*?.; ") == std::string::npos ? ending : "";
}

// A chosen name without an ending gets the dialog's, as the desktop's dialog gives it, so that
// the file is found again by the same filter whoever answered the dialog; in a dialog of one file
// type, so does a name with another ending (a dot in a date). A file that the ending makes the
// name of is not replaced unasked: false when the keeper would rather choose again.
bool GiveEnding(Prompts::FileDialog& dialog, bool oneType) {
    if (dialog.defaultExt.empty()) return true;
    const std::string name = FileSystem::FileName(dialog.fileName);
    if (oneType ? EndsWithAsciiNoCase(name, "." + dialog.defaultExt) : name.find('.') != std::string::npos) return true;
    dialog.fileName += "." + dialog.defaultExt;
    if (!dialog.fileNames.empty()) dialog.fileNames.front() = dialog.fileName;
    return !dialog.overwritePrompt || !FileSystem::Exists(dialog.fileName) ||
           Prompts::MsgBox(dialog.fileName + " already exists." + CRLF + "Do you want to replace it?",
                           Prompts::YesNo | Prompts::Exclamation | Prompts::DefaultButton2,
                           dialog.title) == Prompts::Yes;
}

bool AskForFile(Prompts::FileDialog& dialog, bool save) {
    if (dialog.initialDir.empty()) dialog.initialDir = StartFolder();
    const bool oneType = save && dialog.defaultExt.empty() && !OnlyEnding(dialog.filter).empty();
    if (oneType) dialog.defaultExt = OnlyEnding(dialog.filter);
    for (;;) {
        const bool ok = save ? Active().SaveFile(dialog) : Active().OpenFile(dialog);
        if (!ok || dialog.fileName.empty()) {
            dialog.fileName.clear();
            return false;
        }
        const std::string chosen = dialog.fileName;
        if (!save || GiveEnding(dialog, oneType)) break;
        dialog.fileName = chosen;  // the dialog again, with the name as the keeper typed it
    }
    LastFolder() = FileSystem::Folder(dialog.fileName);
    return true;
}

}  // namespace

namespace Prompts {

void SetDesktop(std::unique_ptr<Handler> handler, PrintDialogHandler printDialog, PrintPreviewHandler printPreview) {
    Default() = {std::move(handler), std::move(printDialog), std::move(printPreview)};
}

std::unique_ptr<Handler> SetHandler(std::unique_ptr<Handler> handler) {
    std::swap(Current().handler, handler);
    return handler;
}

int MsgBox(const std::string& text, int style, const std::string& title) { return Active().MsgBox(text, style, title); }

std::string InputBox(const std::string& text, const std::string& title, const std::string& defaultText, bool masked) {
    std::string answer = defaultText;
    return Active().InputBox(text, title, answer, masked) ? answer : std::string();
}

bool GetOpenFileName(FileDialog& dialog) { return AskForFile(dialog, false); }

bool GetSaveFileName(FileDialog& dialog) { return AskForFile(dialog, true); }

bool ChooseColor(ColorDialog& dialog) { return Active().ChooseColor(dialog); }

bool ChooseFont(QFont& font) { return Active().ChooseFont(font); }

bool PageSetup(QPrinter& printer, const std::string& title) { return Active().PageSetup(printer, title); }

bool PrintDialog(QPrinter& printer, const std::string& title) {
    const PrintDialogHandler& show = Current().printDialog ? Current().printDialog : Default().printDialog;
    return show(printer, title);
}

PrintDialogHandler SetPrintDialog(PrintDialogHandler handler) {
    std::swap(Current().printDialog, handler);
    return handler;
}

void PrintPreview(QPrinter& printer, const PaintPages& paint, const std::string& title) {
    const PrintPreviewHandler& show = Current().printPreview ? Current().printPreview : Default().printPreview;
    show(printer, paint, title);
}

PrintPreviewHandler SetPrintPreview(PrintPreviewHandler handler) {
    std::swap(Current().printPreview, handler);
    return handler;
}

void SetApplicationTitle(const std::string& title) { AppTitle() = title; }
const std::string& ApplicationTitle() { return AppTitle(); }

}  // namespace Prompts
