// The four side lists (groups, locations, genders, breeds): filling them, their pop-up menu,
// and putting the selected animals in or out of an entry, creating, editing and deleting
// entries.
#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTimer>

#include <optional>
#include <set>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Connection.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "register/EntryNames.h"
#include "register/SideLists.h"
#include "register/frmLocation.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WindowRules.h"

namespace {

const char* const kObject = "frmMain";
using modCommon::Database;

using SideLists::List;

std::string Species() { return std::to_string(modCommon::Species); }

std::string LowerKind(List list) { return LowerAscii(SideLists::TableOf(list).kind); }

// Asks for an entry's name until `store` has stored it, offering what the keeper typed again
// after a refusal; "" when the keeper cancels (or, `trimmed`, answers blanks alone). `store`
// writes the name unless other entries have it and gives how many do.
std::string AskName(List list, const std::string& prompt, const std::string& title, std::string typed, bool trimmed,
                    const std::function<long(const std::string&)>& store) {
    for (;;) {
        typed = Prompts::InputBox(prompt, title, typed);
        const std::string name = trimmed ? TrimBlanks(typed) : typed;
        if (name.empty() || EntryNames::Accept(LowerKind(list), name, [&] { return store(name); })) return name;
    }
}

// A permanent group or location is neither edited nor deleted: the keeper is told so, under
// `title` with the kind's word for "%s".
bool RefusedAsPermanent(List list, long id, const std::string& name, const std::string& verb, std::string title) {
    if (!SideLists::IsPermanent(Database().GetConnection(), list, id)) return false;
    title.replace(title.find("%s"), 2, SideLists::TableOf(list).kind);
    Prompts::MsgBox("'" + name + "' is a permanent " + LowerKind(list) + " and cannot be " + verb, Prompts::OKOnly,
                    title);
    return true;
}

List ListOf(const frmMain& form, const QListWidget* list) {
    if (list == form.lstGroups) return List::Groups;
    if (list == form.lstLocations) return List::Locations;
    if (list == form.lstGenders) return List::Genders;
    return List::Breeds;
}

}  // namespace

// ---- Filling ---------------------------------------------------------------------------------

void frmMain::FillListbox(QListWidget* list, const std::string& strSQL) {
    Trap("FillListbox", kObject, [&] {
        Recordset rs = Database().OpenRecordset(strSQL);
        rs.Eof();  // a query that failed stops here, and the list keeps its entries
        list->clear();
        auto add = [&](const QString& text, long long key) {
            auto* item = new QListWidgetItem(text, list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            item->setData(Qt::UserRole, key);
        };
        if (list == lstGenders || list == lstBreeds) add(QStringLiteral("Unknown"), 0);
        for (; !rs.Eof(); rs.MoveNext()) add(QString::fromStdString(rs.Field(0).ToStringOr("")), rs.Field(1).ToLong());
        rs.Close();
        list->setCurrentRow(-1);
    });
    ResizeTabFrame();  // the list as wide as its entries
}

// Permanent rows first, in the order of their keys as numbers, then the others by name.
void frmMain::DisplayGroups() {
    FillListbox(
        lstGroups,
        "SELECT GroupName, GroupID FROM Groups ORDER BY iif(Permanent,0,1), iif(Permanent,GroupID,0), GroupName");
}

void frmMain::DisplayLocations() {
    FillListbox(lstLocations,
                "SELECT LocationName, LocationID FROM locations WHERE Active ORDER BY iif(Permanent,0,1), "
                "iif(Permanent,LocationID,0), LocationName");
}

void frmMain::DisplayGenders(bool updateGrid) {
    FillListbox(lstGenders,
                "SELECT GenderName, GenderID FROM Genders WHERE Species=" + Species() + " ORDER BY GenderName");
    if (updateGrid) SetGridValueItems("GenderID", "Unknown");
}

void frmMain::RedisplayGenders() {
    std::set<long long> ticked;
    for (int i = 0; i < lstGenders->count(); ++i)
        if (lstGenders->item(i)->checkState() == Qt::Checked)
            ticked.insert(lstGenders->item(i)->data(Qt::UserRole).toLongLong());
    DisplayGenders(true);
    for (int i = 0; i < lstGenders->count(); ++i)
        if (ticked.count(lstGenders->item(i)->data(Qt::UserRole).toLongLong()))
            lstGenders->item(i)->setCheckState(Qt::Checked);
}

void frmMain::DisplayBreeds(bool updateGrid) {
    FillListbox(lstBreeds, "SELECT BreedName, BreedID FROM Breeds WHERE Species=" + Species() + " ORDER BY BreedName");
    if (updateGrid) SetGridValueItems("BreedID", "Unknown");
}

// Refills a list; for genders and breeds the grid's drop-down lists too.
void frmMain::DisplayList(QListWidget* list) {
    if (list == lstGroups) DisplayGroups();
    else if (list == lstLocations) DisplayLocations();
    else if (list == lstGenders) DisplayGenders(true);
    else DisplayBreeds(true);
}

// ---- The pop-up menu -----------------------------------------------------------------------

void frmMain::PopupListAction_Click(int Index) { popupChoice_ = Index; }

int frmMain::ShowPopupListAction(const std::array<std::string, 6>& Captions) {
    for (std::size_t i = 0; i < Captions.size(); ++i) {
        PopupListAction[i]->setText(WindowRules::AsTyped(Captions[i]));  // the names in them as typed
        PopupListAction[i]->setVisible(!Captions[i].empty());
    }
    popupChoice_ = -1;
    mnuPopupListAction->exec(popupByKeysAt_.value_or(QCursor::pos()));
    return popupChoice_;
}

void frmMain::PopupByKeys(QPoint at, const std::function<void()>& popup) {
    popupByKeysAt_ = at;
    const auto done = qScopeGuard([this] { popupByKeysAt_.reset(); });
    popup();
}

void frmMain::ListMouseUpHandler(QListWidget* list, Qt::MouseButton Button, QPoint Position) {
    Trap("ListMouseUpHandler", kObject, [&] {
        const QListWidgetItem* entry = list->itemAt(Position);
        const long key = entry ? entry->data(Qt::UserRole).toLongLong() : 0;
        const std::string name = entry ? entry->text().toStdString() : "";
        if (Button != Qt::RightButton) {
            if (Button == Qt::LeftButton && entry) tmrSetGridRecords_Timer();
            return;
        }
        const std::string kind = SideLists::TableOf(ListOf(*this, list)).kind;
        std::array<std::string, 6> captions;
        captions[2] = "Create a New " + kind;
        if (entry) {
            if (list == lstLocations && SideLists::IsRemovalLocation(Database().GetConnection(), key))
                captions[0] = "Permanently delete all selected animals from your records";
            const std::string named = kind + " '" + name + "'";
            if (captions[0].empty()) {
                captions[0] = "Assign Selected Animals to the " + named;
                captions[1] = "Remove Selected Animals from the " + named;
            }
            if (CanDelete(list, key)) {
                captions[3] = "Edit the Details of the " + named;
                captions[4] = "Delete the " + named;
            }
        }
        switch (ShowPopupListAction(captions)) {
            case 0: Assign(list, key, name); break;
            case 1: Deassign(list, key, name); break;
            case 2: CreateNew(list); break;
            case 3: EditEntry(list, key, name); break;
            case 4: Remove(list, key, name); break;
            default: break;
        }
    });
}

// ---- Putting the selected animals in and out --------------------------------------------------

// Hands the selected animals, in the order of the selection, to `work` once, with the window
// disabled and the progress frame counting the steps it reports; then refreshes the grid. A
// failure undoes what `work` does all or nothing and is logged under `procedure`.
void frmMain::ActOnSelected(const char* procedure, const std::string& caption, const SelectedAction& work) {
    const auto cleanUp = qScopeGuard([this] { EndSelectedAction(); });
    Trap(procedure, kObject, [&] {
        if (grdAnimals->SelCount() == 0) return;
        setEnabled(false);
        const long total = grdAnimals->SelCount();
        InitialiseProgressbar(total, caption);
        // The bar is drawn again as its share grows by a hundredth, not for each of 200,000 animals.
        long done = 0;
        work(SelectedGridAnimals(), [&] {
            TrapAction::ThrowIfEnded();  // the database failed as a whole: no animal after it
            ++done;
            if (done * 100 / total != (done - 1) * 100 / total) pbrProgress->setValue(static_cast<int>(done));
        });
        pbrProgress->setValue(static_cast<int>(done));
        tmrSetGridRecords_Timer();
    });
}

void frmMain::EndSelectedAction() {
    fraProgress->hide();
    setEnabled(true);
}

// The selected animals put in or taken out of a group, gender or breed by `unit`, with the
// captions of the two: `groupCaption` for a group, `otherCaption` with the kind's word for the others.
Missing frmMain::InOrOutOfEntry(const char* procedure, QListWidget* list, long id, const EntryAction& unit,
                                const std::string& groupCaption,
                                const std::function<std::string(const std::string&)>& otherCaption) {
    const List which = ListOf(*this, list);
    Missing missing;
    ActOnSelected(procedure, which == List::Groups ? groupCaption : otherCaption(LowerKind(which)),
                  [&](const GridAnimals& animals, const ActionStep& step) {
                      missing = unit(Database().GetConnection(), which, id, animals, step);
                  });
    return missing;
}

// What an action found gone from the register when it ran is told once the action has ended;
// an entry gone leaves its list.
void frmMain::TellMissing(QListWidget* list, const std::string& name, const Missing& missing) {
    if (missing.entry) {
        Prompts::MsgBox("The " + LowerKind(ListOf(*this, list)) + " '" + name +
                            "' is no longer in your records, so nothing has been recorded.",
                        Prompts::OKOnly | Prompts::Information, "No Longer Recorded");
        DisplayList(list);
    } else if (missing.animals > 0) {
        Prompts::MsgBox(AnimalsGoneMessage(missing.animals), Prompts::OKOnly | Prompts::Information,
                        "No Longer Recorded");
    }
}

void frmMain::Assign(QListWidget* list, long id, const std::string& name) {
    if (list == lstLocations) return AssignToLocation(id, name);
    TellMissing(list, name,
                InOrOutOfEntry("Assign", list, id, SideLists::Assign,
                               "Adding the selected animals to '" + name + "'...", [&](const std::string& kind) {
                                   return "Giving the selected animals the " + kind + " '" + name + "'...";
                               }));
}

void frmMain::Deassign(QListWidget* list, long id, const std::string& name) {
    if (list == lstLocations) return DeassignFromLocation(id, name);
    TellMissing(list, name,
                InOrOutOfEntry("Deassign", list, id, SideLists::Deassign,
                               "Removing selected animals from group '" + name + "'...", [&](const std::string& kind) {
                                   return "Removing " + kind + " '" + name + "' from selected animals...";
                               }));
}

// ---- Creating, editing and deleting entries ---------------------------------------------------

void frmMain::CreateNew(QListWidget* list) {
    Trap("CreateNew", kObject, [&] {
        if (list == lstLocations) {
            modCommon::EditLocationID = 0;
            frmLocation::ShowModal(this);
            DisplayList(list);
            return;
        }
        const List which = ListOf(*this, list);
        const std::string answer = AskName(
            which, "Enter the new " + LowerKind(which) + " name",
            "New " + std::string(SideLists::TableOf(which).kind) + " Name", "", false, [&](const std::string& name) {
                return SideLists::Create(Database().GetConnection(), which, name, modCommon::Species);
            });
        if (answer.empty()) return;
        DisplayList(list);
    });
}

void frmMain::EditEntry(QListWidget* list, long id, const std::string& name) {
    Trap("ListMouseUpHandler", kObject, [&] {
        const List which = ListOf(*this, list);
        Connection& db = Database().GetConnection();
        if (RefusedAsPermanent(which, id, name, "edited", "Cannot Edit Permanent %s Names")) return;
        if (list == lstLocations) {
            modCommon::EditLocationID = static_cast<int>(id);
            frmLocation::ShowModal(this);
            const std::optional<SideLists::Location> edited = SideLists::ReadLocation(db, id);
            if (!edited || edited->name.empty()) return;
        } else {
            long renamed = 0;
            const std::string answer =
                AskName(which, "Edit the " + LowerKind(which) + "'s name and click OK to change the name",
                        std::string(SideLists::TableOf(which).kind) + " Name Editor", name, true,
                        [&](const std::string& typed) {
                            const SideLists::Named named = SideLists::Rename(db, which, id, typed, modCommon::Species);
                            renamed = named.rows;
                            return named.others;
                        });
            if (answer.empty() || renamed != 1) return;
        }
        DisplayList(list);
        tmrSetGridRecords_Timer();
    });
}

void frmMain::Remove(QListWidget* list, long id, const std::string& name) {
    Trap("Remove", kObject, [&] {
        const List which = ListOf(*this, list);
        Connection& db = Database().GetConnection();
        if (RefusedAsPermanent(which, id, name, "deleted", "Cannot Delete Permanent %ss")) return;
        const std::string head = which == List::Groups      ? "There are animals still assigned to"
                                 : which == List::Locations ? "There are/have been animals at"
                                                            : "There are animals with " + LowerKind(which);
        if (SideLists::AnimalsIn(db, which, id, modCommon::Species) > 0 &&
            Prompts::MsgBox(head + " '" + name + "'.\r\nAre you sure you want to remove " + name + "?",
                            Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2,
                            "Confirm '" + name + "' Removal") == Prompts::No)
            return;
        SideLists::Remove(db, which, id, modCommon::Species);
        DisplayList(list);
        tmrSetGridRecords_Timer();
    });
}

// ---- Building --------------------------------------------------------------------------------

void frmMain::BuildLists() {
    const std::pair<QListWidget**, const char*> lists[] = {{&lstGroups, "lstGroups"},
                                                           {&lstLocations, "lstLocations"},
                                                           {&lstGenders, "lstGenders"},
                                                           {&lstBreeds, "lstBreeds"}};
    for (std::size_t i = 0; i < 4; ++i) {
        QListWidget* list = *lists[i].first = new QListWidget(fraTab[i]);
        list->setObjectName(QString::fromLatin1(lists[i].second));
        DesignGeometry::Place(list, {75, 225, 2760, 4425});
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
    }
    mnuPopupListAction = new QMenu(QStringLiteral("PopupListAction"), this);
    mnuPopupListAction->setObjectName(QStringLiteral("mnuPopupListAction"));
    for (int i = 0; i < 6; ++i) {
        PopupListAction[i] = mnuPopupListAction->addAction(QString());
        PopupListAction[i]->setObjectName(QStringLiteral("PopupListAction_%1").arg(i));
        connect(PopupListAction[i], &QAction::triggered, this, [this, i] { PopupListAction_Click(i); });
    }
}

// A list's mouse-up is handled once the list has finished with the click, so that a tick the
// click made is in place when the grid is refreshed.
void frmMain::ListMouseUp(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return;
    for (QListWidget* list : {lstGroups, lstLocations, lstGenders, lstBreeds}) {
        if (watched != list->viewport()) continue;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::MouseButton button = mouse->button();
        const QPoint position = mouse->position().toPoint();
        QTimer::singleShot(0, this, [this, list, button, position] { ListMouseUpHandler(list, button, position); });
    }
}

// The Menu key or Shift+F10 in a list: its pop-up menu for the focused entry, as a right click
// on it gives, or for no entry (to create one) when none has the focus.
bool frmMain::ListMenuKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !WindowRules::IsMenuKey(*static_cast<QKeyEvent*>(event))) return false;
    for (QListWidget* list : {lstGroups, lstLocations, lstGenders, lstBreeds}) {
        if (watched != list) continue;
        const QListWidgetItem* entry = list->currentItem();
        const QPoint point = entry ? list->visualItemRect(entry).center() : QPoint(-1, -1);
        PopupByKeys(list->viewport()->mapToGlobal(entry ? point : QPoint(0, 0)),
                    [&] { ListMouseUpHandler(list, Qt::RightButton, point); });
        return true;
    }
    return false;
}
