#include "platform/FileDialogHook.h"

namespace Prompts {

HookedFileDialog::HookedFileDialog(const FileDialogHook& hook, int filterIndex)
    : hook_(hook), filterIndex_(filterIndex) {}

long HookedFileDialog::Tell(FileDialogMessage message, long number, const std::string& text) {
    return hook_ ? hook_(window_, message, number, text) : 0;
}

void HookedFileDialog::Open(QWidget* window, const std::string& folder) {
    window_ = window;
    open_ = true;
    Tell(FileDialogMessage::InitDialog, 0, "");
    FolderChanged(folder);
}

void HookedFileDialog::FolderChanged(const std::string& folder) {
    if (folder == folder_) return;
    folder_ = folder;
    Tell(FileDialogMessage::FolderChange, 0, folder);
}

void HookedFileDialog::FileChanged(const std::string& path) {
    if (path == file_) return;
    file_ = path;
    Tell(FileDialogMessage::FileChange, 0, path);
}

void HookedFileDialog::TypeChanged(int filterIndex) {
    if (filterIndex == filterIndex_) return;
    filterIndex_ = filterIndex;
    Tell(FileDialogMessage::TypeChange, filterIndex, "");
}

bool HookedFileDialog::OKPressed(const std::string& path) { return Tell(FileDialogMessage::ConfirmOK, 0, path) == 0; }

void HookedFileDialog::Close() {
    if (!open_) return;
    open_ = false;
    Tell(FileDialogMessage::DialogClose, 0, "");
}

}  // namespace Prompts
