#pragma once
#include <string>

// The open-file dialog as the program asks for it: initial name, filter
// ("Description|pattern", ":" separating too), filter index, must-exist, folder, title and
// default extension in; chosen path, its name and the chosen filter out.
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
    long& flags() { return flags_; }

private:
    long apiReturn_ = 0;
    long extendedError_ = 0;
    long flags_ = 0;
};
