// The export tables built without the main window.
#include "fixtures/RegisterFixture.h"
#include "register/CsvExports.h"

using CsvExportsTest = RegisterTest;

TEST_F(CsvExportsTest, TablesFollowTheChoiceTheFilterAndChainTagChanges) {
    modCommon::Species = modCommon::Sheep;
    Db().Execute(
        "INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (2, 'B1', '2024-02-01 00:00:00'),"
        " (2, 'B2', '2024-04-01 00:00:00'), (1, 'A1', '2024-03-01 00:00:00')");
    const std::vector<CsvExports::Chosen> chosen = {
        {2, 1, "B3"}, {6, 0, "UK0123456 00005"}, {4, 2, "UK0123456 00010"}, {1, 1, "A2"}};
    auto column = [](const CsvExports::Table& table, std::size_t at) {
        std::string texts;
        for (const auto& row : table.rows) texts += row[at] + " ";
        return texts;
    };
    const CsvExports::Table changes = CsvExports::TagChanges(Db(), chosen);
    EXPECT_EQ(column(changes, 1) + "| " + column(changes, 2), "B2 B1 A1 | B3 B2 A2 ");
    EXPECT_EQ(column(CsvExports::Animals(Db(), chosen, false), 0), "UK0123456 00002 UK0123456 00010 UK0123456 00001 ");
    EXPECT_EQ(column(CsvExports::Animals(Db(), chosen, true), 0), "UK0123456 00002 UK0123456 00001 ");
    EXPECT_EQ(column(CsvExports::Movements(Db(), chosen, true), 2), "Moved On Moved Off Moved On ");
    EXPECT_EQ(CsvExports::FileText({{"A", "B"}, {{"1", "x\"y"}, {"2", ""}}}), "A,B\r\n\"1\",\"x\"\"y\"\r\n\"2\",\"\"");
}
