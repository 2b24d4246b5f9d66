// The side lists: their order, the pop-up menu's items, and every list action with its
// questions, all or nothing.
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTextEdit>

#include <array>

#include "widgets/TabControl.h"

#include "fixtures/RegisterFixture.h"

namespace {

using Texts = std::vector<std::string>;

class ListsTest : public RegisterTest {
protected:
    Texts Entries(QListWidget* list) {
        Texts texts;
        for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
        return texts;
    }
    // A right click on an entry ("" = below the last one), choosing `item` from the menu.
    void RightClick(QListWidget* list, const std::string& entry, const std::string& item) {
        NextPopup(item);
        Form().ListMouseUpHandler(list, Qt::RightButton, PointOf(list, entry));
    }
    std::string Members(long group) {
        return Rows("SELECT AnimalID FROM GroupLink WHERE GroupID=" + std::to_string(group) + " ORDER BY rowid");
    }
    std::string Column(const std::string& column) {
        return Rows("SELECT ifnull(" + column + ",'-') FROM Animals WHERE Species=2 ORDER BY AnimalID");
    }
};

}  // namespace

TEST_F(ListsTest, ListsHoldTheirRowsInOrderWithTheirKeys) {
    frmMain& form = Open();
    EXPECT_EQ(Entries(form.lstGroups), (Texts{"Last Import", "New Animals", "Zeta", "apple", "Flock A"}))
        << "permanent groups by key as a number, then by name";
    EXPECT_EQ(Entries(form.lstLocations),
              (Texts{"Removed from Records", "Dead", "Holding", "Abattoir", "Market", "Top Field"}));
    EXPECT_EQ(Entries(form.lstGenders), (Texts{"Unknown", "Ewe", "Ram"}));
    EXPECT_EQ(Entries(form.lstBreeds), (Texts{"Unknown", "Suffolk", "Texel"}));
    EXPECT_EQ(Entry(form.lstGroups, "Zeta")->data(Qt::UserRole).toLongLong(), kZeta);
    EXPECT_EQ(Entry(form.lstGenders, "Unknown")->data(Qt::UserRole).toLongLong(), 0);
    EXPECT_EQ(Entry(form.lstGenders, "Unknown")->checkState(), Qt::Unchecked);

    EXPECT_FALSE(form.CanDelete(form.lstGroups, 1));
    EXPECT_TRUE(form.CanDelete(form.lstGroups, 999)) << "a group that is not there";
    EXPECT_TRUE(form.CanDelete(form.lstLocations, kMarket));
    EXPECT_FALSE(form.CanDelete(form.lstLocations, 3));
    EXPECT_TRUE(form.CanDelete(form.lstBreeds, kTexel));
}

TEST_F(ListsTest, EachListShowsItsLongestEntryWholeAndTheHelpGivesWay) {
    Db().Execute(
        "INSERT INTO Groups (GroupName) VALUES ('20240615120000 Stick Group 1');"
        "INSERT INTO Locations (LocationName, LocationType, Active) VALUES ('The long meadow by the river', 1, 1);"
        "INSERT INTO Breeds (BreedName, Species) VALUES ('North Country Cheviot Hill', 2)");
    frmMain& form = Open();
    form.show();
    for (int tab : {0, 1, 3}) {
        ShowTab(tab);
        QListWidget* list = std::array{form.lstGroups, form.lstLocations, form.lstGenders, form.lstBreeds}[tab];
        QCoreApplication::processEvents();
        EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0)) << tab;
        EXPECT_GE(form.rtbHelp->x(), list->x() + list->width()) << tab;
    }
}

TEST_F(ListsTest, PopUpMenuOffersWhatTheEntryAllows) {
    frmMain& form = Open();
    RightClick(form.lstGroups, "", "");
    EXPECT_EQ(popupShown, Texts{"Create a New Group"});
    RightClick(form.lstGroups, "Last Import", "");
    EXPECT_EQ(popupShown, (Texts{"Assign Selected Animals to the Group 'Last Import'",
                                 "Remove Selected Animals from the Group 'Last Import'", "Create a New Group"}));
    RightClick(form.lstGenders, "Unknown", "");
    EXPECT_EQ(popupShown, (Texts{"Assign Selected Animals to the Gender 'Unknown'",
                                 "Remove Selected Animals from the Gender 'Unknown'", "Create a New Gender",
                                 "Edit the Details of the Gender 'Unknown'", "Delete the Gender 'Unknown'"}));
    // The shipped register offers the removal location as it is.
    Select({"UK0123456 00010"});
    prompts.Answer(Prompts::Yes);
    RightClick(form.lstLocations, "Removed from Records", "Permanently delete all selected animals from your records");
    EXPECT_EQ(popupShown,
              (Texts{"Permanently delete all selected animals from your records", "Create a New Location"}));
    EXPECT_EQ(prompts.shown().back().title, "Confirm Animal Deletion");
    EXPECT_EQ(prompts.shown().back().style, Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2);
    EXPECT_EQ(Scalar("SELECT count(*) FROM Animals WHERE TagNumber='UK0123456 00010'"), "0");

    // A location's item asks for the move's date; Cancel records nothing.
    Select({"ABC"});
    prompts.CancelInput();
    RightClick(form.lstLocations, "Market", "Assign Selected Animals to the Location 'Market'");
    EXPECT_EQ(prompts.shown().back().title, "Enter Date");
    EXPECT_EQ(Scalar("SELECT Count(*) FROM LocationLink"), "8");
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(ListsTest, AssignAndDeassignWorkOnTheSelectedAnimals) {
    frmMain& form = Open();
    RightClick(form.lstGenders, "Ewe", "Assign Selected Animals to the Gender 'Ewe'");  // nothing selected
    EXPECT_EQ(Column("GenderID"), "1,2,-,1,0,-,2");
    EXPECT_TRUE(prompts.shown().empty());

    Select({"UK0123456 00005", "UK0123456 00002"});
    RightClick(form.lstGenders, "Ewe", "Assign Selected Animals to the Gender 'Ewe'");
    EXPECT_EQ(Column("GenderID"), "1,1,-,1,0,-,2") << "a tag only gets no gender";
    RightClick(form.lstGroups, "apple", "Assign Selected Animals to the Group 'apple'");
    EXPECT_EQ(Members(11), "6,2");
    RightClick(form.lstGroups, "Flock A", "Assign Selected Animals to the Group 'Flock A'");
    EXPECT_EQ(Members(3), "1,6,2") << "no membership twice";
    EXPECT_EQ(form.lblProgress->text(), "Adding the selected animals to 'Flock A'...");
    EXPECT_EQ(form.pbrProgress->value(), 2);
    EXPECT_TRUE(form.fraProgress->isHidden());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.SelectedAnimalIDs(), (std::vector<long>{6, 2}));

    RightClick(form.lstGenders, "Unknown", "Assign Selected Animals to the Gender 'Unknown'");
    EXPECT_EQ(Column("GenderID"), "1,0,-,1,0,-,2");
    Select({"UK0123456 00001", "ABC", "UK0123456 00003"});
    RightClick(form.lstBreeds, "Texel", "Remove Selected Animals from the Breed 'Texel'");
    EXPECT_EQ(Column("BreedID"), "-,-,2,2,0,-,-") << "only the animals of that breed lose it";
    RightClick(form.lstGroups, "Flock A", "Remove Selected Animals from the Group 'Flock A'");
    EXPECT_EQ(Members(3), "6,2");
    EXPECT_EQ(form.lblProgress->text(), "Removing selected animals from group 'Flock A'...");
}

TEST_F(ListsTest, AFailureUndoesTheWholeAction) {
    frmMain& form = Open();
    Select({"ABC", "UK0123456 00001"});
    Db().Execute(
        "CREATE TRIGGER Refuse BEFORE UPDATE OF BreedID ON Animals WHEN NEW.AnimalID=1 "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    prompts.Answer(Prompts::OK);
    RightClick(form.lstBreeds, "Suffolk", "Assign Selected Animals to the Breed 'Suffolk'");
    EXPECT_EQ(Column("BreedID"), "1,-,2,2,0,-,1") << "ABC, done first, is undone too";
    EXPECT_NE(prompts.LastText().find("in procedure Assign in frmMain"), std::string::npos);
    EXPECT_TRUE(form.fraProgress->isHidden());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(ListsTest, CreateEditAndDeleteEntries) {
    frmMain& form = Open();
    // A name in use or too long is refused in plain words and offered again as typed.
    const std::string long51(51, 'x');
    prompts.Type("   ")
        .Type("O'Brien's")
        .Type("flock a")
        .Answer(Prompts::OK)
        .Type(long51)
        .Answer(Prompts::OK)
        .CancelInput();
    for (int i = 0; i < 3; ++i) RightClick(form.lstGroups, "", "Create a New Group");
    EXPECT_EQ(prompts.shown()[0].text, "Enter the new group name");
    EXPECT_EQ(prompts.shown()[0].title, "New Group Name");
    EXPECT_EQ(Scalar("SELECT group_concat(GroupName, '|') FROM Groups WHERE GroupID>11"), "   |O'Brien's");
    Texts refusals;  // each refusal, then the name the box offers again
    for (std::size_t i = 3; i < prompts.shown().size(); i += 2)
        refusals.push_back(prompts.shown()[i].title + ": " + prompts.shown()[i].text + " [" +
                           prompts.shown()[i + 1].proposed + "]");
    EXPECT_EQ(refusals, (Texts{"Name in Use: The name 'flock a' is already in use: another group has it. Please choose "
                               "another name. [flock a]",
                               "Name Too Long: The name '" + long51 +
                                   "' is too long: the name of a group can have at most "
                                   "50 characters. [" +
                                   long51 + "]"}));
    EXPECT_EQ(form.lstGroups->count(), 7);

    prompts.Type("  ").Type(" Apple tree ");
    RightClick(form.lstGroups, "apple", "Edit the Details of the Group 'apple'");
    RightClick(form.lstGroups, "apple", "Edit the Details of the Group 'apple'");
    EXPECT_EQ(prompts.shown().back().text, "Edit the group's name and click OK to change the name");
    EXPECT_EQ(prompts.shown().back().title, "Group Name Editor");
    EXPECT_EQ(Scalar("SELECT GroupName FROM Groups WHERE GroupID=11"), "Apple tree");
    prompts.Type("Neuter");
    RightClick(form.lstGenders, "Unknown", "Edit the Details of the Gender 'Unknown'");
    EXPECT_EQ(Entries(form.lstGenders), (Texts{"Unknown", "Ewe", "Ram"}));

    prompts.Type("Wether");
    RightClick(form.lstGenders, "", "Create a New Gender");
    RightClick(form.lstGenders, "Wether", "Delete the Gender 'Wether'");  // used by none: no question
    EXPECT_EQ(Entries(form.lstGenders), (Texts{"Unknown", "Ewe", "Ram"}));
    EXPECT_EQ(Scalar("SELECT Species FROM Genders WHERE GenderID=3"), "1") << "the cattle's gender stays";

    prompts.Answer(Prompts::No).Answer(Prompts::Yes);
    RightClick(form.lstGenders, "Ram", "Delete the Gender 'Ram'");
    EXPECT_EQ(Column("GenderID"), "1,2,-,1,0,-,2");
    EXPECT_EQ(prompts.shown().back().text,
              "There are animals with gender 'Ram'.\r\nAre you sure you want to remove Ram?");
    EXPECT_EQ(prompts.shown().back().title, "Confirm 'Ram' Removal");
    EXPECT_EQ(prompts.shown().back().style, Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2);
    RightClick(form.lstGenders, "Ram", "Delete the Gender 'Ram'");
    EXPECT_EQ(Column("GenderID"), "1,-,-,1,0,-,-");
    EXPECT_EQ(Entries(form.lstGenders), (Texts{"Unknown", "Ewe"}));

    prompts.Answer(Prompts::Yes);
    RightClick(form.lstLocations, "Top Field", "Delete the Location 'Top Field'");
    EXPECT_EQ(prompts.shown().back().text,
              "There are/have been animals at 'Top Field'.\r\nAre you sure you want to remove Top Field?");
    EXPECT_EQ(Scalar("SELECT Active FROM Locations WHERE LocationID=4"), "0");
    EXPECT_EQ(Scalar("SELECT Count(*) FROM LocationLink WHERE LocationID=4"), "2") << "its movements stay";

    prompts.Answer(Prompts::Yes);
    RightClick(form.lstGroups, "Flock A", "Delete the Group 'Flock A'");
    EXPECT_EQ(Scalar("SELECT Count(*) FROM GroupLink WHERE GroupID=3") +
                  Scalar("SELECT Count(*) FROM Groups WHERE GroupID=3"),
              "00");

    prompts.Answer(Prompts::OK).Answer(Prompts::OK);
    form.Remove(form.lstLocations, 3, "Holding");
    form.Remove(form.lstGroups, 1, "Last Import");
    EXPECT_EQ(prompts.shown()[prompts.shown().size() - 2].text,
              "'Holding' is a permanent location and cannot be deleted");
    EXPECT_EQ(prompts.shown()[prompts.shown().size() - 2].title, "Cannot Delete Permanent Locations");
    EXPECT_EQ(prompts.LastText(), "'Last Import' is a permanent group and cannot be deleted");
    EXPECT_EQ(Scalar("SELECT Active FROM Locations WHERE LocationID=3"), "1");
}

TEST_F(ListsTest, ALeftClickOnAnEntryRefreshesTheGridWithItsTick) {
    frmMain& form = Open();
    form.show();
    QListWidget* list = form.lstBreeds;
    form.tabDetails->SetCurrentTab(3);
    list->resize(300, 400);
    QListWidgetItem* texel = Entry(list, "Texel");
    const QRect box = list->visualItemRect(texel);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(box.left() + 8, box.center().y()));
    QCoreApplication::processEvents();
    ASSERT_EQ(texel->checkState(), Qt::Checked);
    EXPECT_EQ(GridTags(), (std::vector<std::string>{"ABC", "UK0123456 00001"}));
}
