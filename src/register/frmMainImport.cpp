// The animal import file: one animal a line, each with its dam and sire if wanted, added to
// the register or correcting the animals it has; and the help on the file's layout.
//
// A file that cannot be animal data (not text, a tag far too long) is refused before anything
// is asked or written; items that do not read (a date, an EID) are left out of their animal
// and listed for the keeper at the end.
#include <QApplication>
#include <QMenu>
#include <QProgressBar>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "register/AnimalImport.h"
#include "register/frmMain.h"
#include "widgets/TextWindow.h"

namespace {

const char* const kObject = "frmMain";
const char* const kTitle = "Import Animal Data from File";

using modCommon::Database;

// The most problems a message lists; the rest are counted.
constexpr std::size_t kListed = 20;

// The text of `many` messages, one a line, the first kListed of them.
std::string Listed(const std::vector<std::string>& many) {
    std::string text;
    for (std::size_t i = 0; i < many.size() && i < kListed; ++i) text += "\r\n" + many[i];
    if (many.size() > kListed) text += "\r\n... and " + std::to_string(many.size() - kListed) + " more.";
    return text;
}

// Asks whether unrecorded dams (or sires) are to be reference animals; 2 when so, else 1.
long AskParentType(const std::string& parents) {
    const std::string text =
        "When " + parents + " are defined for progeny, if the " + parents +
        " are not already recorded then\r\n"
        "they will be added as new animals owned by you and placed on your holding. Alternatively\r\n"
        "they can be recorded as 'Reference animals' in which case they will not be located\r\n"
        "anywhere.\r\n"
        "\r\n"
        "Do you want any currently unrecorded " +
        parents + " to be recorded as 'Reference animals'?";
    const std::string kind = parents == "dams" ? "Dam" : "Sire";
    return Prompts::MsgBox(text, Prompts::YesNo + Prompts::Question,
                           kind + " animal type for currently unrecorded " + parents) == Prompts::Yes
               ? 2
               : 1;
}

// The help, in three pieces: "@@" stands for the separator's name and "**" for the separator.
const char* const kHelpA =
    "The instructions given below will help you to create a @@ separated file of animal data\r\n"
    "that can then be used to add animals to your records or change the data for existing\r\n"
    "animals in your records.\r\n"
    "\r\n"
    "If you want you can save this information for reference in the future (using File -> Save As).\r\n"
    "\r\n"
    "To add or amend animal data in your records you can create a file containing animal\r\n"
    "data - you can use a text window like this one: type the lines in it and save them with\r\n"
    "File -> Save As. Each piece of data for an animal should be separated from the next using\r\n"
    "a @@. The data that can be added for each animal is as follows:\r\n"
    "\r\n"
    "\tTag Number** Date of Birth** Gender** Breed** EID** then the same for the dam and the sire\r\n"
    "\r\n"
    "Each line in the file is data for one animal. An example is shown below for an animal with all\r\n"
    "its details except its EID and all details for its dam except the dam's EID:\r\n"
    "\r\n"
    "\tUK123456 989898**01/03/08**Wether**Texel****UK123456 989897**01/03/05**Ewe**Texel\r\n"
    "\r\n"
    "The only item required for an animal is its tag number.\r\n"
    "\r\n"
    "\r\n";
const char* const kHelpB =
    "You can add \"batch\" sheep by entering just the flock number (i.e. no animal number) for each\r\n"
    "sheep in the batch.\r\n"
    "For example, to add 50 \"batch\" sheep which have flock number UK123456 you would simply create a file\r\n"
    "with 50 lines in it and on each line you would put the flock number. You can also add the Date of Birth,\r\n"
    "Gender, Breed or EID details as described above for one or more of these \"batch\" sheep if you want to.\r\n"
    "When adding \"batch\" sheep in this way details of existing \"batch\" sheep will never be updated and\r\n"
    "the sheep will ALWAYS be added as new animals.\r\n"
    "\r\n"
    "\r\n";
const char* const kHelpC =
    "If you specify any information for an animal's dam or sire then their minimum information is their tags.\r\n"
    "\r\n"
    "You need not enter the 'trailing' @@s if there are no futher optional items, but you must\r\n"
    "enter @@s where an earlier optional item is missing.\r\n"
    "\r\n"
    "Any animals that already exist in your records (animal, dam or sire) will have their details\r\n"
    "updated if you supply data which is different from that currently recorded - this can be a useful\r\n"
    "way of 'updating' the gender of dams (i.e. changing them from a Heifer to a Cow) or any other\r\n"
    "errors in an animal's details.\r\n"
    "\r\n"
    "Please note: If you do not supply the (optional) gender for an animal (or the gender is not one that has\r\n"
    "already been defined in this program then this program will have no way of knowing what species an animal\r\n"
    "is and will assume the current 'working' species.\r\n"
    "In this case you should make sure that you are working in the correct species for any new animal(s)\r\n"
    "whose details you are importing.";

}  // namespace

// ---- The file --------------------------------------------------------------------------------

void frmMain::BuildImportMenu() {
    connect(mnuImportAnimalFromFile, &QAction::triggered, this, [this] { mnuImportAnimalFromFile_Click(); });
    connect(mnuImportAnimalHelp, &QAction::triggered, this, [this] { mnuImportAnimalHelp_Click(); });
}

void frmMain::mnuImportAnimalFromFile_Click() {
    Trap("mnuImportAnimalFromFile_Click", kObject, [&] {
        const std::string species = modCommon::Species == modCommon::Cattle ? "cattle" : "sheep";
        const std::string file = OpenFileName(
            "Select an Import Animals File containing " + species + " details:", "Text or CSV Files|*.txt;*.csv", true);
        if (file.empty()) return;
        const std::string text = TextFile::Read(file);
        setEnabled(false);
        ImportAnimals(text);
        DisplayBreeds(false);
        UpdateAfterImport();
    });
    setEnabled(true);
}

void frmMain::ImportAnimals(const std::string& text) {
    Trap("ImportAnimals", kObject, [&] {
        const AnimalImportFile::Contents file = AnimalImportFile::Read(text, modCommon::GetTextFieldSeparator());
        if (file.empty) {
            Prompts::MsgBox("The file holds no animal data, so nothing has been imported.", Prompts::Information,
                            kTitle);
            return;
        }
        if (!file.problems.empty()) {
            Prompts::MsgBox(
                "The file cannot be read as animal data, so nothing has been imported:" + Listed(file.problems),
                Prompts::Exclamation, kTitle);
            return;
        }
        setEnabled(false);
        InitialiseProgressbar(100, "Adding Animals...");
        const long damType = file.dams ? AskParentType("dams") : 1;
        const long sireType = file.sires ? AskParentType("sires") : 1;
        const AnimalImport::Result result =
            AnimalImport::ImportFile(Database().GetConnection(), file, damType, sireType, [&](int done) {
                if (done == pbrProgress->value()) return;
                pbrProgress->setValue(done);
                pbrProgress->repaint();
            });
        if (result.gendersAdded) DisplayGenders(true);
        if (result.breedsAdded) DisplayBreeds(true);
        if (!result.notes.empty())
            Prompts::MsgBox("The file has been imported. Please check these lines:" + Listed(result.notes),
                            Prompts::Exclamation, kTitle);
    });
    fraProgress->hide();
    setEnabled(true);
}

void frmMain::mnuImportAnimalHelp_Click() {
    Trap("mnuImportAnimalHelp_Click", kObject, [&] {
        const std::string separator = modCommon::GetTextFieldSeparator();
        QString help = QString::fromLatin1(kHelpA);
        if (modCommon::Species == modCommon::Sheep && modCommon::HerdFlockRequired) help += QString::fromLatin1(kHelpB);
        help += QString::fromLatin1(kHelpC);
        help.replace(QStringLiteral("@@"), separator == "," ? QStringLiteral("comma") : QStringLiteral("semicolon"));
        help.replace(QStringLiteral("**"), QString::fromStdString(separator));
        TextWindow::Open("Help on how to Import Animal Data from File", this, QSize(13500, 7125), help.toStdString());
    });
}
