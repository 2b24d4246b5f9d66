// The two date-change tabs: the date of birth and the tagging date of the selected animals,
// and the search for animals moved before they were born.
#include <QApplication>
#include <QGroupBox>
#include <QScopeGuard>

#include <unordered_map>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "platform/Prompts.h"
#include "platform/WrappingButton.h"
#include "register/frmMain.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

}  // namespace

void frmMain::BuildDateChangePanes() {
    fraDoBChange = Make<QGroupBox>("fraDoBChange", {105, 345, 2580, 4335}, fraTab[4]);
    cmdChangeDoBs = Make<WrappingButton>(
        "cmdChangeDoBs", {120, 240, 2340, 900},
        QStringLiteral("Change the Date of Birth for ALL Selected Animals in the Grid"), fraDoBChange);
    cmdCheckMovements =
        Make<WrappingButton>("cmdCheckMovements", {120, 1320, 2340, 900},
                             QStringLiteral("Select Animals with Movements BEFORE their Date of Birth"), fraDoBChange);

    fraTaggingDateChange = Make<QGroupBox>("fraTaggingDateChange", {105, 345, 2580, 4335}, fraTab[5]);
    cmdChangeTaggingDates = Make<WrappingButton>(
        "cmdChangeTaggingDates", {120, 240, 2340, 900},
        QStringLiteral("Change the Tagging Date for ALL Selected Animals in the Grid"), fraTaggingDateChange);

    connect(cmdChangeDoBs, &QPushButton::clicked, this, [this] { cmdChangeDoBs_Click(); });
    connect(cmdChangeTaggingDates, &QPushButton::clicked, this, [this] { cmdChangeTaggingDates_Click(); });
    connect(cmdCheckMovements, &QPushButton::clicked, this, [this] { cmdCheckMovements_Click(); });
}

void frmMain::cmdChangeDoBs_Click() { ChangeDates("cmdChangeDoBs_Click", true); }

void frmMain::cmdChangeTaggingDates_Click() { ChangeDates("cmdChangeTaggingDates_Click", false); }

// Writes one typed date to every selected animal (tag-only rows are passed over). A new date of
// birth takes along the movements dated exactly at the animal's old one (as the grid loaded it),
// so that the birth entry of its history follows.
void frmMain::ChangeDates(const char* procedure, bool booDateOfBirth) {
    const auto close = qScopeGuard([this] {
        fraProgress->hide();
        setEnabled(true);
    });
    Trap(procedure, kObject, [&] {
        if (grdAnimals->SelCount() == 0) {
            Prompts::MsgBox("There is nothing selected in the grid.", Prompts::OKOnly, "Nothing Selected in Grid");
            return;
        }
        setEnabled(false);
        const std::string what = booDateOfBirth ? "date of birth" : "tagging date";
        const std::string answer =
            Prompts::InputBox("Please enter the new " + what + " for the selected animals",
                              booDateOfBirth ? "Enter New Date of Birth" : "Enter New Tagging Date");
        if (answer.empty()) return;
        const std::optional<DateTime> date = DateTime::FromUserText(answer);
        if (!date) {
            Prompts::MsgBox("'" + answer + "' is not a valid date - please try again.", Prompts::OKOnly,
                            "Invalid Date");
            return;
        }
        Connection& db = Database().GetConnection();
        Connection::Prepared setDate(db, std::string("UPDATE Animals SET ") +
                                             (booDateOfBirth ? "DateOfBirth" : "TaggingDate") + "=? WHERE AnimalID=?");
        Connection::Prepared moveBirth(db, "UPDATE LocationLink SET EventDate=? WHERE AnimalId=? AND EventDate=?");
        const Value newDate(date->ToText());
        ForEachSelected(procedure,
                        (booDateOfBirth ? "Setting the DoB of the selected animals to "
                                        : "Setting the tagging date of the selected animals to ") +
                            answer,
                        [&](Recordset::Bookmark bookmark) {
                            mrsGridClone.SetBookmark(bookmark);
                            if (mrsGridClone.Field("AnimalType").ToLong() == 0) return;
                            const Value& animal = mrsGridClone.Field("AnimalID");
                            setDate.Run({newDate, animal});
                            const Value& oldBirth = mrsGridClone.Field("DateOfBirth");
                            if (booDateOfBirth && !oldBirth.IsNull()) moveBirth.Run({newDate, animal, oldBirth});
                        });
    });
}

void frmMain::cmdCheckMovements_Click() {
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([this] {
        QApplication::restoreOverrideCursor();
        setEnabled(true);
    });
    Trap("cmdCheckMovements_Click", kObject, [&] {
        const Recordset& rows = mrsAnimalEID();
        if (rows.Rows() > 0) {
            grdAnimals->SelClear();
            // An animal was moved before its birth when its earliest movement was; a movement
            // at the very moment of birth does not count.
            std::unordered_map<long long, std::string> earliest;
            Recordset first =
                Database().GetConnection().Query("SELECT AnimalID, MIN(EventDate) FROM LocationLink GROUP BY AnimalID");
            for (; !first.Eof(); first.MoveNext())
                if (!first.Field(1).IsNull()) earliest.emplace(first.Field(0).ToLong(), first.Field(1).ToString());
            const int idColumn = rows.FieldIndex("AnimalID"), birthColumn = rows.FieldIndex("DateOfBirth");
            for (long row = 0; row < rows.Rows(); ++row) {
                const Value& birth = rows.At(row, birthColumn);
                if (birth.IsNull()) continue;
                const auto moved = earliest.find(rows.At(row, idColumn).ToLong());
                if (moved != earliest.end() && moved->second < birth.ToString())
                    grdAnimals->SelAdd(rows.BookmarkAt(row));
            }
        }
        grdAnimals->PostMsg(1);
    });
}
