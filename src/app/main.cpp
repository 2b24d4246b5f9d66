// Kelvo: the program's entry point. The windows above the core register themselves here, so
// the core's start-up can open them without knowing them.
#include <QApplication>
#include <string>

#include "backup/frmRVBSBackupRestore.h"
#include "core/modCommon.h"
#include "corewindows/frmSpecies.h"
#include "devices/frmMobilePhone.h"
#include "devices/frmStickReader.h"
#include "register/frmMain.h"
#include "sticktool/frmSimple.h"
#include "widgets/DesktopPrompts.h"
#include "widgets/WindowRules.h"

namespace {

// The window names the edition in its caption itself.
void ShowStickTool(int) { frmSimple::Instance().show(); }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    WindowRules::Install();
    Prompts::InstallDesktop();
    app.setQuitOnLastWindowClosed(true);
    std::string arguments;
    for (int i = 1; i < argc; ++i) arguments += (i > 1 ? " " : "") + std::string(argv[i]);

    modCommon::StartupWindows windows;
    windows.ShowSpecies = [] { frmSpecies::ShowModal(); };
    windows.ShowMain = [] { frmMain::Instance().show(); };
    windows.ShowStickTool = ShowStickTool;
    modCommon::RegisterStartupWindows(windows);
    RegisterBackupWindow();
    RegisterStickReaderWindow();
    RegisterMobilePhoneWindow();

    modCommon::Main(arguments);
    int code = 0;
    if (!QApplication::topLevelWidgets().isEmpty() && QApplication::topLevelWidgets().size() > 0) {
        bool anyVisible = false;
        for (QWidget* w : QApplication::topLevelWidgets()) anyVisible = anyVisible || w->isVisible();
        if (anyVisible) code = app.exec();
    }
    // The program ends here: the gateway closes and compacts the database.
    modCommon::ReleaseDatabase();
    return code;
}
