#include "register/NotesPane.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/Connection.h"
#include "platform/Prompts.h"
#include "platform/Rtf.h"
#include "platform/Text.h"
#include "register/AnimalNotes.h"
#include "register/PaneWindow.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"

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
        else if (key->key() == Qt::Key_I) change.setFontItalic(!now.fontItalic());
        else if (key->key() == Qt::Key_U) change.setFontUnderline(!now.fontUnderline());
        else return false;
        box_->mergeCurrentCharFormat(change);
        return true;
    }

private:
    QTextEdit* box_;
};

}  // namespace

NotesPane::NotesPane(PaneWindow& window, QGroupBox* frame, int tab) : DetailPane(window, frame, tab) {
    rtbNotes = DesignGeometry::Make<QTextEdit>("rtbNotes", {45, 225, 2760, 4425}, frame);
    new FormatKeys(rtbNotes);
}

void NotesPane::DisplayNote() {
    if (!OnShow()) return;  // the box keeps the note last shown, unchanged, till then
    const bool loaded = Trap("DisplayNote", kObject, [&] {
        rtbNotes->clear();
        rtbNotes->setVisible(window_.AnimalGrid().SelCount() == 1);
        const int animal = modCommon::GetSingleAnimalID();
        if (animal <= 0) return;
        if (const auto unsaved = unsaved_.find(animal); unsaved != unsaved_.end()) {
            if (!unsaved->second.empty()) Rtf::Load(unsaved->second, *rtbNotes->document());
        } else if (const auto note = AnimalNotes::Note(Database().GetConnection(), animal)) {
            Rtf::Load(*note, *rtbNotes->document());
        }
    });
    rtbNotes->setReadOnly(!loaded);
    rtbNotes->document()->setModified(false);
}

// The box's note joins those not saved yet, and all are written. Any failure but a database in
// use is logged and shown as usual, and the notes wait for the next save.
bool NotesPane::Save() {
    bool goOn = true;
    Trap("SaveNote", kObject, [&] {
        const int animal = modCommon::GetSingleAnimalID();
        if (animal > 0 && rtbNotes->document()->isModified()) {
            unsaved_[animal] = rtbNotes->toPlainText().isEmpty() ? "" : Rtf::Write(*rtbNotes->document());
            rtbNotes->document()->setModified(false);
        }
        goOn = WriteUnsaved();
    });
    return goOn;
}

bool NotesPane::SaveBeforeClosing() {
    if (!Save()) return false;
    if (unsaved_.empty()) return true;
    const bool close =
        Prompts::MsgBox("The note you typed has not been saved, and it will be lost if Kelvo closes now." + CRLF +
                            "Do you want to close Kelvo anyway?",
                        Prompts::YesNo | Prompts::Exclamation | Prompts::DefaultButton2,
                        "Note Not Saved") == Prompts::Yes;
    if (close) unsaved_.clear();  // let go, so that the window's unloading does not try and fail again
    return close;
}

// Writes the notes not saved yet, each leaving the list as it is written; false when the
// database is in use and the keeper chose to keep them for later.
bool NotesPane::WriteUnsaved() {
    for (;;) {
        try {
            for (auto note = unsaved_.begin(); note != unsaved_.end(); note = unsaved_.erase(note))
                AnimalNotes::Save(Database().GetConnection(), note->first, note->second);
            return true;
        } catch (const RuntimeError& failure) {
            if (!failure.InUse() || TrapAction::EndedBy()) throw;  // told already, or not in use
            if (Prompts::MsgBox("Your Kelvo database is in use by another program, so the note you typed cannot "
                                "be saved now." +
                                    CRLF +
                                    "Close the other program and choose Retry, or choose Cancel to keep the note "
                                    "and save it later.",
                                Prompts::RetryCancel | Prompts::Exclamation, "Database In Use") == Prompts::Retry)
                continue;
            // The rest of the keeper's action meets the lock at once, and says nothing more.
            TrapAction::Meets(failure);
            modCommon::LogError(failure, "SaveNote", kObject, false);
            return false;
        }
    }
}
