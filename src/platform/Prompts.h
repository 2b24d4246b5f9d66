#pragma once
#include <QColor>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileDialogHook.h"

class QFont;
class QPrinter;

// Every message box, input box and file, colour, font and page-setup dialog of the program goes
// through here, so that a test can answer it from a script and read its text. The style and
// answer numbers are the old message box numbers, which the program's texts and tests are
// written against. The desktop's boxes and dialogs are the widgets' (widgets/DesktopPrompts.h),
// which a program with a screen puts in as the defaults at start; a program without one (the
// template tool, the database peer) has its messages written to the standard error and
// answered OK, and nothing else asked.
namespace Prompts {

// Buttons.
constexpr int OKOnly = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
// Icons.
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
// Default button.
constexpr int DefaultButton2 = 256, DefaultButton3 = 512;
// Answers.
constexpr int OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;

struct FileDialog {
    std::string title;
    std::string filter;      // "Description|pattern|Description|pattern" (";" between patterns)
    int filterIndex = 1;     // 1-based
    std::string initialDir;  // "" opens in the last folder used, else the keeper's home
    std::string fileName;    // in: proposed name; out: the chosen path ("" when cancelled)
    // Without the dot; a save dialog's chosen name without an ending gets it. "" in a save
    // dialog of one file type takes that type's ending, which a chosen name that does not end
    // in it gets ("flock 09.12.2026" is saved as "flock 09.12.2026.mdb").
    std::string defaultExt;
    bool fileMustExist = false;
    bool overwritePrompt = false;
    bool multiSelect = false;            // an open dialog takes several files
    std::vector<std::string> fileNames;  // out: every chosen path (fileName is the first)
    FileDialogHook hook;                 // hears the dialog's events (HookedFileDialog)
    // Folders offered one click away beside the desktop's own places.
    std::vector<std::string> places;
};

struct ColorDialog {
    QColor color;  // in: the colour shown first; out: the colour chosen
    // The dialog's custom colours: put in its slots before it opens and read back after it
    // closes, chosen or cancelled (the keeper may have changed them either way).
    std::array<QColor, 16> customColors;
};

// What shows the prompts: the desktop's dialogs, or a test's script.
class Handler {
public:
    virtual ~Handler() = default;
    virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
    // Returns false when the keeper cancelled.
    virtual bool InputBox(const std::string& text, const std::string& title, std::string& answer, bool masked) = 0;
    virtual bool OpenFile(FileDialog& dialog) = 0;
    virtual bool SaveFile(FileDialog& dialog) = 0;
    // The colour, font and page-setup dialogs: false when cancelled. A handler that does not
    // show them answers them as cancelled. The colour dialog shows the dialog's custom colours
    // and leaves in them what the keeper left there, chosen or cancelled.
    virtual bool ChooseColor(ColorDialog& /*dialog*/) { return false; }
    virtual bool ChooseFont(QFont& /*font*/) { return false; }
    virtual bool PageSetup(QPrinter& /*printer*/, const std::string& /*title*/) { return false; }
};

// Replaces the handler (none: the default one); returns the one it replaced (none for the
// default).
std::unique_ptr<Handler> SetHandler(std::unique_ptr<Handler> handler);

int MsgBox(const std::string& text, int style = OKOnly, const std::string& title = "");
// The answer typed, or "" when cancelled (as the old input box gave).
std::string InputBox(const std::string& text, const std::string& title = "", const std::string& defaultText = "",
                     bool masked = false);
// True with dialog.fileName set when the keeper chose a file.
bool GetOpenFileName(FileDialog& dialog);
bool GetSaveFileName(FileDialog& dialog);
// True with the colour chosen; the custom colours come back either way.
bool ChooseColor(ColorDialog& dialog);
// True with `font` set to the font chosen.
bool ChooseFont(QFont& font);
// The page-setup dialog for `printer`: true with the paper, orientation and margins chosen
// left on the printer.
bool PageSetup(QPrinter& printer, const std::string& title = "");

// The title every box without one of its own carries: the program's name.
void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();

// The print dialog: the printer and its settings for a print job, set up on `printer`; false
// when the keeper cancelled. A test answers it with SetPrintDialog (for instance by pointing
// the printer at a PDF file); the default's otherwise.
bool PrintDialog(QPrinter& printer, const std::string& title = "");
using PrintDialogHandler = std::function<bool(QPrinter& printer, const std::string& title)>;
// Replaces the print dialog (the default's when empty); returns the one it replaced.
PrintDialogHandler SetPrintDialog(PrintDialogHandler handler);

// The print preview: `paint` draws the pages on the printer it is given (the preview's, or the
// real printer's when the keeper prints from the preview). Returns when the preview closes.
// A test answers it with SetPrintPreview (for instance painting into a PDF file).
using PaintPages = std::function<void(QPrinter& printer)>;
void PrintPreview(QPrinter& printer, const PaintPages& paint, const std::string& title = "");
using PrintPreviewHandler = std::function<void(QPrinter& printer, const PaintPages& paint, const std::string& title)>;
// Replaces the print preview (the default's when empty); returns the one it replaced.
PrintPreviewHandler SetPrintPreview(PrintPreviewHandler handler);

// Makes `handler`, `printDialog` and `printPreview` the defaults: the desktop's, put in by a
// program with a screen at start (Prompts::InstallDesktop). What a test has put in instead
// stays until it goes.
void SetDesktop(std::unique_ptr<Handler> handler, PrintDialogHandler printDialog, PrintPreviewHandler printPreview);

}  // namespace Prompts
