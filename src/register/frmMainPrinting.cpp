// Printing a grid, or saving it as an HTML table.
#include "platform/Prompts.h"
#include "register/frmMain.h"

void frmMain::PrintGrid(DataGrid&, const std::string&, long, long, bool) {
    Prompts::MsgBox("Grids cannot be printed or saved as HTML in this version of Kelvo.",
                    Prompts::OKOnly | Prompts::Information, "Print");
}
