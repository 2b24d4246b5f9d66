#pragma once
#include <string>

class QPrinter;

// The open-file and save-file dialogs as the program asks for them: initial name, filter
// ("Description|pattern", ":" separating too), filter index, must-exist, folder, title and
// default extension in; chosen path, its name and the chosen filter out. And the print
// dialog, with the settings it leaves.
class clsCommonDialog {
public:
    long APIReturn() const { return apiReturn_; }
    long ExtendedError() const { return extendedError_; }

    // True when the keeper chose a file. On cancel Filename, FileTitle and Filter are
    // emptied, flags is 0 and FilterIndex is -1.
    bool VBGetOpenFileName(std::string& Filename, std::string& FileTitle, bool FileMustExist,
                           bool MultiSelect, bool& ReadOnly, bool HideReadOnly, std::string& Filter,
                           long& FilterIndex, const std::string& InitDir = "",
                           const std::string& DlgTitle = "", const std::string& DefaultExt = "",
                           long Owner = -1);
    // The same as a Save As dialog, which asks before a file is overwritten when
    // OverWritePrompt is set.
    bool VBGetSaveFileName(std::string& Filename, std::string& FileTitle, bool OverWritePrompt,
                           std::string& Filter, long& FilterIndex, const std::string& InitDir = "",
                           const std::string& DlgTitle = "", const std::string& DefaultExt = "",
                           long Owner = -1);
    long& flags() { return flags_; }

    // The print dialog for a job on `printer`. True when the keeper chose to print; the
    // settings chosen are then on the printer and read back here: copies, orientation (1
    // portrait, 2 landscape), paper size (the page size's id) and print quality (dots per inch).
    bool VBPrintDlg(QPrinter& printer, long& Copies, long& Orientation, long& PaperSize,
                    long& PrintQuality, const std::string& DlgTitle = "");

private:
    struct Request {
        long flags;
        std::string InitDir, DlgTitle, DefaultExt;
    };
    bool ShowFileDialog(bool save, const Request& request, std::string& Filename, std::string& FileTitle,
                        std::string& Filter, long& FilterIndex);

    long apiReturn_ = 0;
    long extendedError_ = 0;
    long flags_ = 0;
};
