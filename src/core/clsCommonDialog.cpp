#include "core/clsCommonDialog.h"

#include <QPageLayout>
#include <QPrinter>

#include <vector>

#include "platform/FileSystem.h"
#include "platform/Prompts.h"

namespace {

constexpr long kFileMustExist = 0x1000, kMultiSelect = 0x200, kReadOnly = 0x1, kHideReadOnly = 0x4,
               kOverwritePrompt = 0x2;
// The hook and template bits: the dialogs here have neither.
constexpr long kHookBits = 0x60;
constexpr long kMaxPath = 260;

std::vector<std::string> FilterParts(const std::string& filter) {
    std::vector<std::string> parts(1);
    for (char c : filter) {
        if (c == '|' || c == ':') parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

}  // namespace

bool clsCommonDialog::VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist,
                                        bool MultiSelect, bool& ReadOnly, bool HideReadOnly,
                                        std::string& Filter, long& FilterIndex, const std::string& InitDir,
                                        const std::string& DlgTitle, const std::string& DefaultExt,
                                        long /*Owner*/) {
    long requested = (FileMustExist ? kFileMustExist : 0) | (MultiSelect ? kMultiSelect : 0) |
                     (ReadOnly ? kReadOnly : 0) | (HideReadOnly ? kHideReadOnly : 0) | (flags_ & ~kHookBits);
    if (!ShowFileDialog(false, {requested, InitDir, DlgTitle, DefaultExt}, Filename, FileTitle, Filter, FilterIndex))
        return false;
    ReadOnly = (flags_ & kReadOnly) != 0;
    return true;
}

bool clsCommonDialog::VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt,
                                        std::string& Filter, long& FilterIndex, const std::string& InitDir,
                                        const std::string& DlgTitle, const std::string& DefaultExt,
                                        long /*Owner*/) {
    long requested = (OverWritePrompt ? kOverwritePrompt : 0) | (flags_ & ~kHookBits);
    return ShowFileDialog(true, {requested, InitDir, DlgTitle, DefaultExt}, Filename, FileTitle, Filter, FilterIndex);
}

bool clsCommonDialog::ShowFileDialog(bool save, const Request& request, std::string& Filename,
                                     std::string& FileTitle, std::string& Filter, long& FilterIndex) {
    std::vector<std::string> parts = FilterParts(Filter);
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) joined += (i ? "|" : "") + parts[i];

    Prompts::FileDialog dialog;
    dialog.title = request.DlgTitle;
    dialog.filter = joined;
    dialog.filterIndex = static_cast<int>(FilterIndex);
    dialog.initialDir = request.InitDir;
    // A name that fills the whole buffer leaves no room for the answer.
    const bool fits = static_cast<long>(Filename.size()) < kMaxPath;
    dialog.fileName = fits ? Filename : "";
    dialog.defaultExt = request.DefaultExt;
    dialog.fileMustExist = (request.flags & kFileMustExist) != 0;
    dialog.overwritePrompt = (request.flags & kOverwritePrompt) != 0;
    bool chosen = fits && (save ? Prompts::GetSaveFileName(dialog) : Prompts::GetOpenFileName(dialog));
    apiReturn_ = chosen ? 1 : 0;
    if (!chosen) {
        Filename.clear();
        FileTitle.clear();
        Filter.clear();
        flags_ = 0;
        FilterIndex = -1;
        return false;
    }
    Filename = dialog.fileName;
    FileTitle = FileSystem::FileName(dialog.fileName);
    flags_ = request.flags;
    FilterIndex = dialog.filterIndex;
    std::size_t description = static_cast<std::size_t>(2 * (dialog.filterIndex - 1));
    Filter = description < parts.size() ? parts[description] : "";
    return true;
}

bool clsCommonDialog::VBPrintDlg(QPrinter& printer, long& Copies, long& Orientation, long& PaperSize,
                                 long& PrintQuality, const std::string& DlgTitle) {
    const bool chosen = Prompts::PrintDialog(printer, DlgTitle);
    apiReturn_ = chosen ? 1 : 0;
    if (!chosen) return false;
    Copies = printer.copyCount();
    Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    PaperSize = static_cast<long>(printer.pageLayout().pageSize().id());
    PrintQuality = printer.resolution();
    return true;
}
