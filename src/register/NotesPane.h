#pragma once
#include <map>
#include <string>

#include "register/DetailPane.h"

class QTextEdit;

// The notes tab: the note of the single animal shown, kept as rich text in Notes.Note.
//
// The box remembers whether the keeper has changed it since it was filled: only a changed note
// is written back, so a note that failed to load (an empty box) or that is shown as text
// because its rich text is damaged is never overwritten or deleted by merely moving on, and an
// animal removed meanwhile never gets its note back as an orphan row. A box whose note would not
// load takes no typing, which would replace the note it did not show.
//
// A changed note that the database does not take (another program holds it) is never lost: it
// stays with its animal, is shown when the animal is, and is written at the next save (the next
// change of animal, the window's closing, or the keeper's Retry).
class NotesPane : public DetailPane {
public:
    NotesPane(PaneWindow& window, QGroupBox* frame, int tab);

    QTextEdit* rtbNotes;

    void Display() override { DisplayNote(); }
    void DisplayNote();
    void SaveNote() { Save(); }
    // Saves as the window closes: false when a note could not be saved (the database in use, or
    // any other failure, already told) and the keeper chose to keep it, and the window with it,
    // rather than leave it behind.
    bool SaveBeforeClosing();

private:
    std::map<int, std::string> unsaved_;  // by AnimalID, the rich text ("" empties the note)
    bool Save();
    bool WriteUnsaved();
};
