#pragma once
#include <QMainWindow>
#include <QSize>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPrinter;

// A plain-text window the program fills with text for the keeper to read, change, save or
// print (tag lists, help texts). Each window stands alone: it belongs to no other window (but a
// modal one it was opened from), so it stays open when the window that opened it closes, and it
// is deleted when the keeper closes it (Ctrl+W or Escape). Lines are held and saved with CR LF
// ends; files are written in UTF-8.
class TextWindow : public QMainWindow {
    Q_OBJECT
public:
    // Opens a new window with its title and its design size in twips, holding `text` with the
    // caret after it (InsertText), centred over the window `owner` belongs to (over the screen
    // when there is none), moved down and right by `cascade` steps of a title bar, within the
    // screen's available area. It takes the keyboard, so that the keeper reads, scrolls and
    // closes it (Escape) at once.
    static TextWindow* Open(const std::string& title, const QWidget* owner, QSize size, const std::string& text = "",
                            int cascade = 0);
    // The windows open now, in the order they were opened.
    static std::vector<TextWindow*> OpenWindows();

    ~TextWindow() override;

    // Puts text at the caret in place of any selection, as typing would but not undoable
    // (the caret then follows the text, so successive calls append in order).
    void InsertText(const std::string& text);
    // The whole text, lines joined by CR LF.
    std::string Text() const;
    QPlainTextEdit* Editor() const { return editor_; }

    // Asks for a file name (Save As dialog through Prompts) and writes the text there;
    // false when the keeper cancelled or the file could not be written (said in a message).
    bool SaveAs();
    // Writes the text to `path` in place of any file there; RuntimeError when it cannot.
    void SaveTo(const std::string& path) const;
    // Asks for a printer (Prompts::PrintDialog) and prints; false when cancelled.
    bool Print();
    void PrintTo(QPrinter& printer) const;

private:
    TextWindow();
    QPlainTextEdit* editor_;
};
