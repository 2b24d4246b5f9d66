#include "platform/Prompts.h"

#include <cstdio>

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

bool GetOpenFileName(FileDialog& dialog) {
    bool ok = Active().OpenFile(dialog);
    if (!ok) dialog.fileName.clear();
    return ok && !dialog.fileName.empty();
}

bool GetSaveFileName(FileDialog& dialog) {
    bool ok = Active().SaveFile(dialog);
    if (!ok) dialog.fileName.clear();
    return ok && !dialog.fileName.empty();
}

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
