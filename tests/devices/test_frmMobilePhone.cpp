#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <map>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/frmMobilePhone.h"
#include "fixtures/MainWindowStandIn.h"
#include "fixtures/PhoneOnPort.h"
#include "fixtures/Queries.h"
#include "fixtures/WindowChecks.h"
#include "fixtures/WindowTest.h"
#include "platform/Connection.h"
#include "platform/Rtf.h"

namespace {

using Texts = std::vector<std::string>;
const DateTime kToday{2024, 3, 15, 10, 0, 0};
std::string Cells(const std::string& sql) {
    Recordset rs = Db().Query(sql);
    std::string text;
    for (long row = 0; row < rs.Rows(); ++row)
        for (int c = 0; c < rs.FieldCount(); ++c)
            text += rs.At(row, c).ToStringOr("~") + (c + 1 < rs.FieldCount() ? "," : ";");
    return text;
}
// Every table the import writes, row for row.
std::string Register() {
    std::string all;
    for (const char* table : {"Animals", "EIDs", "Genders", "Groups", "GroupLink ORDER BY GroupID, AnimalID", "Notes"})
        all += Cells(std::string("SELECT * FROM ") + table) + "\n";
    return all;
}
std::string Note(const std::string& plain) { return "{\\rtf1\\ansi " + Rtf::Escape(plain) + "}"; }
std::string Short(int y, int m, int d) { return DateTime{y, m, d}.ToUserText(); }
frmMobilePhone* Window() { return frmMobilePhone::Loaded(); }
void SetFaults(SimPhone& phone, const std::function<void(SimLine::Faults&)>& change) {
    SimLine::Faults faults;
    change(faults);
    phone.SetFaults(faults);
}
bool Gone() { return Window() == nullptr; }
bool OnChoices() { return Window() && Window()->fraSequence[1]->isVisible() && Window()->cmdQuit->isEnabled(); }

class PhoneTest : public WindowTest {
protected:
    MainWindowStandIn mainWindow;
    PhoneOnPort phone{6};

    PhoneTest() {
        DateTime::PinClock(kToday);
        prompts.AcceptAllOK();
        EXPECT_TRUE(modCommon::VersionCheck());
        modCommon::Species = 2;
        RegisterMobilePhoneWindow();
        Db().Execute(
            "INSERT INTO Breeds (BreedID, BreedName, Species) VALUES (1,'Texel',2),(2,'An|gus',1);"
            "INSERT INTO Genders (GenderID, GenderName, Species) VALUES (1,'Ewe',2),(2,'Cow',1);");
    }
    ~PhoneTest() override {
        DefaultInstance<frmMobilePhone>::Unload();
        DateTime::PinClock({});
    }
    long Animal(long type, const std::string& tag, const std::string& more = "", long species = 2) {
        Db().Execute("INSERT INTO Animals (AnimalType, TagNumber, Species) VALUES (?,?,?)",
                     {Value(type), Value(tag), Value(species)});
        const long id = static_cast<long>(Db().LastInsertId());
        if (!more.empty()) Db().Execute("UPDATE Animals SET " + more + " WHERE AnimalID=" + std::to_string(id));
        return id;
    }
    // Exports with the choice, answering the result box; the phone's words, and the box's title.
    std::string Export(int choice) {
        EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneExport));
        WaitUntil(OnChoices);
        if (!Window()->optExport[choice]->isChecked()) Window()->optExport[choice]->click();
        prompts.Answer(Prompts::OK);
        Window()->cmdExport->click();
        WaitUntil(Gone);
        return prompts.shown().back().title;
    }
    Texts Rows() {  // the row commands the phone received
        Texts rows;
        for (const std::string& line : phone->Received())
            if (line.rfind("setanim", 0) == 0 || line.rfind("settagbucket", 0) == 0 || line.rfind("setcom", 0) == 0)
                rows.push_back(line);
        return rows;
    }
    // Imports; the title of the box that ended it.
    std::string Import() {
        EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneImport));
        WaitUntil(Gone);
        return prompts.shown().back().title + " / " + prompts.shown().back().text;
    }
};

}  // namespace

TEST_F(PhoneTest, ExportSendsPickListsClearsThePhoneThenEveryLivingAnimalOfTheSpecies) {
    modCommon::AddKelvoData("FlockNumber", "UK0123456");
    const long dam = Animal(1, "UK0777777 00002");
    const long ewe = Animal(
        1, "UK0123456 00001",
        "DateOfBirth='2023-04-05 00:00:00', BreedID=1, GenderID=1, DamID=" + std::to_string(dam) + ", SireID=999");
    const long tag = Animal(0, "UK0888888 00003");
    Animal(1, "UK0999999 00004", "DeathReason='Died'");
    Db().Execute(
        "INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (?, '8000000000000001'), (?, '8000000000000002'), (?, '8000000000000003')",
        {Value(ewe), Value(ewe), Value(tag)});
    Db().Execute("INSERT INTO Notes (RecordID, AnimalID, Note) VALUES (7, ?, ?), (8, ?, 'not sent')",
                 {Value(dam), Value(Note("a|b#c\r\nline2\nline3")), Value(tag)});
    EXPECT_EQ(Export(0), "Export Successful");
    const std::string d = std::to_string(dam), e = std::to_string(ewe), t = std::to_string(tag);
    EXPECT_EQ(phone->Received(),
              (Texts{"v", "delfav", "setfav 0|1|UK0123456||1", "setfav 1|1|UK0777777||0", "setfav 2|6|Texel|1|0",
                     "setfav 3|3|An+gus|2|0", "setfav 4|8|Ewe|1|0", "setfav 5|7|Cow|2|0", "deltagbucket", "delanim",
                     "delcom", "delmangrp", "setanim " + d + "|UK0777777 00002||2|||||",
                     "setcom 7|" + d + "|a+b+c  line2  line3|20240315000000|1",
                     "setanim " + e +
                         "|UK0123456 00001|8000000000000001,8000000000000002|2|20230405000000|1|Ewe|UK0777777 00002|",
                     "settagbucket " + t + "|UK0888888 00003|8000000000000003|2", "done"}));
    EXPECT_EQ(prompts.shown().back().style, Prompts::OKCancel);
    EXPECT_EQ(mainWindow.CountOf("StartZOrderTimer"), 1);
}

TEST_F(PhoneTest, ExportRanksNineOtherMarksAndCattleOwnMarkTakesCodeTwo) {
    for (int mark = 0; mark < 11; ++mark)
        for (int n = 0; n <= mark; ++n)
            Animal(1, "UK0" + std::to_string(100000 + mark) + " 0000" + std::to_string(n % 10));
    EXPECT_EQ(Export(3), "Export Successful");
    const Texts favourites = phone->Favourites();
    const Texts marks(favourites.begin(), favourites.begin() + std::min<size_t>(11, favourites.size()));
    Texts expected{"0|1|||1"};  // no flock number kept: an empty own mark
    for (int i = 1; i <= 9; ++i) expected.push_back(std::to_string(i) + "|1|UK0" + std::to_string(100011 - i) + "||0");
    expected.push_back("10|6|Texel|1|0");
    EXPECT_EQ(marks, expected);
    EXPECT_EQ(Rows(), Texts{});

    modCommon::Species = 1;
    modCommon::AddKelvoData("HerdNumber", "UK123456");
    phone->ClearReceived();
    EXPECT_EQ(Export(3), "Export Successful");
    EXPECT_EQ(phone->Favourites().at(0), "0|2|UK123456||1");
    EXPECT_EQ(phone->Favourites().at(1).substr(0, 2), "1|");  // no owned cattle: breeds from 1
}

TEST_F(PhoneTest, DisplayedAndSelectedRowsComeFromTheMainWindowsGrid) {
    const long a = Animal(1, "UK0100000 00001"), b = Animal(1, "UK0100000 00002"),
               c = Animal(0, "UK0100000 00003", "", 1);
    mainWindow.gridSQL =
        "SELECT AnimalID, AnimalType, TagNumber, DateOfBirth, GenderID, BreedID, Species FROM Animals WHERE AnimalID<>" +
        std::to_string(b) + " ORDER BY TagNumber DESC";
    mainWindow.gridAnimalsAndTags = 2;
    mainWindow.selectedAnimalsAndTags = 3;
    mainWindow.selectedAnimalIDs = {a, b, c};  // b is no longer in the grid's query
    const std::string ra = "setanim " + std::to_string(a) + "|UK0100000 00001||2|||||";
    const std::string rc = "settagbucket " + std::to_string(c) + "|UK0100000 00003||1";
    EXPECT_EQ(Export(1), "Export Successful");
    EXPECT_EQ(Rows(), (Texts{rc, ra}));
    phone->ClearReceived();
    EXPECT_EQ(Export(2), "Export Successful");
    EXPECT_EQ(Rows(), (Texts{ra, rc}));
}

TEST_F(PhoneTest, ExportStopsAtTheFirstCommandThePhoneDoesNotConfirm) {
    Animal(1, "UK0100000 00001");
    Animal(1, "UK0100000 00002");
    struct Case {
        std::function<void(SimLine::Faults&)> fault;
        std::string lastWord, lastLine;
    };
    const Case cases[] = {{[](auto& f) { f.silentTo = {"delfav"}; }, "delfav", "Export failed"},
                          {[](auto& f) {
                               f.wordStatus = {{"setanim", 'F'}};
                           },
                           "setanim", "Export failed"},
                          {[](auto& f) {
                               f.wordStatus = {{"done", 'F'}};
                           },
                           "done", "Export failed"}};
    for (const Case& c : cases) {
        SetFaults(phone.Phone(), c.fault);
        phone->ClearReceived();
        QString label;
        EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneExport));
        WaitUntil(OnChoices);
        Window()->optExport[0]->click();
        prompts.Answer(Prompts::Cancel);
        frmMobilePhone* w = Window();
        QObject::connect(w, &QDialog::finished, [&label, w] { label = w->lblHelp[2]->text(); });
        Window()->cmdExport->click();
        WaitUntil(Gone);
        const Texts words = phone->Words();
        EXPECT_EQ(words.back(), c.lastWord);
        EXPECT_EQ(std::count(words.begin(), words.end(), c.lastWord), 1);
        EXPECT_TRUE(label.endsWith(QString::fromStdString("\r\n" + c.lastLine))) << label.toStdString();
        EXPECT_EQ(prompts.shown().back().title, "Export Failed");
        EXPECT_EQ(prompts.shown().back().style, Prompts::OKCancel | Prompts::Exclamation);
    }
}

TEST_F(PhoneTest, ChoicesBeyondThePhonesCapacityAreOfferedNotAndTheLastIsTickedAlone) {
    Db().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<4001) "
        "INSERT INTO Animals (AnimalType, TagNumber, Species) SELECT 1, 'T' || i, 2 FROM n");
    mainWindow.gridAnimalsAndTags = 4001;
    EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneExport));
    WaitUntil(OnChoices);
    frmMobilePhone& w = *Window();
    EXPECT_FALSE(w.optExport[0]->isEnabled() || w.optExport[1]->isEnabled() || w.optExport[2]->isEnabled());
    EXPECT_TRUE(w.optExport[3]->isChecked() && w.cmdExport->isEnabled());
    EXPECT_EQ(w.ExportChoice(), 3);
    EXPECT_EQ(
        w.lblHelp[1]->text().toStdString(),
        "Your mobile phone cannot handle more than 4000 animals and tags so you cannot export ALL your animals/tags to your "
        "mobile phone.\r\nThe option to export the currently DISPLAYED animals/tags is not available as there are too many "
        "animals/tags displayed in the grid.\r\nThe option to export the currently SELECTED animals/tags is not available as "
        "there are no selected animals/tags displayed in the grid.\r\nIf you want to export any of your exisiting "
        "animals/tags then you will need to click the 'Quit' button and use the grid to set up the animals/tags to "
        "export.\r\nYour only export option has been selected. Click 'Export' to proceed with the export or 'Quit' to "
        "cancel exporting.\r\n\r\nWARNING - Exporting your data will delete any existing data on your mobile phone.  If you "
        "have data on your mobile phone that has not yet been imported please click the 'Quit' button now and import the "
        "data before you carry out the export.");
    mainWindow.gridAnimalsAndTags = 4000;
    w.ShowFrame(1);
    EXPECT_TRUE(w.optExport[1]->isEnabled() && !w.optExport[3]->isChecked() && !w.cmdExport->isEnabled());
    w.cmdQuit1->click();
    WaitUntil(Gone);
    EXPECT_EQ(phone->Words(), Texts{"v"});
}

TEST_F(PhoneTest, ImportFilesAnimalsGroupsAndCommentsThenTellsThePhone) {
    const long known = Animal(1, "UK0111111 00001"), tagOnly = Animal(0, "UK0222222 00002");
    const long cattleDam = Animal(0, "DAM 1", "", 1), dam = Animal(0, "DAM 1");
    const std::string k = std::to_string(known), t = std::to_string(tagOnly);
    Db().Execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (" + k +
                 ", 'E-OTHER');"
                 "INSERT INTO Notes (RecordID, AnimalID, Note) VALUES (12, " +
                 k + ", 'old'), (13, " + t + ", '" + Note("old note") +
                 "');INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1, " + k + "), (2, " + k + ")");
    modCommon::Species = 1;
    modCommon::SetSingleAnimalID(static_cast<int>(tagOnly));
    auto edited = [&] { Db().Execute("UPDATE Notes SET Note=? WHERE RecordID=13", {Value(Note("edited note"))}); };
    mainWindow.onPane = [&](const std::string& member) {
        if (member == "SaveNote" && modCommon::GetSingleAnimalID() == tagOnly) edited();
    };
    for (const std::string& record :
         {std::string("-1|UK0333333 00003|E-NEW,E-OTHER|2|20240102000000|5|Gimmer|DAM 1|SIRE 9"),
          std::string("-2|uk0111111 00001||2|||||"), t + "|UK0222222 00002||2|||||",
          std::string("999|O'NEILL 7||2|||||")})
        phone->MarkAnimal(record);
    phone->MarkGroup("x|Pen (north)|x|O'NEILL 7");
    phone->MarkGroup("x|Pen (north)|x|o'neill 7");
    for (const std::string& record : {std::string("0|-1|First (sic)|20240103|x|1"), "0|" + t + "|Again|20240104|x|1",
                                      "12|" + k + "|x|20240104|x|2", "-3|" + k + "|x|20240104|x|2"})
        phone->MarkComment(record);
    EXPECT_EQ(Import(), "Data Import Successful / Data import successful");
    EXPECT_EQ(phone->Words().back(), "done");
    EXPECT_EQ(phone->MarkedCount(), 0u);
    EXPECT_EQ(modCommon::Species, 1);
    EXPECT_EQ(modCommon::GetSingleAnimalID(), tagOnly);
    EXPECT_EQ(mainWindow.CountOf("UpdateAfterImport"), 1);
    EXPECT_EQ(mainWindow.speciesAtUpdate, 1) << "the grid is refreshed for the keeper's species, not the last animal's";
    const std::string newID = Cells("SELECT AnimalID FROM Animals WHERE TagNumber='UK0333333 00003'");
    EXPECT_EQ(
        Cells(
            "SELECT AnimalType, Species, DateOfBirth, BreedID, DamID, (SELECT GenderName || Species FROM Genders "
            "WHERE GenderID=a.GenderID), (SELECT TagNumber || AnimalType || Species FROM Animals WHERE AnimalID=a.SireID),"
            " TagSort>0 FROM Animals a WHERE AnimalID=" +
            newID.substr(0, newID.size() - 1)),
        "1,2,2024-01-02 00:00:00,5," + std::to_string(dam) + ",Gimmer2,SIRE 922,1;");
    EXPECT_EQ(Cells("SELECT AnimalType FROM Animals WHERE AnimalID IN (" + t + "," + std::to_string(dam) + "," +
                    std::to_string(cattleDam) + ") ORDER BY AnimalID"),
              "1;0;1;");  // the tag-only entry and the sheep dam are owned now, the cattle tag untouched
    EXPECT_EQ(Cells("SELECT AnimalType || Species FROM Animals WHERE TagNumber='O''NEILL 7'"), "12;");
    EXPECT_EQ(Cells("SELECT EIDNumber, AnimalID=" + k + " FROM EIDs ORDER BY EIDID"), "E-OTHER,1;E-NEW,0;");
    EXPECT_EQ(Cells("SELECT GroupName FROM Groups WHERE GroupID>2"), "DoB " + Short(2024, 1, 2) + ";Pen (north);");
    EXPECT_EQ(Cells("SELECT g.GroupID, count(*) FROM GroupLink l JOIN Groups g USING (GroupID) GROUP BY g.GroupID"),
              "1,4;2,3;3,1;4,1;");
    EXPECT_EQ(Cells("SELECT count(*) FROM GroupLink WHERE GroupID=2 AND AnimalID=" + k), "0;");
    EXPECT_EQ(Cells("SELECT count(*) FROM Animals"), "7;");
    auto plain = [](const std::string& where) {
        QTextDocument document;
        Rtf::Load(Cells("SELECT Note FROM Notes WHERE " + where).substr(0), document);
        return document.toPlainText().toStdString();
    };
    mainWindow.onPane = nullptr;
    EXPECT_EQ(plain("AnimalID=" + t), Short(2024, 1, 4) + "  Again\n\nedited note");  // the pane's note is kept
    EXPECT_EQ(plain("AnimalID=" + newID.substr(0, newID.size() - 1)), Short(2024, 1, 3) + "  First (sic)\n\n");
    EXPECT_EQ(Cells("SELECT count(*) FROM Notes WHERE RecordID=12"), "0;");
}

TEST_F(PhoneTest, FailedImportLeavesTheRegisterAsItWasAndSendsNoDone) {
    const long known = Animal(1, "UK0111111 00001");
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1, " + std::to_string(known) + "), (2, " +
                 std::to_string(known) + ")");
    struct Case {
        std::string name;
        std::function<void(SimLine::Faults&)> fault;
        std::string animal = "-1|UK0444444 00001|E-X|2|20240101|1|Ram|UK0111111 00001|",
                    group = "x|Pen|x|UK0444444 00001", comment = "0|-1|Hello|20240105|x|1";
    };
    auto none = [](SimLine::Faults&) {};
    const Case cases[] = {
        {"getanim silent", [](auto& f) { f.silentTo = {"getanim"}; }},
        {"getmangrp F",
         [](auto& f) {
             f.wordStatus = {{"getmangrp", 'F'}};
         }},
        {"getcom X",
         [](auto& f) {
             f.wordStatus = {{"getcom", 'X'}};
         }},
        {"getcom cut off",
         [](auto& f) {
             f.wordStatus = {{"getcom", 'S'}}, f.unplugDuringWord = "getcom", f.unplugAfter = 9;
         }},
        {"unplugged during getanim", [](auto& f) { f.unplugDuringWord = "getanim", f.unplugAfter = 12; }},
        {"too few fields", none, "-1|UK0444444 00001|E-X|2||||"},
        {"no number", none, "-1|UK0444444 00001|E-X|2x||||||"},
        {"no species", none, "-1|UK0444444 00001|E-X||||||"},
        {"bad date", none, "-1|UK0444444 00001|E-X|2|20241340|||||"},
        {"repeated temporary id", none, "-1|A 1||2|||||#-1|A 2||2|||||"},
        {"unknown member", none, Case{}.animal, "x|Pen|x|NOBODY"},
        {"unknown comment animal", none, Case{}.animal, Case{}.group, "0|-9|Hello|20240105|x|1"},
        {"database failure",
         [](auto&) {
             Db().Execute("CREATE TRIGGER NoNotes BEFORE INSERT ON Notes BEGIN SELECT RAISE(ABORT, 'disk full'); END");
         }},
    };
    // What the keeper reads of a record the import cannot take: the record, and the field.
    const std::map<std::string, std::string> said = {
        {"too few fields", "The phone's animal record '-1|UK0444444 00001|E-X|2||||' has 8 fields, not 9"},
        {"no species",
         "The phone's animal record '-1|UK0444444 00001|E-X||||||' has '' as its species (field 4), "
         "which is no whole number"},
        {"bad date",
         "The phone's animal record '-1|UK0444444 00001|E-X|2|20241340|||||' has '20241340' as its date "
         "of birth (field 5), which is no date"}};
    const std::string before = Register();
    long port = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhoneOnPort failing(++port);
        SetFaults(failing.Phone(), c.fault);
        failing->MarkAnimal(c.animal);
        failing->MarkGroup(c.group);
        failing->MarkComment(c.comment);
        modCommon::Species = 1;
        EXPECT_EQ(Import(), "Data Import Failed / Data import failed");
        if (said.count(c.name)) {
            const std::string error = prompts.shown().at(prompts.shown().size() - 2).text;
            EXPECT_NE(error.find("The error was '" + said.at(c.name) + "'"), std::string::npos) << error;
        }
        EXPECT_EQ(Register(), before);
        EXPECT_EQ(modCommon::Species, 1);
        const Texts words = failing->Words();
        EXPECT_EQ(std::count(words.begin(), words.end(), "done"), 0);
        Db().Execute("DROP TRIGGER IF EXISTS NoNotes");
    }
}

// A done the phone does not confirm keeps the import; the phone sends the same records again at
// the next import, which adds nothing that is there already.
TEST_F(PhoneTest, DoneFailingKeepsTheImportAndAnotherImportAddsNothingTwice) {
    const long known = Animal(1, "UK0111111 00001");
    Db().Execute("INSERT INTO Notes (AnimalID, Note) VALUES (?,?)", {Value(known), Value(Note("old note"))});
    const std::string k = std::to_string(known);
    phone->MarkAnimal("-1|UK0444444 00001|E-X|2|||||");
    phone->MarkAnimal("999|UK0555555 00001||2|||||");  // an animal the register no longer holds
    phone->MarkGroup("x|Pen|x|UK0444444 00001");
    for (const std::string& record :
         {std::string("0|-1|Lame|20240103|x|1"), "0|" + k + "|Wormed|20240104|x|1", "0|" + k + "|Weighed|20240105|x|1"})
        phone->MarkComment(record);
    SetFaults(phone.Phone(), [](auto& f) { f.wordStatus = {{"done", 'F'}}; });
    EXPECT_EQ(Import(), "Data Import Failed / Data import failed");
    auto imported = [] {
        return Cells("SELECT * FROM Animals") + Cells("SELECT * FROM EIDs") + Cells("SELECT * FROM Groups") +
               Cells("SELECT * FROM Notes");
    };
    const std::string first = imported();
    EXPECT_NE(first.find("UK0444444 00001"), std::string::npos);
    EXPECT_NE(first.find("UK0555555 00001"), std::string::npos);
    phone->SetFaults({});
    EXPECT_EQ(Import(), "Data Import Successful / Data import successful");
    EXPECT_EQ(imported(), first);
    QTextDocument note;
    Rtf::Load(Cells("SELECT Note FROM Notes WHERE AnimalID=" + k + ""), note);
    EXPECT_EQ(note.toPlainText().toStdString(),
              Short(2024, 1, 5) + "  Weighed\n\n" + Short(2024, 1, 4) + "  Wormed\n\nold note");
}

// A record changes only an animal of its own species, and an animal it makes takes its species'
// sort key, whatever species the keeper works with.
TEST_F(PhoneTest, ARecordChangesOnlyAnimalsOfItsOwnSpecies) {
    const long sheep = Animal(1, "SAME 1"), sheepDam = Animal(0, "DAM 2");
    const long cattle = Animal(1, "COW 3", "", 1);
    const std::string s = std::to_string(sheep), c = std::to_string(cattle);
    phone->MarkAnimal("-1|SAME 1|E-COW|1|20240102|2|Cow|DAM 2|UK123456 100001");
    phone->MarkAnimal(s + "|SAME 1|E-BY-ID|1|20240103||||");  // the sheep's id on a cattle record
    phone->MarkAnimal("-2|UK123456 100001||2|||||");
    phone->MarkAnimal(c + "|COW 3||1|20240104||||");
    phone->MarkComment("0|-1|Calved|20240105|x|1");
    modCommon::Species = 2;
    EXPECT_EQ(Import(), "Data Import Successful / Data import successful");
    EXPECT_EQ(Cells("SELECT AnimalType, DateOfBirth, DamID, (SELECT count(*) FROM EIDs e WHERE e.AnimalID=a.AnimalID), "
                    "(SELECT count(*) FROM Notes n WHERE n.AnimalID=a.AnimalID) FROM Animals a WHERE AnimalID IN (" +
                    s + "," + std::to_string(sheepDam) + ")"),
              "1,~,0,0,0;0,~,0,0,0;")
        << "the sheep are as they were";
    EXPECT_EQ(Cells("SELECT TagNumber, Species, TagSort, DateOfBirth FROM Animals WHERE Species=1 ORDER BY AnimalID"),
              "COW 3,1,0,2024-01-04 00:00:00;SAME 1,1,1,2024-01-03 00:00:00;DAM 2,1,2,~;UK123456 100001,1,1,~;");
    EXPECT_EQ(Cells("SELECT TagSort FROM Animals WHERE TagNumber='UK123456 100001' AND Species=2"), "100001;");
}

TEST_F(PhoneTest, TheWindowRefusesToCloseWhileTheImportRuns) {
    SetFaults(phone.Phone(), [](auto& f) { f.replyDelayMs = 3000; });
    // The job runs inside the window's own handlers, which keep the events going while they
    // wait: the keeper's attempts to close come in meanwhile.
    bool tried = false, stayed = false;
    QTimer keeper;
    QObject::connect(&keeper, &QTimer::timeout, [&] {
        frmMobilePhone* w = Window();
        if (tried || !w || !w->fraSequence[3]->isVisible()) return;
        tried = true;
        w->close();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &escape);
        w->cmdQuit->click();
        stayed = Window() == w && w->isVisible();
    });
    keeper.start(20);
    EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneImport));
    WaitUntil(Gone);
    EXPECT_TRUE(tried && stayed);
    EXPECT_EQ(phone->Words().back(), "done");
}

TEST_F(PhoneTest, PhoneNotAnsweringLeavesThePortChoiceOpenAndEveryStepShowsItsTextsWholeAndWorksFromTheKeyboard) {
    SetFaults(phone.Phone(), [](auto& f) { f.silent = true; });
    EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneImport));
    WaitUntil([] { return Window() && Window()->fraSequence[0]->isVisible() && Window()->cmdQuit->isEnabled(); });
    EXPECT_EQ(prompts.shown().back().title, "Mobile not found");
    EXPECT_EQ(
        prompts.shown().back().text,
        "Can't find your mobile phone on serial port COM6.\r\nPlease check that your mobile phone is powered on.");
    // The frames as the keeper sees them; a look by eye too.
    frmMobilePhone& w = *Window();
    mainWindow.gridAnimalsAndTags = 4001;
    for (int frame : {0, 1, 2, 3}) {
        w.ShowFrame(frame);
        if (frame == 1) w.optExport[0]->setEnabled(false), w.DisplayHelp(1);
        EXPECT_EQ(CutTexts(w), Texts{}) << "frame " << frame;
        SaveScreenshot(w, "frmMobilePhone-" + std::to_string(frame));
    }
    w.ShowFrame(0);
    EXPECT_EQ(NotReachedByTab(w), Texts{});
    EXPECT_TRUE(PressedByEnter(*w.cmdRefreshComportList));
    QTest::keyClick(w.cmdRefreshComportList, Qt::Key_Escape);
    WaitUntil(Gone);
}

TEST_F(PhoneTest, ExportWithoutABreedOfTheSpeciesSaysSoAndCloses) {
    Db().Execute("DELETE FROM Breeds WHERE Species=2");
    EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneExport));
    WaitUntil(Gone);
    EXPECT_EQ(prompts.shown().back().title, "No Breeds or Genders");
    EXPECT_EQ(prompts.shown().back().text,
              "You cannot export data until you have defined at least one breed and at least one gender.");
    EXPECT_EQ(phone->Words(), Texts{"v"});
}

TEST_F(PhoneTest, NothingNewOnThePhoneIsASuccessThatEmptiesTheImportGroups) {
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1, " +
                 std::to_string(Animal(1, "UK0100000 00001")) + ")");
    QString label;
    EXPECT_TRUE(modMainWindowServices::OpenMobilePhoneWindow(modMainWindowServices::MobilePhoneImport));
    frmMobilePhone* w = Window();
    QObject::connect(w, &QDialog::finished, [&label, w] { label = w->lblHelp[3]->text(); });
    WaitUntil(Gone);
    EXPECT_EQ(prompts.shown().back().title, "Data Import Successful");
    EXPECT_EQ(
        label.toStdString(),
        "Starting import...\r\nGetting new/changed animal details from your phone...\r\nNo new or changed animal details.\r\n"
        "Getting management group details from your phone...\r\nNo new or changed management group details.\r\n"
        "Getting comments from your phone...\r\nNo new or changed comments.\r\nYour data import has completed successfully.");
    EXPECT_EQ(Cells("SELECT count(*) FROM GroupLink"), "0;");
}
