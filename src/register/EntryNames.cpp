#include "register/EntryNames.h"

#include <QString>

#include "platform/Prompts.h"

namespace EntryNames {

bool Accept(const std::string& kind, const std::string& name, const std::function<long()>& store) {
    if (QString::fromStdString(name).size() > Longest) {
        Prompts::MsgBox("The name '" + name + "' is too long: the name of a " + kind + " can have at most " +
                            std::to_string(Longest) + " characters.",
                        Prompts::OKOnly | Prompts::Exclamation, "Name Too Long");
        return false;
    }
    if (store() > 0) {
        Prompts::MsgBox(
            "The name '" + name + "' is already in use: another " + kind + " has it. Please choose another name.",
            Prompts::OKOnly | Prompts::Exclamation, "Name in Use");
        return false;
    }
    return true;
}

}  // namespace EntryNames
