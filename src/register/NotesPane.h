#pragma once
#include "register/DetailPane.h"

class QTextEdit;

// The notes tab: the note of the single animal shown, kept as rich text in Notes.Note.
//
// The box remembers whether the keeper has changed it since it was filled: only a changed note
// is written back, so a note that failed to load (an empty box) or that is shown as text
// because its rich text is damaged is never overwritten or deleted by merely moving on, and an
// animal removed meanwhile never gets its note back as an orphan row.
class NotesPane : public DetailPane {
public:
    NotesPane(PaneWindow& window, QGroupBox* frame, int tab);

    QTextEdit* rtbNotes;

    void Display() override { DisplayNote(); }
    void DisplayNote();
    void SaveNote();
};
