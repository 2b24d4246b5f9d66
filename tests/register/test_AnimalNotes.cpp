// Notes stored and read without the main window.
#include "fixtures/RegisterFixture.h"
#include "register/AnimalNotes.h"

using AnimalNotesTest = RegisterTest;

TEST_F(AnimalNotesTest, OneNotePerAnimalTheFirstRowWinsEmptyRemovesAndNoOrphans) {
    EXPECT_EQ(AnimalNotes::Note(Db(), 1), std::nullopt);
    AnimalNotes::Save(Db(), 1, "{\\rtf1 a}");
    AnimalNotes::Save(Db(), 1, "{\\rtf1 b}");
    EXPECT_EQ(Rows("SELECT Note FROM Notes WHERE AnimalID=1"), "{\\rtf1 b}");

    Db().Execute("INSERT INTO Notes (AnimalID, Note) VALUES (2, 'first'), (2, 'second')");
    AnimalNotes::Save(Db(), 2, "new");
    EXPECT_EQ(Rows("SELECT Note FROM Notes WHERE AnimalID=2 ORDER BY RecordID"), "new,second");
    EXPECT_EQ(AnimalNotes::Note(Db(), 2), "new");
    AnimalNotes::Save(Db(), 2, "");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Notes WHERE AnimalID=2"), "0");

    AnimalNotes::Save(Db(), 99, "no such animal");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Notes WHERE AnimalID=99"), "0");
    Db().Execute("INSERT INTO Notes (AnimalID, Note) VALUES (3, NULL)");
    EXPECT_THROW(AnimalNotes::Note(Db(), 3), RuntimeError);
}
