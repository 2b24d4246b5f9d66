#pragma once
#include <functional>
#include <string>

class QWidget;

namespace Prompts {

// What an open file dialog tells its hook, and when: once created; when the keeper picks
// another filter, enters another folder or moves the selection; when OK is pressed on a file;
// when the dialog goes.
enum class FileDialogMessage { InitDialog, TypeChange, ConfirmOK, FolderChange, FileChange, DialogClose };

// A file dialog's hook. It hears each message with the dialog's window (none when a test
// answers the dialog), a number (the filter's 1-based index for TypeChange) and a text (the
// folder for FolderChange, the path for FileChange and ConfirmOK). A non-zero answer to
// ConfirmOK keeps the dialog open.
using FileDialogHook =
    std::function<long(QWidget* dialog, FileDialogMessage message, long number, const std::string& text)>;

// An open file dialog as its hook hears it. The desktop's dialog and a test's script both
// move it, so the hook hears the same messages in the same order from either. Each change is
// told once; without a hook nothing is told and every OK goes through.
class HookedFileDialog {
public:
    HookedFileDialog(const FileDialogHook& hook, int filterIndex);
    HookedFileDialog(const HookedFileDialog&) = delete;
    HookedFileDialog& operator=(const HookedFileDialog&) = delete;

    // InitDialog, then FolderChange for the folder the dialog opens in. `window` is the
    // dialog's, none when a test answers it.
    void Open(QWidget* window, const std::string& folder);
    void FolderChanged(const std::string& folder);
    void FileChanged(const std::string& path);
    void TypeChanged(int filterIndex);
    // OK pressed on `path`: true when the hook lets the dialog close.
    bool OKPressed(const std::string& path);
    // DialogClose, once: whoever opened the dialog closes it.
    void Close();

    bool Hooked() const { return static_cast<bool>(hook_); }
    const std::string& File() const { return file_; }
    int FilterIndex() const { return filterIndex_; }

private:
    long Tell(FileDialogMessage message, long number, const std::string& text);

    FileDialogHook hook_;
    QWidget* window_ = nullptr;
    int filterIndex_;
    std::string folder_, file_;
    bool open_ = false;
};

}  // namespace Prompts
