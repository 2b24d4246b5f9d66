#include "register/TagChangesPane.h"

#include <QGroupBox>
#include <QString>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Connection.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "register/PaneWindow.h"
#include "register/TagChanges.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WrappingButton.h"

namespace {

const char* const kObject = "frmMain";

using DesignGeometry::Make;
using modCommon::Database;

void InvalidDate(const std::string& message) {
    Prompts::MsgBox(message, Prompts::OKOnly | Prompts::Exclamation, "Invalid Date");
}

}  // namespace

TagChangesPane::TagChangesPane(PaneWindow& window, QGroupBox* frame, int tab) : DetailPane(window, frame, tab) {
    grdTagChanges = Make<DataGrid>("grdTagChanges", {60, 225, 3150, 3795}, frame);
    cmdRecordTagChange =
        Make<WrappingButton>("cmdRecordTagChange", {60, 4080, 1530, 555}, QStringLiteral("Record a Tag Change"), frame);
    cmdDeleteTagChange = Make<WrappingButton>("cmdDeleteTagChange", {1680, 4080, 1530, 555},
                                              QStringLiteral("Delete Selected Tag Changes"), frame);
    connect(cmdRecordTagChange, &QPushButton::clicked, this, [this] { cmdRecordTagChange_Click(); });
    connect(cmdDeleteTagChange, &QPushButton::clicked, this, [this] { cmdDeleteTagChange_Click(); });
    connect(grdTagChanges, &DataGrid::PostEvent, this, [this](int message) { grdTagChanges_PostEvent(message); });
    connect(grdTagChanges, &DataGrid::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint) {
                if (button == Qt::LeftButton) grdTagChanges_Click();
                grdTagChanges_MouseUp(button, keys);
            });
    grdTagChanges->hide();
    cmdRecordTagChange->hide();
    cmdDeleteTagChange->hide();
}

// Per animal its current tag ("Current", dated today at midnight by the program's clock), then
// the tags it wore, newest first and indented; only animals with a recorded change appear.
void TagChangesPane::DisplayTagChanges() {
    if (!OnShow()) return;
    Trap("DisplayTagChanges", kObject, [&] {
        if (window_.AnimalGrid().SelCount() > 0) {
            const std::string list = SelectedAnimalList("TagChangeAnimals");
            const std::string sql =
                " SELECT  0 AS TagChangeID,AnimalID,TagNumber AS [Tag Number],'Current' AS [Used Until],"
                " date(Now()) || ' 00:00:00' AS DateOrder"
                " FROM Animals"
                " WHERE"
                "       AnimalID IN (" +
                list +
                ")"
                "   AND"
                "       AnimalID IN (SELECT DISTINCT AnimalID FROM TagChanges)"
                " UNION"
                " SELECT TagChangeID,AnimalID,'    ' || ifnull(OldTag,''),EventDate,EventDate"
                " FROM TagChanges"
                " WHERE"
                "       AnimalID IN (" +
                list +
                ")"
                " ORDER BY AnimalID, DateOrder DESC, TagChangeID DESC";
            const long rows = BindGrid(*grdTagChanges, sql,
                                       {{"TagChangeID", nullptr, -1},
                                        {"AnimalID", nullptr, -1},
                                        {"Tag Number", "Tag Number", 1500},
                                        {"Used Until", "Used Until", 1200},
                                        {"DateOrder", nullptr, -1}},
                                       "Used Until", "DisplayTagChanges");
            grdTagChanges->setVisible(rows > 0);
        } else {
            grdTagChanges->hide();
            cmdRecordTagChange->hide();
        }
        cmdDeleteTagChange->hide();
        const int animal = modCommon::GetSingleAnimalID();
        cmdRecordTagChange->setVisible(animal > 0 && TagChanges::IsOwned(Database().GetConnection(), animal));
    });
}

// ---- Recording -------------------------------------------------------------------------------

// The new tag, upper-cased, asked until it is valid; "" when the keeper gave none.
std::string TagChangesPane::AskNewTag() {
    std::string prompt = "Enter the new tag";
    if (modCommon::HerdFlockRequired)
        prompt += std::string(" as ") + (modCommon::Species == modCommon::Sheep ? "Flock" : "Herd") +
                  " Number and Tag Number separated by a single space";
    for (;;) {
        const std::string typed = TrimBlanks(Prompts::InputBox(prompt, "New Tag Entry", ""));
        if (typed.empty()) return "";
        const std::string tag = QString::fromStdString(typed).toUpper().toStdString();
        if (TagChanges::IsValidTag(tag, modCommon::HerdFlockRequired)) return tag;
        Prompts::MsgBox("Invalid tag - please try again.", Prompts::OKOnly | Prompts::Exclamation, "Invalid Tag");
    }
}

// The date the new tag went in, asked until it is a date no later than now; nothing when the
// keeper gave none.
std::optional<DateTime> TagChangesPane::AskTagDate() {
    for (;;) {
        const std::string typed = TrimBlanks(Prompts::InputBox("Enter the date the new tag was inserted",
                                                               "New Tag Date Entry", DateTime::Today().ToUserText()));
        if (typed.empty()) return std::nullopt;
        const std::optional<DateTime> date = DateTime::FromUserText(typed);
        if (!date) InvalidDate("Invalid date - please try again.");
        else if (*date > DateTime::Now()) InvalidDate("You cannot record tag chages in the future - please try again.");
        else return date;
    }
}

void TagChangesPane::cmdRecordTagChange_Click() {
    Trap("cmdRecordTagChange_Click", kObject, [&] {
        const std::string tag = AskNewTag();
        if (tag.empty()) return;
        const std::optional<DateTime> date = AskTagDate();
        if (!date) return;
        RecordTagChange(tag, *date);
    });
}

void TagChangesPane::RecordTagChange(const std::string& newTag, const DateTime& date) {
    const TagChanges::Outcome outcome = TagChanges::Record(Database().GetConnection(), modCommon::GetSingleAnimalID(),
                                                           newTag, date, modCommon::Species);
    if (outcome == TagChanges::Outcome::TagInUse) {
        Prompts::MsgBox("The tag " + newTag + "is already in current use. The change has not been recorded.",
                        Prompts::OKOnly | Prompts::Exclamation, "Tag Exists");
        return;
    }
    if (outcome == TagChanges::Outcome::AnimalGone) {
        Prompts::MsgBox("This animal is no longer in your records, so the tag change has not been recorded.",
                        Prompts::OKOnly | Prompts::Information, "No Longer Recorded");
        window_.tmrSetGridRecords_Timer();
        return;
    }
    if (outcome == TagChanges::Outcome::Latest) window_.tmrSetGridRecords_Timer();
    DisplayTagChanges();
}

// ---- Deleting and the grid's clicks ------------------------------------------------------------

// The chosen history rows go together or not at all; the "Current" rows are passed over and
// the animal keeps its tag.
void TagChangesPane::cmdDeleteTagChange_Click() {
    Trap("cmdDeleteTagChange_Click", kObject, [&] {
        Recordset rows = grdTagChanges->Rows().Clone();
        std::vector<long long> chosen;
        for (Recordset::Bookmark bookmark : grdTagChanges->SelBookmarks()) {
            rows.SetBookmark(bookmark);
            chosen.push_back(rows.Field("TagChangeID").ToLong());
        }
        TagChanges::Delete(Database().GetConnection(), chosen);
    });
    DisplayTagChanges();
}

// The grid looks at its selection once it has finished updating it.
void TagChangesPane::grdTagChanges_Click() {
    Trap("grdTagChanges_Click", kObject, [&] { grdTagChanges->PostMsg(1); });
}

void TagChangesPane::grdTagChanges_PostEvent(int MsgId) {
    Trap("grdTagChanges_PostEvent", kObject, [&] {
        if (MsgId == 1) cmdDeleteTagChange->setVisible(grdTagChanges->SelCount() > 0);
    });
}

void TagChangesPane::grdTagChanges_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/) {
    if (Button != Qt::RightButton) return;
    Trap("grdTagChanges_MouseUp", kObject, [&] { PrintMenu(*grdTagChanges, "Tag Changes", "Tag Changes History"); });
}
