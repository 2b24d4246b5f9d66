// The main window's files: the three CSV exports of the selected animals, byte for byte, and
// the two tag-bucket layouts read into tag-only rows.
#include <QLocale>

#include "core/modEID.h"
#include "fixtures/RegisterFixture.h"
#include "platform/FileSystem.h"

namespace {

class TransferTest : public RegisterTest {
protected:
    const QLocale before;
    void SetUp() override {
        RegisterTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    void TearDown() override {
        QLocale::setDefault(before);
        RegisterTest::TearDown();
    }
    void Write(const std::string& name, const std::string& bytes) { FileSystem::WriteAll(Path(name), bytes); }
    // Runs an export to `name` ("" cancels), OK to a message after it when asked; the file's bytes.
    std::string Export(void (frmMain::*run)(bool), bool owned, const std::string& name, bool message = false) {
        prompts.ChooseFile(name.empty() ? "" : Path(name));
        if (message) prompts.Answer(Prompts::OK);
        (Form().*run)(owned);
        return Bytes(Path(name));
    }
    static std::string UKSheepEID(const std::string& national, int userInfo = 4) {
        return modEID::DecimalEIDToHexEID("0826" + national, userInfo);
    }
};

TEST_F(TransferTest, SheepExportsKeepTheSelectionOrderAndTheLayoutByteForByte) {
    Db().Execute(
        "INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (7, 'A000000000000001'), (7, '" + UKSheepEID("012345678901") +
        "');"
        "UPDATE Animals SET DeathReason='Bad \"leg\"' WHERE AnimalID=3;"
        "UPDATE LocationLink SET Details='Sold \"as seen\" to O''Neill', EventDate='2024-06-15 09:30:00' WHERE "
        "LocationLinkID=7;"
        "INSERT INTO TagChanges (AnimalID, EventDate, OldTag) VALUES (7, '2024-02-01 00:00:00', 'B'),"
        " (7, '2024-01-01 00:00:00', 'A'), (7, '2024-03-01 00:00:00', 'C');");
    Open();
    Select({"UK0123456 00003", "ABC", "UK0123456 00005", "UK0123456 00001"});

    EXPECT_EQ(
        Export(&frmMain::ExportAnimalsCSV, false, "animals.csv"),
        "Tag Number,EID Number,Date of Birth,Gender,Breed,Location,Date of Last Move,Death Reason\r\n"
        "\"UK0123456 00003\",\"\",\"\",\"\",\"Suffolk\",\"Dead\",\"01/03/2024\",\"Bad \"\"leg\"\"\"\r\n"
        "\"ABC\",\"" +
            UKSheepEID("012345678901") +
            "\",\"\",\"Ram\",\"Texel\",\"Top Field\",\"15/06/2024 09:30:00\",\"\"\r\n"
            "\"UK0123456 00001\",\"0123456789ABCDEF\",\"01/03/2023\",\"Ewe\",\"Texel\",\"Holding\",\"01/01/2024\",\"\"");
    EXPECT_EQ(
        Export(&frmMain::ExportMovementsCSV, false, "moves.csv"),
        "Movement Date,Tag Number,Movement,Moved To,Movement Details,EID Number (Hex),EID Number (Decimal),"
        "UK WYSIWYG\r\n"
        "\"01/03/2024\",\"UK0123456 00003\",\"Moved Off\",\"Dead (Animals that have died)\",\"\",\"\",\"\",\"\"\r\n"
        "\"15/06/2024 09:30:00\",\"ABC\",\"Moved On\",\"Top Field (North)\",\"Sold as seen to O'Neill\",\"" +
            UKSheepEID("012345678901") +
            "\",\"0826012345678901\",\"UK0123456 78901\"\r\n"
            "\"01/01/2024\",\"UK0123456 00001\",\"Moved On\",\"Holding\",\"\",\"0123456789ABCDEF\",\"" +
            modEID::HexEIDToDecimalEID("0123456789ABCDEF").Decimal + "\",\"\"");
    // A -> B -> C -> ABC: the newest change first, each with the tag that replaced it.
    prompts.ChooseFile(Path("changes"));  // the ending of the only file type comes by itself
    Form().mnuExportTagChangesCSV_Click();
    EXPECT_EQ(Bytes(Path("changes.csv")),
              "Event Date,Old Tag,New Tag\r\n"
              "\"01/03/2024\",\"C\",\"ABC\"\r\n\"01/02/2024\",\"B\",\"C\"\r\n\"01/01/2024\",\"A\",\"B\"");
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(TransferTest, ExportsWithoutRowsSelectionOrFolderWriteNoFile) {
    Open(1);
    Select({"UK123456 100001"});
    EXPECT_EQ(Export(&frmMain::ExportMovementsCSV, false, "cattle.csv"),
              "Movement Date,Tag Number,Movement,Moved To,Movement Details,EID Number (Hex),EID Number (Decimal)\r\n"
              "\"01/01/2024\",\"UK123456 100001\",\"Moved On\",\"Holding\",\"\",\"\",\"\"");

    Select({"UK123456 100002"});  // a tag only, without movements
    EXPECT_EQ(Export(&frmMain::ExportAnimalsCSV, true, "a.csv", true), "<no file>");
    EXPECT_EQ(Export(&frmMain::ExportMovementsCSV, false, "b.csv", true), "<no file>");
    prompts.ChooseFile(Path("c.csv")).Answer(Prompts::OK);
    Form().mnuExportTagChangesCSV_Click();
    EXPECT_EQ(prompts.Messages(), (std::vector<std::string>{"There were no animals of your own selected.",
                                                            "There were no animals selected.",
                                                            "None of the selected animal had any tag changes."}));
    EXPECT_EQ(Bytes(Path("c.csv")), "<no file>");

    // A folder that is not there: the logger's message, and no file.
    Select({"UK123456 100001"});
    EXPECT_EQ(Export(&frmMain::ExportAnimalsCSV, false, "missing/d.csv", true), "<no file>");
    EXPECT_EQ(prompts.LastText().rfind("An error occurred in procedure ExportAnimalsCSV", 0), 0u) << prompts.LastText();

    // Cancelled: nothing more is shown. Nothing selected: no dialog, only the message.
    Export(&frmMain::ExportAnimalsCSV, false, "");
    Form().cmdDeSelectAll_Click();
    prompts.Answer(Prompts::OK);
    Form().ExportAnimalsCSV(false);
    EXPECT_EQ(prompts.shown().back().title, "Select Animals for Export");
    EXPECT_EQ(prompts.shown()[prompts.shown().size() - 2].kind, "SaveFile");
}

TEST_F(TransferTest, AllflexBucketAddsEachTagOnceToItsOwnSpeciesAndCountsBadLines) {
    const std::string newSheep = UKSheepEID("012345600002");
    Write("bucket.txt",  // LF line ends, a blank line, EIDs in either case
          modEID::DecimalEIDToHexEID("0826012345600001", 4) + ",UK0123456 00001,1,2\n" +  // known tag: new EID
              newSheep + ",UK0123456 00200\n" + newSheep + ",UK0123456 00200\n\n" +       // the same line twice
              UKSheepEID("012345600003", 2) + ",UK123456 100001\n" +  // a known cattle tag while sheep are worked on
              UKSheepEID("012345600005", 2) + ",UK123456 100500\n" +  // a new one: sorted by the cattle rule
              UKSheepEID("012345600004", 0) + ",uk0123456 00400\n" +  // no species: the one worked on
              "12345,UK0123456 00300\nZZZZZZZZZZZZZZZZ,UK0123456 00301\n" +
              QString::fromStdString(newSheep).toLower().toStdString() + ",UK0123456 00201\n");
    Open();
    prompts.ChooseFile(Path("bucket.txt")).Answer(Prompts::OK);
    Form().mnuGetAllflexTagBucket_Click();
    EXPECT_EQ(prompts.shown()[0].title, "Select an Allflex Sheep Tag Bucket File");
    EXPECT_EQ(
        prompts.Messages(),
        (std::vector<std::string>{"2 lines of the tag bucket file held no valid tag and EID and were not imported."}));
    EXPECT_EQ(
        Scalar("SELECT group_concat(TagNumber || ':' || Species || ':' || AnimalType || ':' || TagSort, ' ') FROM "
               "Animals WHERE AnimalID > 9"),
        "UK0123456 00200:2:0:200 UK123456 100500:1:0:500 uk0123456 00400:2:0:400 UK0123456 00201:2:0:201");
    EXPECT_EQ(Scalar("SELECT group_concat(a.TagNumber || '=' || e.EIDNumber, ' ') FROM EIDs e JOIN Animals a USING "
                     "(AnimalID) WHERE EIDID > 1"),
              "UK0123456 00001=" + modEID::DecimalEIDToHexEID("0826012345600001", 4) + " UK0123456 00200=" + newSheep +
                  " UK123456 100001=" + UKSheepEID("012345600003", 2) + " UK123456 100500=" +
                  UKSheepEID("012345600005", 2) + " uk0123456 00400=" + UKSheepEID("012345600004", 0));
    EXPECT_TRUE(Form().isEnabled() && !Form().fraProgress->isVisible());
    EXPECT_EQ(GridTags().size(), 10u) << "the grid shows the new tags";

    // A binary file: every line is counted, nothing is added.
    using namespace std::string_literals;  // the literal's bytes, its NULs too, and no more
    Write("binary.txt", "\x00\x01\xff\xfe,\x80\r\n\x1b[\x02\x03"s);
    prompts.ChooseFile(Path("binary.txt")).Answer(Prompts::OK);
    Form().mnuGetAllflexTagBucket_Click();
    EXPECT_EQ(prompts.LastText(), "2 lines of the tag bucket file held no valid tag and EID and were not imported.");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals"), "13");
}

TEST_F(TransferTest, MakerBucketReadsItsColumnsByNameAndImportsAllOrNothing) {
    Open();
    const std::string wide = "HerdId,tagnumber,EIDNumber,Species,Retag,Colour\r\n";
    Write("STags.txt", wide + "\"UK0123456\",\"00500\",\"0826012345600005\",\"4\",\"1\",\"\"\r\n" +
                           "\"UK0123456\",\"00500\",\"0826012345600005\",\"4\",\"1\",\"\"\r\n" +  // again
                           "UK0123456,00501,12345,4,0,\r\nUK0123456,00502,0826012345600006,x,0,\r\n" +
                           "UK123456,100500,0826012345600007,2,0,red");  // a cattle tag
    prompts.ChooseFile(Path("STags.txt")).Answer(Prompts::OK);
    Form().mnuGetTolvaneTagBucket_Click();
    EXPECT_EQ(prompts.shown()[0].text, "Tag Bucket Files (STags.txt)|STags.txt");
    EXPECT_EQ(prompts.LastText(), "2 lines of the tag bucket file held no valid tag and EID and were not imported.");
    EXPECT_EQ(Scalar("SELECT group_concat(TagNumber || ':' || Species || '=' || EIDNumber, ' ') FROM Animals JOIN EIDs "
                     "USING (AnimalID) WHERE AnimalID > 9"),
              "UK0123456 00500:2=" + modEID::DecimalEIDToHexEID("0826012345600005", 4, 1) +
                  " UK123456 100500:1=" + modEID::DecimalEIDToHexEID("0826012345600007", 2));

    // Three columns: the species worked on gives the user information, unless the country code is
    // 900 or more. A header alone and an empty file do nothing and say nothing.
    Write("STags.txt", "HerdId,tagnumber,EIDNumber\nUK0123456,00600,0826012345600008\nXX,00601,0985012345600009\n");
    Write("head.txt", "HerdId,tagnumber,EIDNumber\r\n");
    Write("empty.txt", "");
    prompts.ChooseFile(Path("STags.txt")).ChooseFile(Path("head.txt")).ChooseFile(Path("empty.txt"));
    for (int run = 0; run < 3; ++run) Form().mnuGetTolvaneTagBucket_Click();
    EXPECT_EQ(
        Scalar("SELECT group_concat(EIDNumber, ' ') FROM EIDs WHERE EIDID > 3"),
        modEID::DecimalEIDToHexEID("0826012345600008", 4) + " " + modEID::DecimalEIDToHexEID("0985012345600009", 0));

    // Five columns without Species: the failure is logged and nothing of the file stays.
    Write("STags.txt", "HerdId,tagnumber,EIDNumber,Retag,Colour\nUK0123456,00700,0826012345600010,0,red\n");
    prompts.ChooseFile(Path("STags.txt")).Answer(Prompts::OK);
    Form().mnuGetTolvaneTagBucket_Click();
    EXPECT_EQ(prompts.LastText().rfind("An error occurred in procedure mnuGetTolvaneTagBucket_Click", 0), 0u);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals WHERE TagNumber='UK0123456 00700'"), "0");
    EXPECT_TRUE(Form().isEnabled());
    EXPECT_TRUE(prompts.Done());
}

}  // namespace
