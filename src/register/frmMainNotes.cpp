// The notes tab: the note of the single animal shown, kept as rich text in Notes.Note.
//
// The box remembers whether the keeper has changed it since it was filled: only a changed note
// is written back, so a note that failed to load (an empty box) or that is shown as text
// because its rich text is damaged is never overwritten or deleted by merely moving on, and an
// animal removed meanwhile never gets its note back as an orphan row.
#include <QGroupBox>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/DataGrid.h"
#include "platform/Rtf.h"
#include "register/frmMain.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

// Ctrl+B, Ctrl+I and Ctrl+U switch bold, italic and underline of the selection or of what is
// typed next, as in any rich-text box.
class FormatKeys : public QObject {
public:
    explicit FormatKeys(QTextEdit* box) : QObject(box), box_(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != box_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
        const QTextCharFormat now = box_->currentCharFormat();
        QTextCharFormat change;
        if (key->key() == Qt::Key_B)
            change.setFontWeight(now.fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
        else if (key->key() == Qt::Key_I)
            change.setFontItalic(!now.fontItalic());
        else if (key->key() == Qt::Key_U)
            change.setFontUnderline(!now.fontUnderline());
        else
            return false;
        box_->mergeCurrentCharFormat(change);
        return true;
    }

private:
    QTextEdit* box_;
};

}  // namespace

void frmMain::BuildNotePane() {
    rtbNotes = Make<QTextEdit>("rtbNotes", {45, 225, 2760, 4425}, fraTab[9]);
    new FormatKeys(rtbNotes);
}

void frmMain::DisplayNote() {
    if (!PaneOnShow(kNotesTab)) return;  // the box keeps the note last shown, unchanged, till then
    Trap("DisplayNote", kObject, [&] {
        rtbNotes->clear();
        rtbNotes->setVisible(grdAnimals->SelCount() == 1);
        const int animal = modCommon::GetSingleAnimalID();
        if (animal <= 0) return;
        Recordset rs = Database().OpenRecordset("SELECT Note FROM Notes WHERE AnimalId=" + std::to_string(animal));
        if (!rs.Eof()) Rtf::Load(rs.Field("Note").ToString(), *rtbNotes->document());
    });
    rtbNotes->document()->setModified(false);
}

void frmMain::SaveNote() {
    Trap("SaveNote", kObject, [&] {
        const int animal = modCommon::GetSingleAnimalID();
        if (animal <= 0 || !rtbNotes->document()->isModified()) return;
        const std::string id = std::to_string(animal);
        if (Database().OpenRecordset("SELECT AnimalID FROM Animals WHERE AnimalID=" + id).Eof()) return;
        if (rtbNotes->toPlainText().isEmpty()) {
            Database().Execute("DELETE FROM Notes WHERE AnimalID=" + id);
        } else {
            // The key comes along so that the row found can be written back.
            Recordset rs = Database().OpenRecordset("SELECT RecordID, AnimalID, Note FROM Notes WHERE AnimalID=" + id);
            if (rs.Eof()) {
                rs.AddNew();
                rs.SetField("AnimalID", Value(animal));
            }
            rs.SetField("Note", Value(Rtf::Write(*rtbNotes->document())));
            rs.Update();
        }
        rtbNotes->document()->setModified(false);
    });
}
