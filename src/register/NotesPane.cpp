#include "register/NotesPane.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/Connection.h"
#include "platform/Rtf.h"
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
    Trap("DisplayNote", kObject, [&] {
        rtbNotes->clear();
        rtbNotes->setVisible(window_.AnimalGrid().SelCount() == 1);
        const int animal = modCommon::GetSingleAnimalID();
        if (animal <= 0) return;
        if (const auto note = AnimalNotes::Note(Database().GetConnection(), animal))
            Rtf::Load(*note, *rtbNotes->document());
    });
    rtbNotes->document()->setModified(false);
}

void NotesPane::SaveNote() {
    Trap("SaveNote", kObject, [&] {
        const int animal = modCommon::GetSingleAnimalID();
        if (animal <= 0 || !rtbNotes->document()->isModified()) return;
        AnimalNotes::Save(Database().GetConnection(), animal,
                          rtbNotes->toPlainText().isEmpty() ? "" : Rtf::Write(*rtbNotes->document()));
        rtbNotes->document()->setModified(false);
    });
}
