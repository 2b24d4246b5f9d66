// Tag search: the animals with a typed tag, number part of a tag or EID are added to the
// grid's selection.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <unordered_map>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "register/TagSearch.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"

namespace {

const char* const kObject = "frmMain";

std::string Plural(long count, const char* many, const char* one = "") { return count > 1 ? many : one; }

std::string ResultMessage(const std::string& search, long selected, long hidden) {
    const std::string s = std::to_string(selected), h = std::to_string(hidden);
    if (selected == 0 && hidden == 0) return "You have no animals with a tag of " + search + ".";
    if (selected >= 1 && hidden >= 1)
        return s + " animal" + Plural(selected, "s") + " selected. \r\nYou also have " + h + " animal" +
               Plural(hidden, "s") + " with this tag that " + Plural(hidden, "are", "is") +
               " not currently displayed in the grid.";
    if (selected == 0)
        return h + " animal" + Plural(hidden, "s") + " with this tag exist" + Plural(hidden, "", "s") +
               " in your records but " + Plural(hidden, "they are", "it is") + " not currently displayed in the grid.";
    return selected >= 2 ? s + " animals selected." : "";
}

}  // namespace

// Enter searches; anything else typed shows in capitals.
bool frmMain::TagSearchKey(QObject* watched, QEvent* event) {
    if (watched != txbTagSearch || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    int KeyAscii = 0;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) KeyAscii = 13;
    else if (key->text().size() == 1) KeyAscii = key->text().at(0).unicode();
    if (KeyAscii == 0) return false;
    const int typed = KeyAscii;
    txbTagSearch_KeyPress(KeyAscii);
    if (KeyAscii == typed) return false;
    txbTagSearch->insert(QString(QChar(KeyAscii)));
    return true;
}

void frmMain::txbTagSearch_KeyPress(int& KeyAscii) {
    const std::string search = txbTagSearch->text().toStdString();
    if (KeyAscii == 13 && !TrimBlanks(search).empty()) {
        SearchTag(search);
        return;
    }
    if (KeyAscii != 13) KeyAscii = QChar(static_cast<char16_t>(KeyAscii)).toUpper().unicode();
}

void frmMain::SearchTag(const std::string& search) {
    Trap("txbTagSearch_KeyPress", kObject, [&] {
        long selected = 0, hidden = 0;
        const TagSearch::Found found = TagSearch::Find(modCommon::Database().GetConnection(), search);
        if (found.byEID) txbTagSearch->clear();
        // The grid's rows by animal, made once for all the rows found.
        std::unordered_map<long, long> gridRow;
        const int idColumn = mrsAnimalEID().FieldIndex("AnimalID");
        if (!found.animals.empty())
            for (long row = 0; row < mrsAnimalEID().Rows(); ++row)
                gridRow.emplace(static_cast<long>(mrsAnimalEID().At(row, idColumn).ToLong()), row);
        for (long animal : found.animals) {
            const auto shown = gridRow.find(animal);
            if (shown == gridRow.end()) {
                ++hidden;
                continue;
            }
            ++selected;
            grdAnimals->SelAdd(mrsAnimalEID().BookmarkAt(shown->second));
            grdAnimals->SetCurrentRow(shown->second);
        }
        grdAnimals->PostMsg(1);
        QCoreApplication::processEvents();
        const std::string message = ResultMessage(search, selected, hidden);
        if (!message.empty()) Prompts::MsgBox(message, Prompts::OKOnly, "Animal Selection Result");
    });
}
