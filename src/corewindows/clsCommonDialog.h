#pragma once
#include <array>
#include <string>
#include <vector>

#include "platform/FileDialogHook.h"

class QFont;
class QPrinter;
class QWidget;

// The program's common dialogs: open and save file (initial name, filter ("Description|pattern",
// ":" separating too), filter index, must-exist, folder, title and default extension in; chosen
// path, its name and the chosen filter out), the file title of a path, colour (with a table of
// custom colours), font, print and page setup. A dialog that fails says so only through its
// result and APIReturn; nothing is raised.
class clsCommonDialog {
public:
    // The caller's object that hears what the keeper does in a file dialog asked for with a
    // hook. What it does not override does nothing; ConfirmOK answering false keeps the dialog
    // open. It must not show the dialog again.
    class DialogEventSink {
    public:
        virtual ~DialogEventSink() = default;
        virtual void InitDialog() {}
        virtual void TypeChange(long /*FilterIndex*/) {}  // 1-based
        virtual bool ConfirmOK(const std::string& /*Filename*/) { return true; }
        virtual void FolderChange(const std::string& /*Folder*/) {}
        virtual void FileChange(const std::string& /*Filename*/) {}
        virtual void DialogClose() {}
    };

    clsCommonDialog() { customColors_.fill(0xFFFFFF); }

    long APIReturn() const { return apiReturn_; }
    long ExtendedError() const { return extendedError_; }

    // The hook of the file dialogs: passes each message to the event sink of the call under
    // way. Returns 1 when the sink vetoes OK, else 0; without an event sink it does nothing.
    long DialogHook(QWidget* dialog, Prompts::FileDialogMessage msg, long filterIndex, const std::string& path);

    // True when the keeper chose a file. On cancel Filename, FileTitle and Filter are emptied,
    // flags is 0 and FilterIndex is -1. With MultiSelect and several files chosen, Filename is
    // their folder followed by each file's name, each after a NUL character. `flags` (when
    // given) carries extra dialog flags in and the dialog's flags out; with Hook, EventSink
    // hears the dialog's events. Places are folders offered one click away.
    bool VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist, bool MultiSelect,
                           bool& ReadOnly, bool HideReadOnly, std::string& Filter, long& FilterIndex,
                           const std::string& InitDir = "", const std::string& DlgTitle = "",
                           const std::string& DefaultExt = "", long Owner = -1, long* flags = nullptr,
                           bool Hook = false, DialogEventSink* EventSink = nullptr,
                           const std::vector<std::string>& Places = {});
    // The same as a Save As dialog, which asks before a file is overwritten when
    // OverWritePrompt is set.
    bool VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt, std::string& Filter,
                           long& FilterIndex, const std::string& InitDir = "", const std::string& DlgTitle = "",
                           const std::string& DefaultExt = "", long Owner = -1, long* flags = nullptr,
                           bool Hook = false, DialogEventSink* EventSink = nullptr);

    // The file name of a path, without its folder; "" when it needs more room than the
    // 260-character buffer (APIReturn then holds the room needed) or the path names no file.
    std::string VBGetFileTitle(const std::string& file);

    // The colour dialog. Colours are 0x00BBGGRR; a system colour (0x800000nn) is first taken
    // at its current value. True with Color set to the colour chosen. The custom colour
    // table is the dialog's custom colours while it is open, and what the keeper left there
    // afterwards, chosen or cancelled.
    bool VBChooseColor(long& Color);
    // The custom colour table, index 0 to 15 (white at first).
    long CustomColor(int Index) const;
    void SetCustomColor(int Index, long Color);

    // The font dialog, opened at CurFont; true with CurFont set to the font chosen.
    bool VBChooseFont(QFont& CurFont);

    // The print dialog for a job on `printer`. True when the keeper chose to print; the
    // settings chosen are then on the printer and read back here: copies, orientation (1
    // portrait, 2 landscape), paper size (the page size's id) and print quality (dots per inch).
    bool VBPrintDlg(QPrinter& printer, long& Copies, long& Orientation, long& PaperSize, long& PrintQuality,
                    const std::string& DlgTitle = "");

    // The page-setup dialog for `printer`, opened at the margins (millimetres), paper size
    // (the page size's id) and orientation (1 portrait, 2 landscape) given; true with those
    // chosen read back, and left on the printer.
    bool VBPageSetupDlg2(QPrinter& printer, double& LeftMargin, double& TopMargin, double& RightMargin,
                         double& BottomMargin, long& PaperSize, long& Orientation, const std::string& DlgTitle = "");
    // The same, opened at the printer's own settings.
    bool VBPageSetupDlg(QPrinter& printer, const std::string& DlgTitle = "");

private:
    struct Request {
        long flags;
        std::string InitDir, DlgTitle, DefaultExt;
        bool hook;
        DialogEventSink* eventSink;
        std::vector<std::string> places{};
    };
    bool ShowFileDialog(bool save, const Request& request, std::string& Filename, std::string& FileTitle,
                        std::string& Filter, long& FilterIndex, long* flags);
    bool Answered(bool chosen);

    long apiReturn_ = 0;
    long extendedError_ = 0;
    std::array<long, 16> customColors_;
    DialogEventSink* eventSink_ = nullptr;  // the one of the file dialog under way
    bool hookFailed_ = false;
};
