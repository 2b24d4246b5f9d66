// The animal grid: its query and filter, the refresh that keeps the selection, the selection
// buttons, the cell rules and shown texts, the type pictures and the right-click actions.
#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <thread>
#include <unordered_map>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"
#include "register/AnimalTypes.h"
#include "register/SideLists.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WaitPointer.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

// The identifiers of a list's ticked entries, in list order, joined by ",".
std::string TickedIDs(const QListWidget* list) {
    std::string ids;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            ids += (ids.empty() ? "" : ",") + std::to_string(list->item(i)->data(Qt::UserRole).toLongLong());
    return ids;
}

// The latest movement dated now or earlier of the animal of the outer query: its location's
// column `field`.
std::string LatestMovedTo(const std::string& field) {
    return "(SELECT " + field +
           " FROM Locations INNER JOIN LocationLink ON Locations.LocationID=LocationLink.LocationID"
           " WHERE"
           "       LocationLink.AnimalID=Animals.AnimalID"
           "   AND"
           "       EventDate<=Now()"
           " ORDER BY EventDate DESC, LocationLinkID DESC LIMIT 1)";
}

// Conditions that divide the animals of the species between parts of about the same size by TagSort,
// the first key of the grid's order, so that each part's rows come before the next part's: the
// first takes the animals below the first bound (and those without a TagSort, which come first),
// the last those from the last bound on (and any whose TagSort is text, which comes after every
// number). One part a processor, up to four, and none where a register is too small to gain.
std::vector<std::string> GridParts(Connection& db, int species) {
    constexpr long kLeastAPart = 25000;
    const long animals =
        static_cast<long>(db.Query("SELECT count(*) FROM Animals WHERE Species=?", {Value(species)}).Field(0).ToLong());
    const long count = std::min({4L, static_cast<long>(std::thread::hardware_concurrency()), animals / kLeastAPart});
    std::vector<long long> bounds;
    for (long part = 1; part < count; ++part) {
        Recordset bound = db.Query(
            "SELECT TagSort FROM Animals WHERE Species=? AND typeof(TagSort)='integer' ORDER BY TagSort LIMIT 1 OFFSET ?",
            {Value(species), Value(animals * part / count)});
        if (!bound.Eof() && (bounds.empty() || bound.Field(0).ToLong() > bounds.back()))
            bounds.push_back(bound.Field(0).ToLong());
    }
    std::vector<std::string> parts;
    for (std::size_t part = 0; !bounds.empty() && part <= bounds.size(); ++part)
        parts.push_back(
            (part > 0 ? " AND Animals.TagSort>=" + std::to_string(bounds[part - 1]) : "") +
            (part < bounds.size() ? " AND (Animals.TagSort>=" + std::to_string(bounds[part]) + ") IS NOT TRUE" : ""));
    return parts;
}

// The tag's text before its last blank, and after it (nothing when it has no blank).
std::string_view TagHead(std::string_view tag) {
    const auto blank = tag.rfind(' ');
    return blank == std::string_view::npos ? tag : tag.substr(0, blank);
}
std::string_view TagNumberPart(std::string_view tag) {
    const auto blank = tag.rfind(' ');
    return blank == std::string_view::npos ? std::string_view() : tag.substr(blank + 1);
}

// ---- The type pictures: an eartag, and an animal coloured by how it is kept ------------------

QPixmap Picture(const std::function<void(QPainter&)>& draw) {
    QPixmap picture(18, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return picture;
}

QPixmap TagOnly() {
    return Picture([](QPainter& p) {
        QPainterPath tag;
        tag.addRoundedRect(QRectF(4, 2, 10, 12), 3, 3);
        p.setPen(QPen(QColor(120, 100, 0), 1));
        p.setBrush(QColor(250, 210, 30));
        p.drawPath(tag);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(9, 5), 1.6, 1.6);
    });
}

QPixmap Animal(const QColor& body, const QColor& mark) {
    return Picture([&](QPainter& p) {
        p.setPen(QPen(body.darker(160), 1));
        p.setBrush(body);
        p.drawEllipse(QRectF(2, 4, 11, 7));
        p.drawEllipse(QRectF(11, 2, 6, 5));
        p.setPen(QPen(body.darker(160), 1.6));
        for (double x : {4.0, 7.0, 10.0, 12.0}) p.drawLine(QPointF(x, 10), QPointF(x, 14.5));
        if (mark.isValid()) {
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(QPointF(6.5, 7.5), 2, 2);
        }
    });
}

// The four animal types, 0 to 3, have a text and a picture each.
bool KnownType(const Value& type) { return type.IsNumber() && type.ToLong() >= 0 && type.ToLong() <= 3; }

const QPixmap& TypePicture(long type) {
    static const QPixmap pictures[] = {TagOnly(), Animal(QColor(60, 150, 60), {}),
                                       Animal(QColor(150, 160, 175), QColor(40, 70, 160)),
                                       Animal(QColor(200, 130, 50), QColor(255, 255, 255))};
    return pictures[type];
}

}  // namespace

// ---- Query and filter ------------------------------------------------------------------------

std::string frmMain::GridFilterSQL() {
    std::string where;
    Trap("GridFilterSQL", kObject, [&] {
        std::vector<std::string> conditions, words;
        if (std::string ids = TickedIDs(lstGroups); !ids.empty()) {
            conditions.push_back(" (Animals.AnimalID IN (SELECT AnimalID FROM GroupLink WHERE GroupID IN (" + ids +
                                 ")))");
            words.push_back("management groups");
        }
        if (std::string ids = TickedIDs(lstLocations); !ids.empty()) {
            // The animal's latest movement of all, future ones included.
            const std::string latest =
                "       AND"
                "           LocationLinkID="
                "           (SELECT LocationLinkID"
                "           FROM LocationLink AS L"
                "           WHERE L.AnimalID=LocationLink.AnimalID"
                "           ORDER BY EventDate DESC, LocationLinkID DESC LIMIT 1"
                "           )"
                "   )"
                " )";
            conditions.push_back(
                " (Animals.AnimalID IN   (SELECT AnimalID   FROM LocationLink   WHERE           "
                "LocationID IN (" +
                ids + ")" + latest);
            words.push_back("locations");
        }
        // "Unknown" (0) also stands for no gender or breed at all.
        if (std::string ids = TickedIDs(lstGenders); !ids.empty()) {
            conditions.push_back(" (COALESCE(Animals.GenderID,0) IN (" + ids + "))");
            words.push_back("genders");
        }
        if (std::string ids = TickedIDs(lstBreeds); !ids.empty()) {
            conditions.push_back(" (COALESCE(Animals.BreedID,0) IN (" + ids + "))");
            words.push_back("breeds");
        }
        std::string filtered;
        for (std::size_t i = 0; i < words.size(); ++i)
            filtered += (i == 0 ? "filtered by " : i + 1 == words.size() ? " and " : ", ") + words[i];
        std::string label;
        if (optCurrent->isChecked() || optGone->isChecked()) {
            conditions.push_back(LatestMovedTo("LocationType") + (optCurrent->isChecked() ? ">=" : "<") + "0");
            label = optCurrent->isChecked() ? " (Current Animals" : " (Gone Animals";
        } else if (optNoLocation->isChecked()) {
            conditions.push_back(
                " NOT EXISTS (SELECT LocationLinkID FROM LocationLink WHERE LocationLink.AnimalID=Animals.AnimalID)");
            label = " (Animals with No Location";
        } else {
            label = " (All Animals";
        }
        mvntGridFilterCaption = label + (filtered.empty() ? "" : " " + filtered) + ")";
        where = " WHERE Species=" + std::to_string(modCommon::Species);
        for (const std::string& condition : conditions) where += " AND " + condition;
    });
    return where;
}

std::string frmMain::GetGridSQL() {
    std::string sql;
    Trap("GetGridSQL", kObject, [&] { sql = GridSQL(""); });
    return sql;
}

// Animals of one tag order are in the order of their keys, as the index on the order gives them.
std::string frmMain::GridSQL(const std::string& within) {
    return " SELECT Animals.AnimalID, AnimalType, TagNumber, iif( EXISTS(SELECT EIDNumber FROM EIDs WHERE "
           "EIDs.AnimalID=Animals.AnimalID),'Yes','No') AS [Has EID], DateOfBirth, TaggingDate, GenderID, "
           "BreedID, " +
           LatestMovedTo("LocationName") +
           " AS LocationName,"
           " Species"
           " FROM"
           "   Animals" +
           GridFilterSQL() + within + " ORDER BY Animals.TagSort, Animals.TagNumber, Animals.AnimalID";
}

Recordset frmMain::GridRows() {
    std::vector<std::string> parts;
    try {
        for (const std::string& within : GridParts(Database().GetConnection(), modCommon::Species))
            parts.push_back(GridSQL(within));
    } catch (const std::exception&) {
        parts.clear();  // the whole query runs, and tells what fails
    }
    return Database().OpenRecordsetInParts(GetGridSQL(), parts);
}

const Recordset& frmMain::mrsAnimalEID() const { return grdAnimals->Rows(); }

long frmMain::AnimalIDFromBookmark(Recordset::Bookmark vntBookmark) {
    long animal = 0;
    Trap("AnimalIDFromBookmark", kObject, [&] {
        mrsGridClone.SetBookmark(vntBookmark);
        animal = static_cast<long>(mrsGridClone.Field("AnimalID").ToLong());
    });
    return animal;
}

// The selected rows are read by their place and the fields' columns, found once: a refresh reads
// every one of 200,000 selected rows.
std::vector<long> frmMain::SelectedAnimalIDs() {
    std::vector<long> animals;
    animals.reserve(grdAnimals->SelBookmarks().size());
    const int id = mrsGridClone.IsOpen() ? mrsGridClone.FieldIndex("AnimalID") : -1;
    for (Recordset::Bookmark bookmark : grdAnimals->SelBookmarks()) {
        const long row = id < 0 ? -1 : mrsGridClone.RowOf(bookmark);
        animals.push_back(row < 0 ? AnimalIDFromBookmark(bookmark)
                                  : static_cast<long>(mrsGridClone.At(row, id).ToLong()));
    }
    return animals;
}

GridAnimals frmMain::SelectedGridAnimals() {
    GridAnimals animals;
    animals.reserve(grdAnimals->SelBookmarks().size());
    const Recordset& rows = mrsGridClone;
    const int id = rows.FieldIndex("AnimalID"), type = rows.FieldIndex("AnimalType"),
              born = rows.FieldIndex("DateOfBirth");
    for (Recordset::Bookmark bookmark : grdAnimals->SelBookmarks()) {
        const long row = rows.RowOf(bookmark);
        if (row < 0) throw RuntimeError::NoCurrentRecord();
        animals.push_back(
            {rows.At(row, id).ToLong(), static_cast<long>(rows.At(row, type).ToLong()), rows.At(row, born)});
    }
    return animals;
}

// ---- Refresh ---------------------------------------------------------------------------------

void frmMain::tmrSetGridRecords_Timer() {
    Trap("tmrSetGridRecords_Timer", kObject, [&] {
        const std::vector<long> selected = SelectedAnimalIDs();
        Recordset rows = GridRows();
        rows.Eof();  // a query that failed stops here, and the grid keeps its rows
        mrsGridClone = rows.Clone();
        grdAnimals->SetRecordset(std::move(rows));
        if (selected.empty() || mrsGridClone.RecordCount() == 0) {
            // No pane goes on with an animal the grid no longer selects.
            if (!selected.empty() || modCommon::GetSingleAnimalID() != 0) modCommon::SetSingleAnimalID(0);
            GetCorrectCount();
            return;
        }
        const int idColumn = mrsAnimalEID().FieldIndex("AnimalID");
        std::unordered_map<long, Recordset::Bookmark> byAnimal;
        byAnimal.reserve(static_cast<std::size_t>(mrsAnimalEID().Rows()));
        for (long row = 0; row < mrsAnimalEID().Rows(); ++row)
            byAnimal.emplace(static_cast<long>(mrsAnimalEID().At(row, idColumn).ToLong()),
                             mrsAnimalEID().BookmarkAt(row));
        long lastFound = 0;
        for (long animal : selected) {
            auto found = byAnimal.find(animal);
            if (found == byAnimal.end()) continue;
            grdAnimals->SelAdd(found->second);
            lastFound = animal;
        }
        modCommon::SetSingleAnimalID(grdAnimals->SelCount() == 1 ? static_cast<int>(lastFound) : 0);
        GetCorrectCount();
    });
}

// ---- Selection -------------------------------------------------------------------------------

void frmMain::grdAnimals_PostEvent(int MsgId) {
    Trap("grdAnimals_PostEvent", kObject, [&] {
        if (MsgId != 1) return;
        if (grdAnimals->SelCount() == 1) {
            const Recordset::Bookmark bookmark = grdAnimals->SelBookmarks().front();
            const int animalID = static_cast<int>(AnimalIDFromBookmark(bookmark));
            // An animal newly selected alone becomes the current row. A click on another row's
            // cell leaves the selection as it was, and that row current for what is typed there.
            if (animalID != modCommon::GetSingleAnimalID()) grdAnimals->SetCurrentRow(mrsAnimalEID().RowOf(bookmark));
            modCommon::SetSingleAnimalID(animalID);
        } else {
            modCommon::SetSingleAnimalID(0);
        }
        UpdateCaptions();
    });
}

void frmMain::cmdSelectAll_Click() {
    Trap("cmdSelectAll_Click", kObject, [&] {
        if (mrsGridClone.RecordCount() == 0) return;
        WaitPointer pointer(this);
        grdAnimals->SelClear();
        for (long row = 0; row < mrsGridClone.Rows(); ++row) grdAnimals->SelAdd(mrsGridClone.BookmarkAt(row));
        grdAnimals->PostMsg(1);
    });
}

void frmMain::cmdDeSelectAll_Click() {
    Trap("cmdDeSelectAll_Click", kObject, [&] {
        grdAnimals->SelClear();
        grdAnimals->PostMsg(1);
    });
}

// ---- Cells -----------------------------------------------------------------------------------

std::string frmMain::AnimalTypeText(const Value& AnimalType) {
    static const char* const texts[] = {"Tag only", "Owned", "Reference", "Borrowed"};
    if (KnownType(AnimalType)) return texts[AnimalType.ToLong()];
    return AnimalType.ToStringOr("");
}

// What the cells show: the type as a picture (its text on the pointer), the tag split at its
// last blank between "Herd"/"Flock" and the unbound "Tag", dates in the keeper's format.
void frmMain::SetGridFormats() {
    RecordsetModel& model = grdAnimals->Model();
    const int type = grdAnimals->ColumnOf("AnimalType");
    const int tag = grdAnimals->ColumnOf("TagNumber");
    // A type that has a picture shows the picture alone; any other value shows itself.
    model.SetShown(type, Qt::DisplayRole, [type](const Recordset& rows, long row) {
        const Value& value = rows.At(row, type);
        return KnownType(value) ? QVariant() : RecordsetModel::ToVariant(value);
    });
    model.SetShown(type, Qt::ToolTipRole, [type](const Recordset& rows, long row) {
        return QVariant(QString::fromStdString(AnimalTypeText(rows.At(row, type))));
    });
    model.SetShown(type, Qt::DecorationRole, [type](const Recordset& rows, long row) {
        const Value& value = rows.At(row, type);
        return KnownType(value) ? QVariant(TypePicture(value.ToLong())) : QVariant();
    });
    model.SetShownPart(tag, tag, TagHead);
    model.SetShownPart(mrsAnimalEID().FieldCount(), tag, TagNumberPart);
    for (const char* field : {"DateOfBirth", "TaggingDate"}) grdAnimals->ShowUserDates(grdAnimals->ColumnOf(field));
}

void frmMain::grdAnimals_BeforeColUpdate(int ColIndex, QVariant& Value, bool& Cancel) {
    Trap("grdAnimals_BeforeColUpdate", kObject, [&] {
        const long row = grdAnimals->CurrentRow();
        if (row < 0 || mrsAnimalEID().At(row, mrsAnimalEID().FieldIndex("AnimalType")).ToLong() == 0) {
            Cancel = true;
            return;
        }
        const std::string field = mrsAnimalEID().FieldName(ColIndex);
        if (field != "DateOfBirth" && field != "TaggingDate") return;
        const std::string typed = Value.toString().toStdString();
        if (typed.empty()) {
            Value = QVariant();
            return;
        }
        auto date = DateTime::FromUserText(typed);
        if (!date) {
            Prompts::MsgBox(typed + " isn't a valid date", Prompts::OKOnly);
            grdAnimals->EditAgain(Value.toString());  // the keeper puts it right where it was typed
            Cancel = true;
            return;
        }
        Value = QString::fromStdString(date->ToText());
    });
}

void frmMain::SetGridValueItems(const std::string& fieldName, const std::string& noneText) {
    Trap("SetGridValueItems", kObject, [&] {
        std::string sql;
        if (fieldName == "GenderID")
            sql = "SELECT GenderID,GenderName FROM Genders WHERE Species=" + std::to_string(modCommon::Species) +
                  " ORDER BY GenderName";
        else if (fieldName == "BreedID")
            sql = "SELECT BreedID,BreedName FROM Breeds WHERE Species=" + std::to_string(modCommon::Species) +
                  " ORDER BY BreedName";
        else return;
        std::vector<DataGrid::ValueItem> items;
        if (!noneText.empty()) items.push_back({Value(0), QString::fromStdString(noneText)});
        Recordset rs = Database().OpenRecordset(sql);
        for (; !rs.Eof(); rs.MoveNext())
            items.push_back({rs.Field(0), QString::fromStdString(rs.Field(1).ToStringOr(""))});
        rs.Close();
        grdAnimals->SetValueItems(grdAnimals->ColumnOf(fieldName), std::move(items));
    });
}

bool frmMain::CanDelete(const QListWidget* list, long id) {
    bool allowed = false;
    Trap("CanDelete", kObject, [&] {
        const SideLists::List which = list == lstGroups      ? SideLists::List::Groups
                                      : list == lstLocations ? SideLists::List::Locations
                                                             : SideLists::List::Genders;
        allowed = !SideLists::IsPermanent(Database().GetConnection(), which, id);
    });
    return allowed;
}

// ---- Right button --------------------------------------------------------------------------

void frmMain::grdAnimals_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    if (Button == Qt::LeftButton) {
        grdAnimals->PostMsg(1);
        return;
    }
    Trap("grdAnimals_MouseUp", kObject, [&] {
        const Qt::KeyboardModifiers keys = Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (keys == Qt::NoModifier) {
            const int chosen =
                ShowPopupListAction({"Print Selected Animals to the Printer", "Print Selected Animals to an HTML file",
                                     "Print All Animals to the Printer", "Print All Animals to an HTML file", "", ""});
            if (chosen >= 0 && chosen <= 3)
                PrintGrid(
                    *grdAnimals,
                    std::string("Animal details for ") + (chosen >= 2 ? "all" : "selected") + " animals in the grid",
                    chosen >= 2 ? 0 : 1, 2, chosen == 1 || chosen == 3);
        } else if (keys == Qt::ShiftModifier) {
            const int chosen = ShowPopupListAction({"Change All SELECTED Tags to be Owned Animals",
                                                    "Change All SELECTED Owned Animals to be Reference Animals",
                                                    "Change All SELECTED Reference Animals to be Owned Animals",
                                                    "Change All SELECTED Reference Animals to be Tags",
                                                    "Change All SELECTED Reference Animals to be Borrowed Animals",
                                                    "Change All SELECTED Borrowed Animals to be Reference Animals"});
            if (chosen >= 0 && chosen <= 5) ChangeAnimalTypes(chosen);
        }
    });
    tmrSetGridRecords_Timer();
}

// Each selected animal of the type the item names changes; all of them or none.
void frmMain::ChangeAnimalTypes(int Index) {
    static const AnimalTypes::Change changes[] = {{0, 1}, {1, 2}, {2, 1}, {2, 0}, {2, 3}, {3, 2}};
    Trap("grdAnimals_MouseUp", kObject, [&] {
        AnimalTypes::ChangeTypes(Database().GetConnection(), changes[Index], SelectedGridAnimals(), modCommon::Species);
    });
}

// ---- Building ------------------------------------------------------------------------------

void frmMain::BuildGrid() {
    grdAnimals = new DataGrid(canvas);
    grdAnimals->setObjectName(QStringLiteral("grdAnimals"));
    DesignGeometry::Place(grdAnimals, {1665, 0, 4530, 2880});
    grdAnimals->BeforeColUpdate = [this](int column, QVariant& value) {
        bool cancel = false;
        grdAnimals_BeforeColUpdate(column, value, cancel);
        return !cancel;
    };
    grdAnimals->Model().SetWriteFailed(TrapHandler("grdAnimals_BeforeColUpdate", kObject));
    connect(grdAnimals, &DataGrid::PostEvent, this, [this](int message) { grdAnimals_PostEvent(message); });
    connect(grdAnimals, &DataGrid::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint) { grdAnimals_MouseUp(button, keys); });
    // The keyboard's selection is taken up as a click's is; its menu key is a right click.
    connect(grdAnimals, &DataGrid::SelectedByKeys, this, [this] { grdAnimals->PostMsg(1); });
    connect(grdAnimals, &DataGrid::MenuKey, this, [this](Qt::KeyboardModifiers keys, QPoint at) {
        PopupByKeys(at, [&] { grdAnimals_MouseUp(Qt::RightButton, keys); });
    });
    connect(cmdSelectAll, &QPushButton::clicked, this, [this] { cmdSelectAll_Click(); });
    connect(cmdDeSelectAll, &QPushButton::clicked, this, [this] { cmdDeSelectAll_Click(); });
    for (QRadioButton* option : {optCurrent, optGone, optNoLocation, optAllAnimals})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on) tmrSetGridRecords_Timer();
        });
}
