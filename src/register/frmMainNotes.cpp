// The notes tab: the note of the single animal shown, kept as rich text in Notes.Note.
//
// The box remembers whether the keeper has changed it since it was filled: only a changed note
// is written back, so a note that failed to load (an empty box) or that is shown as text
// because its rich text is damaged is never overwritten or deleted by merely moving on, and an
// animal removed meanwhile never gets its note back as an orphan row.
#include <QGroupBox>
#include <QShortcut>
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
void AddFormatKeys(QTextEdit* box) {
    const std::pair<QKeySequence, void (*)(QTextCharFormat&, const QTextCharFormat&)> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_B),
         [](QTextCharFormat& f, const QTextCharFormat& now) {
             f.setFontWeight(now.fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
         }},
        {QKeySequence(Qt::CTRL | Qt::Key_I),
         [](QTextCharFormat& f, const QTextCharFormat& now) { f.setFontItalic(!now.fontItalic()); }},
        {QKeySequence(Qt::CTRL | Qt::Key_U),
         [](QTextCharFormat& f, const QTextCharFormat& now) { f.setFontUnderline(!now.fontUnderline()); }},
    };
    for (const auto& [key, change] : keys) {
        auto* shortcut = new QShortcut(key, box);
        shortcut->setContext(Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, box, [box, change = change] {
            QTextCharFormat format;
            change(format, box->currentCharFormat());
            box->mergeCurrentCharFormat(format);
        });
    }
}

}  // namespace

void frmMain::BuildNotePane() {
    rtbNotes = Make<QTextEdit>("rtbNotes", {45, 225, 2760, 4425}, fraTab[9]);
    AddFormatKeys(rtbNotes);
}

void frmMain::DisplayNote() {
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
