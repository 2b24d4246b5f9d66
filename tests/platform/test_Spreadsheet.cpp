#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/ScratchHome.h"
#include "fixtures/Workbook.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/Spreadsheet.h"

TEST(SpreadsheetTest, SheetAndFileNamesAreMadeSafeAndNew) {
    using S = Spreadsheet;
    for (const auto& [wanted, name] : {std::pair{"Imported Data (Group A)", "Imported Data (Group A)"},
                                       {"a[b]c:d*e?f/g\\h", "a_b_c_d_e_f_g_h"},
                                       {"'quoted'", "quoted"},
                                       {"''", "Sheet"},
                                       {"History", "History (2)"}})
        EXPECT_EQ(S::SheetName(wanted, {}), name);
    EXPECT_EQ(S::SheetName("Gruppe Ä", {"gruppe ä"}), "Gruppe Ä (2)");
    std::string longName = "Ingelezen gegevens (Groep ABCDEFGHIJ)";
    EXPECT_EQ(S::SheetName(longName, {}), "Ingelezen gegevens (Groep ABCDE");
    EXPECT_EQ(S::SheetName(longName, {"Ingelezen gegevens (Groep ABCDE", "Ingelezen gegevens (Groep A (2)"}),
              "Ingelezen gegevens (Groep A (3)");

    ScratchHome home;
    const std::string folder = home.root();
    EXPECT_EQ(S::NewFilePath(folder, "Data Imported 03/04/2024 10:15:00"),
              folder + "/Data Imported 03_04_2024 10_15_00.xlsx");
    FileSystem::WriteAll(folder + "/Tags _A__.xlsx", "");
    FileSystem::WriteAll(folder + "/Tags _A__ (2).xlsx", "");
    EXPECT_EQ(S::NewFilePath(folder, "Tags <A>?"), folder + "/Tags _A__ (3).xlsx");
    EXPECT_EQ(S::NewFilePath(folder, "Tags |A|*"), folder + "/Tags _A__ (3).xlsx");
}

TEST(SpreadsheetTest, SavedWorkbookHoldsSheetsStringsFormatsAndWidths) {
    ScratchHome home;
    Spreadsheet book;
    int first = book.AddSheet("Imported Data");
    int second = book.AddSheet("Imported Data");
    EXPECT_EQ(book.Name(second), "Imported Data (2)");
    book.SetCell(first, 0, 0, "Tag or EID", Spreadsheet::Style::Heading);
    book.SetCell(first, 0, 1, "Group", Spreadsheet::Style::Heading);
    book.SetCell(first, 1, 0, "0826000012345678");
    book.SetCell(first, 1, 1, "A");
    book.SetCell(first, 2, 0, "UK 123456 700045");
    book.SetTextColumn(first, 0);
    book.SetCentredColumn(first, 1);
    book.SetCell(second, 0, 0, "Zoë <&> 🐄");
    std::string path = Spreadsheet::NewFilePath(home.root(), "Data Imported");
    book.Save(path);

    Workbook xlsx(path);
    EXPECT_EQ(xlsx.Sheets(), (std::vector<std::string>{"Imported Data", "Imported Data (2)"}));
    EXPECT_EQ(xlsx.Text(1, "A1"), "Tag or EID");
    EXPECT_EQ(xlsx.Text(1, "A2"), "0826000012345678") << "a 16-digit EID stays text";
    EXPECT_EQ(xlsx.Text(1, "B2"), "A");
    EXPECT_EQ(xlsx.Text(2, "A1"), "Zoë <&> 🐄");
    EXPECT_FALSE(xlsx.Cell(1, "B3")) << "no cell that was not set";

    int heading = xlsx.Cell(1, "A1").attribute("s").as_int();
    EXPECT_TRUE(xlsx.Bold(heading));
    EXPECT_STREQ(xlsx.Format(heading).child("alignment").attribute("horizontal").value(), "center");
    int fill = xlsx.Format(heading).attribute("fillId").as_int();
    EXPECT_STREQ(xlsx.Part("xl/styles.xml")
                     .select_nodes("//fills/fill")[fill]
                     .node()
                     .select_node(".//fgColor")
                     .node()
                     .attribute("rgb")
                     .value(),
                 "FFC0C0C0");
    int eid = xlsx.Cell(1, "A2").attribute("s").as_int();
    EXPECT_EQ(xlsx.Format(eid).attribute("numFmtId").as_int(), 49) << "text format";
    EXPECT_EQ(xlsx.Format(xlsx.Column(1, 1).attribute("style").as_int()).attribute("numFmtId").as_int(), 49);
    EXPECT_STREQ(
        xlsx.Format(xlsx.Cell(1, "B2").attribute("s").as_int()).child("alignment").attribute("horizontal").value(),
        "center");
    EXPECT_FALSE(xlsx.Bold(eid));

    double a = xlsx.Column(1, 1).attribute("width").as_double(), b = xlsx.Column(1, 2).attribute("width").as_double();
    EXPECT_GE(a, 17.0);
    EXPECT_LT(a, 18.0) << "column A fits its 16 characters";
    EXPECT_GE(b, 6.0) << "column B fits \"Group\"";
    EXPECT_LT(b, 7.0);
}

TEST(SpreadsheetTest, FailuresRaiseAndLeaveNoFile) {
    ScratchHome home;
    Spreadsheet book;
    int sheet = book.AddSheet("Sheet");
    book.SetCell(sheet, 0, 0, "x");
    EXPECT_THROW(book.SetCell(sheet, 0, 0, std::string(32768, 'x')), RuntimeError);
    EXPECT_THROW(book.SetCell(sheet, 1048576, 0, "x"), RuntimeError);
    EXPECT_THROW(book.SetCell(5, 0, 0, "x"), RuntimeError);

    std::string existing = home.root() + "/kept.xlsx";
    FileSystem::WriteAll(existing, "mine");
    EXPECT_THROW(book.Save(existing), RuntimeError);
    EXPECT_EQ(FileSystem::ReadAll(existing), "mine") << "never overwritten";
    EXPECT_THROW(book.Save(home.root() + "/missing/new.xlsx"), RuntimeError);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(home.root())) ++entries;
    EXPECT_EQ(entries, 6) << "no partial file";  // ScratchHome's five folders and kept.xlsx
}
