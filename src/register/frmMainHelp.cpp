// The help pane: short rich-text explanations of the controls, kept in one table.
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <functional>

#include "core/Trap.h"
#include "platform/Rtf.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TabControl.h"

namespace {

const char* const kObject = "frmMain";

// Entries separated by "@", each a control's name, "|" and its rich-text fragment; the tab
// control's fragment holds one section per tab, separated by "#". Colour 2 is red, colour 3
// the light green of selected rows.
const char* const kHelpTable =
    "grdAnimals|\\b The Animal Grid\\b0\\par "
    "To select a single animal click the grey area to the left of its row. To select a range of animals click "
    "the first one, hold down the Shift key and click the last one. To add single animals to the selection hold "
    "down the Ctrl key and click them; Ctrl and a click on a selected animal deselects it.\\par "
    "Selected animals are shown with a \\highlight3 green background\\highlight0 .\\par "
    "You can change the Date of Birth or Tagging Date of an animal by typing into its cell, and choose its Gender "
    "and Breed from the lists that drop down in those cells."
    "@lstGroups|\\b Management Groups\\b0\\par "
    "Tick one or more groups to show only the animals in them in the grid.\\par "
    "Right-click on a group to add the selected animals to it or to remove them from it.\\par "
    "Right-click anywhere in the list to add a new group; right-click on a group to rename or remove it."
    "@lstLocations|\\b Locations\\b0\\par "
    "Tick one or more locations to show only the animals that are there in the grid.\\par "
    "Right-click on a location to send the selected animals to it, or to remove them from it.\\par "
    "\\cf2 Assigning animals to the 'Remove from records' location deletes them from your records for good.\\cf1\\par "
    "Right-click to add a location, or to edit or remove one; each location has a name and a description."
    "@lstGenders|\\b Genders\\b0\\par "
    "Tick one or more genders to show only the animals of those genders in the grid.\\par "
    "Right-click on a gender to give it to the selected animals or to take it from them.\\par "
    "Right-click to add a gender, or to rename or remove one."
    "@lstBreeds|\\b Breeds\\b0\\par "
    "Tick one or more breeds to show only the animals of those breeds in the grid.\\par "
    "Right-click on a breed to give it to the selected animals or to take it from them.\\par "
    "Right-click to add a breed, or to rename or remove one."
    "@fraDoBChange|\\b Changing the Date of Birth\\b0\\par "
    "Select the animals in the grid, press the button and type the new date of birth; choose OK to change it for "
    "every selected animal or Cancel to leave them as they are.\\par "
    "\\cf2 A movement recorded on an animal's old date of birth moves to the new date with it; its other movements "
    "are left as they are.\\cf1\\par "
    "The second button selects the animals that have movements recorded before their date of birth."
    "@fraTaggingDateChange|\\b Changing the Tagging Date\\b0\\par "
    "Select the animals in the grid, press the button and type the new tagging date; choose OK to change it for "
    "every selected animal or Cancel to leave them as they are."
    "@grdTagChanges|\\b Tag Changes\\b0\\par "
    "To record a tag change select one owned animal in the grid and press the button.\\par "
    "To delete tag changes select them in this grid and press the delete button.\\par "
    "Right-click this grid to print it, with a print preview, or to save it as an HTML file."
    "@grdTreatments|\\b Treatments\\b0\\par "
    "To record a treatment select the animals in the grid and press the button.\\par "
    "To delete treatments select them in this grid and press the delete button.\\par "
    "Right-click this grid to print it or to save it as an HTML file."
    "@grdMovements|\\b Movement History\\b0\\par "
    "The movements of the selected animals, the most recent first. Scroll to see them all and drag the column "
    "edges to change their widths.\\par "
    "Movements are made on the Locations tab.\\par "
    "Right-click this grid to print it or to save it as an HTML file."
    "@rtbNotes|\\b Notes\\b0\\par "
    "When a single animal is selected in the grid its notes show here. Type any notes you like; you can edit, "
    "copy and paste them as in any text window. They are kept when you select another animal."
    "@tabDetails|"
    "\\b The Management Groups Tab\\b0  - put animals into groups and show the animals of chosen groups."
    "#\\b The Locations/Moves Tab\\b0  - move animals between locations and show the animals at chosen locations."
    "#\\b The Genders Tab\\b0  - give the selected animals a gender and show the animals of chosen genders."
    "#\\b The Breeds Tab\\b0  - give the selected animals a breed and show the animals of chosen breeds."
    "#\\b The Change DoBs Tab\\b0  - change the date of birth of the selected animals."
    "#\\b The Change Tagging Date Tab\\b0  - change the tagging date of the selected animals."
    "#\\b The Tag Changes Tab\\b0  - record, view and delete the tag changes of the selected animals."
    "#\\b The Treatments Tab\\b0  - record, view and delete the treatments of the selected animals."
    "#\\b The Movement History Tab\\b0  - view the movements of the selected animals."
    "#\\b The Notes Tab\\b0  - keep notes about a single selected animal."
    "#\\b The Parentage Tab\\b0  - view and record the parents and progeny of a single selected animal."
    "@fraTagSearch|\\b Select by Tag\\b0\\par "
    "Type a tag, the number part of a tag or an EID and press Enter to select the animals in the grid that have "
    "it. Animals that are already selected stay selected.\\par "
    "You are told when several animals have the tag, when some of them are not shown because of the grid's "
    "filters, or when no animal has that tag."
    "@cmdSelectAll|Select everything in the grid."
    "@cmdDeSelectAll|Deselect everything in the grid."
    "@mnuFile|\\b The File Menu\\b0\\par "
    "Change the species you are working with, or exit the program.\\par "
    "Back up your data to a file, and restore it from a backup made earlier.\\par "
    "\\cf2 Back up your data regularly, to removable media such as a memory stick, and keep it away from the "
    "computer.\\cf1\\par "
    "Members of the RVBS can back up their data to the RVBS and restore it from there with their RVBS user name and "
    "password, and open the RVBS home page."
    "@mnuGetTagBucket|\\b The Get Tag Bucket Menu\\b0\\par "
    "Import the file of electronic eartags you have bought from your tag supplier. The tags show in the grid with "
    "an eartag picture until you turn them into animals.\\par "
    "Two formats are read: Allflex's and Tolvane's."
    "@mnuDataTransfer|\\b The Data Transfer Menu\\b0\\par "
    "Export details of the selected animals to files, and import animals from a file.\\par "
    "Exchange data with the Tolvane mobile phone running Tarrovin, and import the tags read by the Tolvane stick "
    "reader; both are linked to the computer over Bluetooth."
    "@rtbPedigree|\\b Parentage\\b0\\par "
    "The parents and progeny of a single selected animal. Click an ancestor or a progeny to move to it.\\par "
    "Click where it reads 'Not recorded' to add a parent.\\par "
    "Hold down the Ctrl key and left-click a parent to remove the link to it.";

// What a menu title leaves as the control whose help shows: no control, so that the next one
// pointed at shows its help again.
const char kMenuTitleHelp = 0;

// Passes every mouse move over the window's controls to the window.
class HoverWatch : public QObject {
public:
    HoverWatch(QObject* parent, std::function<void(QObject*, QMouseEvent*)> moved)
        : QObject(parent), moved_(std::move(moved)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) moved_(watched, static_cast<QMouseEvent*>(event));
        return false;
    }

private:
    std::function<void(QObject*, QMouseEvent*)> moved_;
};

// The property that marks the controls that show their help when the pointer comes to them.
const char* const kHovered = "HoverHelp";

// A control of the window, as opposed to the parts a control is made of (unnamed, or named
// by Qt).
bool IsControl(const QObject* object) {
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

const char* const kIntroductoryHelp =
    "\\b This area displays information to help you use this program.\\b0\\par\\par "
    "For help on any of the areas on this screen move your mouse pointer over the item for which you want "
    "help.\\par\\par "
    "For help on any of the menus at the top of this window, click the menu's title.\\par\\par "
    "\\cf2 If at any time not all the help for an item is being displayed, make this program's window wider so as to "
    "display all the help for the item.\\cf1";

}  // namespace

void frmMain::ShowHelp(const std::string& help) {
    Trap("ShowHelp", kObject, [&] {
        rtbHelp->clear();
        Rtf::Read(
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\deflangfe1033\\fs17"
            "{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}}"
            "{\\colortbl;\\red0\\green0\\blue255;\\red255\\green0\\blue0;\\red175\\green255\\blue175;}\r\n"
            "\\deflang1033\\pard\\li0\\fi-360\\tx1080\\plain\\f0\\fs18\\cf1" +
                help + "\\par }",
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

// ---- Hover help ----------------------------------------------------------------------------------

// Every widget of the window reports the pointer's moves; the control under the pointer shows
// its help when it has a mouse-move handler.
void frmMain::WatchHover() {
    auto* watch = new HoverWatch(this, [this](QObject* watched, QMouseEvent* move) { HoverMove(watched, move); });
    for (QWidget* widget : canvas->findChildren<QWidget*>()) {
        widget->setMouseTracking(true);
        widget->installEventFilter(watch);
    }
    std::vector<QObject*> hovered = {grdAnimals,   lstGroups,     lstLocations,  lstGenders,
                                     lstBreeds,    fraDoBChange,  cmdChangeDoBs, cmdCheckMovements,
                                     grdMovements, grdTreatments, rtbNotes,      tabDetails,
                                     fraTagSearch, txbTagSearch,  cmdSelectAll,  cmdDeSelectAll};
    hovered.insert(hovered.end(), fraTab.begin(), fraTab.end());
    for (QObject* control : hovered) control->setProperty(kHovered, true);
}

void frmMain::HoverMove(QObject* watched, QEvent* event) {
    const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    // A move the widget under the pointer leaves goes on to its parents: only the first counts.
    if (childAt(mapFromGlobal(global)) != watched) return;
    const QObject* control = watched;
    while (control && !IsControl(control)) control = control->parent();
    if (!control || !control->property(kHovered).toBool()) return;
    const QPoint at = static_cast<const QWidget*>(control)->mapFromGlobal(global);
    MouseMoveHandler(control, DesignGeometry::Twips(at.x()), DesignGeometry::Twips(at.y()));
}

void frmMain::MouseMoveHandler(const QObject* Control, int X, int /*Y*/) {
    Trap("MouseMoveHandler", kObject, [&] {
        if (helpShownFor_ == nullptr) helpTabShown_ = -1;
        // The section is the tab under the pointer: a species that hides a tab shows fewer,
        // wider tabs, so the strip's width divided among all of them would name the wrong one.
        const bool tabStrip = Control == tabDetails;
        const int section = tabStrip ? tabDetails->TabAt(DesignGeometry::Pixels(X)) : -1;
        if (Control == helpShownFor_ && !(tabStrip && section != helpTabShown_)) return;
        helpShownFor_ = Control;
        const QString help = Control->property("Tag").toString();
        if (!tabStrip) {
            ShowHelp(help.toStdString());
            return;
        }
        helpTabShown_ = section;
        const QStringList sections = help.split(QLatin1Char('#'));
        if (section >= 0 && section < sections.size()) ShowHelp(sections[section].toStdString());
    });
}

void frmMain::MenuTitle_Click(const QMenu* title) {
    ShowHelp(title->property("Tag").toString().toStdString());
    helpShownFor_ = &kMenuTitleHelp;
}
