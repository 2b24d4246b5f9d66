#include "corewindows/clsCommonDialog.h"

#include <QApplication>
#include <QFont>
#include <QPalette>

#include <iterator>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"

namespace {

constexpr long kFileMustExist = 0x1000, kMultiSelect = 0x200, kReadOnly = 0x1, kHideReadOnly = 0x4,
               kOverwritePrompt = 0x2, kEnableHook = 0x20;
// The hook and template bits: a hook is asked for with the Hook argument, and there are no
// templates.
constexpr long kHookBits = 0x60;
constexpr long kMaxPath = 260;
// The extended error of a dialog that failed: here, an event sink that raised.
constexpr long kDialogFailure = 0xFFFF;

std::vector<std::string> FilterParts(const std::string& filter) {
    std::vector<std::string> parts(1);
    for (char c : filter) {
        if (c == '|' || c == ':') parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// Several files chosen at once: their folder, then each name, each after a NUL.
std::string FileList(const std::vector<std::string>& paths) {
    if (paths.size() < 2) return paths.empty() ? "" : paths.front();
    std::string list = FileSystem::Folder(paths.front());
    for (const auto& path : paths) list += '\0' + FileSystem::FileName(path);
    return list;
}

// Colours are 0x00BBGGRR, as the program's colour values have always been.
QColor ToQColor(long color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }
long FromQColor(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

// A system colour (0x80000000 plus its number) at its value in the desktop's palette now;
// any other colour as it is. The numbers are those of the old system colour table; a number
// past it is black.
long SystemColorValue(long color) {
    if ((color & 0xFF000000) != static_cast<long>(0x80000000)) return color & 0xFFFFFF;
    struct Role {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    constexpr QPalette::ColorGroup A = QPalette::Active, I = QPalette::Inactive, D = QPalette::Disabled;
    // Three system colours a line, as the comments name them.
    // clang-format off
    static const Role roles[] = {
        {A, QPalette::Button},          {A, QPalette::Window},          {A, QPalette::Highlight},  // scroll bar, desktop, active caption
        {I, QPalette::Highlight},       {A, QPalette::Window},          {A, QPalette::Base},       // inactive caption, menu, window
        {A, QPalette::Shadow},          {A, QPalette::WindowText},      {A, QPalette::Text},       // window frame, menu text, window text
        {A, QPalette::HighlightedText}, {A, QPalette::Window},          {I, QPalette::Window},     // caption text, active and inactive border
        {A, QPalette::Dark},            {A, QPalette::Highlight},       {A, QPalette::HighlightedText},  // workspace, highlight
        {A, QPalette::Button},          {A, QPalette::Dark},            {D, QPalette::Text},       // button face, button shadow, grey text
        {A, QPalette::ButtonText},      {I, QPalette::HighlightedText}, {A, QPalette::Light},      // button text, inactive caption text, button highlight
        {A, QPalette::Shadow},          {A, QPalette::Midlight},        {A, QPalette::ToolTipText},  // dark shadow, light, info text
        {A, QPalette::ToolTipBase},                                                                // info background
    };
    // clang-format on
    const long index = color & 0xFFFFFF;
    if (index >= static_cast<long>(std::size(roles))) return 0;
    const QPalette palette = QApplication::palette();
    return FromQColor(palette.color(roles[index].group, roles[index].role));
}

void CheckColorIndex(int index) {
    if (index < 0 || index > 15) throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
}

}  // namespace

long clsCommonDialog::DialogHook(QWidget* /*dialog*/, Prompts::FileDialogMessage msg, long filterIndex,
                                 const std::string& path) {
    if (!eventSink_) return 0;
    using M = Prompts::FileDialogMessage;
    // The sink's failure cannot cross the dialog's event loop: the dialog reports it instead.
    try {
        switch (msg) {
            case M::InitDialog: eventSink_->InitDialog(); break;
            case M::TypeChange: eventSink_->TypeChange(filterIndex); break;
            case M::ConfirmOK: return eventSink_->ConfirmOK(path) ? 0 : 1;
            case M::FolderChange: eventSink_->FolderChange(path); break;
            case M::FileChange: eventSink_->FileChange(path); break;
            case M::DialogClose: eventSink_->DialogClose(); break;
        }
    } catch (...) {
        hookFailed_ = true;
    }
    return 0;
}

bool clsCommonDialog::VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist,
                                        bool MultiSelect, bool& ReadOnly, bool HideReadOnly, std::string& Filter,
                                        long& FilterIndex, const std::string& InitDir, const std::string& DlgTitle,
                                        const std::string& DefaultExt, long /*Owner*/, long* flags, bool Hook,
                                        DialogEventSink* EventSink, const std::vector<std::string>& Places) {
    long requested = (FileMustExist ? kFileMustExist : 0) | (MultiSelect ? kMultiSelect : 0) |
                     (ReadOnly ? kReadOnly : 0) | (HideReadOnly ? kHideReadOnly : 0) |
                     ((flags ? *flags : 0) & ~kHookBits);
    if (!ShowFileDialog(false, {requested, InitDir, DlgTitle, DefaultExt, Hook, EventSink, Places}, Filename, FileTitle,
                        Filter, FilterIndex, flags))
        return false;
    ReadOnly = (requested & kReadOnly) != 0;
    return true;
}

bool clsCommonDialog::VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt,
                                        std::string& Filter, long& FilterIndex, const std::string& InitDir,
                                        const std::string& DlgTitle, const std::string& DefaultExt, long /*Owner*/,
                                        long* flags, bool Hook, DialogEventSink* EventSink) {
    long requested = (OverWritePrompt ? kOverwritePrompt : 0) | ((flags ? *flags : 0) & ~kHookBits);
    return ShowFileDialog(true, {requested, InitDir, DlgTitle, DefaultExt, Hook, EventSink}, Filename, FileTitle,
                          Filter, FilterIndex, flags);
}

bool clsCommonDialog::ShowFileDialog(bool save, const Request& request, std::string& Filename, std::string& FileTitle,
                                     std::string& Filter, long& FilterIndex, long* flags) {
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
    dialog.multiSelect = (request.flags & kMultiSelect) != 0;
    dialog.places = request.places;
    const long returned = request.flags | (request.hook ? kEnableHook : 0);
    if (request.hook)
        dialog.hook = [this](QWidget* window, Prompts::FileDialogMessage msg, long number, const std::string& text) {
            return DialogHook(window, msg, number, text);
        };
    // The sink is the call's own: none before it or after it, however it ends.
    eventSink_ = request.eventSink;
    struct CallSink {
        DialogEventSink*& slot;
        ~CallSink() { slot = nullptr; }
    } callSink{eventSink_};
    hookFailed_ = false;
    const bool chosen = fits && (save ? Prompts::GetSaveFileName(dialog) : Prompts::GetOpenFileName(dialog));
    if (!Answered(chosen)) {
        Filename.clear();
        FileTitle.clear();
        Filter.clear();
        if (flags) *flags = 0;
        FilterIndex = -1;
        return false;
    }
    Filename = FileList(dialog.fileNames.empty() ? std::vector<std::string>{dialog.fileName} : dialog.fileNames);
    FileTitle = FileSystem::FileName(dialog.fileName);
    if (flags) *flags = returned;
    FilterIndex = dialog.filterIndex;
    std::size_t description = static_cast<std::size_t>(2 * (dialog.filterIndex - 1));
    Filter = description < parts.size() ? parts[description] : "";
    return true;
}

// Records a dialog's outcome: chosen, cancelled, or failed in its hook.
bool clsCommonDialog::Answered(bool chosen) {
    extendedError_ = hookFailed_ ? kDialogFailure : 0;
    chosen = chosen && !hookFailed_;
    hookFailed_ = false;
    apiReturn_ = chosen ? 1 : 0;
    return chosen;
}

std::string clsCommonDialog::VBGetFileTitle(const std::string& file) {
    std::string title = FileSystem::FileName(file);
    if (title.empty()) {
        apiReturn_ = -1;
        return "";
    }
    // The title and its terminating NUL must fit the buffer; otherwise the room it needs.
    const long needed = static_cast<long>(title.size()) + 1;
    apiReturn_ = needed > kMaxPath ? needed : 0;
    return apiReturn_ ? "" : title;
}

long clsCommonDialog::CustomColor(int Index) const {
    CheckColorIndex(Index);
    return customColors_[Index];
}

void clsCommonDialog::SetCustomColor(int Index, long Color) {
    CheckColorIndex(Index);
    customColors_[Index] = Color;
}

bool clsCommonDialog::VBChooseColor(long& Color) {
    Prompts::ColorDialog dialog;
    dialog.color = ToQColor(SystemColorValue(Color));
    for (int i = 0; i < 16; ++i) dialog.customColors[i] = ToQColor(SystemColorValue(customColors_[i]));
    const bool chosen = Answered(Prompts::ChooseColor(dialog));
    for (int i = 0; i < 16; ++i) customColors_[i] = FromQColor(dialog.customColors[i]);
    if (chosen) Color = FromQColor(dialog.color);
    return chosen;
}

bool clsCommonDialog::VBChooseFont(QFont& CurFont) { return Answered(Prompts::ChooseFont(CurFont)); }
