// The help pane: short rich-text explanations of the controls, kept in one table.
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

#include "core/Trap.h"
#include "platform/Rtf.h"
#include "register/frmMain.h"

namespace {

const char* const kObject = "frmMain";

// Entries separated by "@", each a control's name, "|" and its rich-text fragment; the tab
// control's fragment holds one section per tab, separated by "#".
const char* const kHelpTable = "";

const char* const kIntroductoryHelp =
    "\\b This area displays information to help you use this program.\\b0\\par\\par "
    "For help on any of the areas on this screen move your mouse pointer over the item for which you want "
    "help.\\par\\par "
    "For help on any of the menus at the top of this window, click the menu's title.\\par\\par "
    "\\cf2 If at any time not all the help for an item is being displayed, make this program's window wider so as to "
    "display all the help for the item.\\cf1";

}  // namespace

void frmMain::ShowHelp(const std::string& strHelp) {
    Trap("ShowHelp", kObject, [&] {
        rtbHelp->clear();
        Rtf::Read(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\deflangfe1033\\fs17"
            "{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}}"
            "{\\colortbl;\\red0\\green0\\blue255;\\red255\\green0\\blue0;\\red175\\green255\\blue175;}\r\n"
            "\\deflang1033\\pard\\li0\\fi-360\\tx1080\\plain\\f0\\fs18\\cf1" +
                strHelp + "\\par }",
            *rtbHelp->document());
    });
}

void frmMain::ShowIntroductoryHelp() {
    ShowHelp(kIntroductoryHelp);
    QTextCursor all(rtbHelp->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
}

std::string frmMain::GetHelpText(const QObject* Control) {
    std::string help;
    Trap("GetHelpText", kObject, [&] {
        const QString name = Control->objectName();
        for (const QString& entry : QString::fromLatin1(kHelpTable).split(QLatin1Char('@'))) {
            const int bar = entry.indexOf(QLatin1Char('|'));
            if (bar >= 0 && entry.left(bar) == name) {
                help = entry.mid(bar + 1).toStdString();
                return;
            }
        }
    });
    return help;
}
