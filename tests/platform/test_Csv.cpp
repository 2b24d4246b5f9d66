#include <gtest/gtest.h>

#include "fixtures/ScratchHome.h"
#include "platform/Csv.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

using Fields = std::vector<std::string>;

TEST(CsvTest, ReadsEveryValueAsWrittenByHeaderNameWithoutCase) {
    CsvReader csv(
        "HerdId,TagNumber,EidNumber,Active\r\n"
        "\"UK123456\",\"000045\",\"0826000012345678\",\"Yes\"\r\n"
        "\r\n"
        "IE1, 7 ,982000123456789,No,extra,fields\n"
        "\"say \"\"hi\"\", then\",\"x\"y,\"\",\"open quote, to the end\n"
        "\"short\"\n");
    EXPECT_EQ(csv.Header(), (Fields{"HerdId", "TagNumber", "EidNumber", "Active"}));
    EXPECT_EQ(csv.Column("tagnumber"), 1);
    EXPECT_EQ(csv.Column("EIDNumber"), 2);
    EXPECT_EQ(csv.Column("Species"), -1);
    ASSERT_EQ(csv.RowCount(), 4u);
    EXPECT_EQ(csv.Row(0), (Fields{"UK123456", "000045", "0826000012345678", "Yes"}));
    EXPECT_EQ(csv.Row(1), (Fields{"IE1", " 7 ", "982000123456789", "No", "extra", "fields"}));
    EXPECT_EQ(csv.Value(1, "ACTIVE"), "No");
    EXPECT_EQ(csv.Row(2), (Fields{"say \"hi\", then", "xy", "", "open quote, to the end"}));
    EXPECT_EQ(csv.Value(3, "herdid"), "short");
    EXPECT_EQ(csv.Value(3, "Active"), "") << "a short line gives empty fields";
    EXPECT_EQ(csv.LineNumber(0), 2);
    EXPECT_EQ(csv.LineNumber(1), 4) << "blank lines count";
    EXPECT_THROW(csv.Value(0, "Species"), RuntimeError);
}

TEST(CsvTest, ReadsFilesWithoutHeaderOtherSeparatorsAndOldEncodings) {
    ScratchHome home;
    std::string path = home.root() + "/bucket.txt";
    FileSystem::WriteAll(path, "8000F6A1B2C3D4E5,UK 0123;4\rE,Zo\xEB\r");
    CsvReader plain = CsvReader::FromFile(path, ',', false);
    EXPECT_TRUE(plain.Header().empty());
    ASSERT_EQ(plain.RowCount(), 2u);
    EXPECT_EQ(plain.Row(0), (Fields{"8000F6A1B2C3D4E5", "UK 0123;4"}));
    EXPECT_EQ(plain.Row(1), (Fields{"E", "Zoë"}));
    CsvReader semicolons = CsvReader::FromFile(path, ';', false);
    EXPECT_EQ(semicolons.Row(0), (Fields{"8000F6A1B2C3D4E5,UK 0123", "4"}));
    EXPECT_EQ(CsvReader("", ',', true).RowCount(), 0u);
}

TEST(CsvTest, WrittenLinesReadBackIntoTheSameFields) {
    Fields values = {"UK 1", "", "a \"quoted\" word", "x,y", "'single'"};
    EXPECT_EQ(Csv::FormatLine(values, true), "\"UK 1\",\"\",\"a \"\"quoted\"\" word\",\"x,y\",\"'single'\"");
    EXPECT_EQ(Csv::FormatLine({"Tag Number", "Date of Birth"}, false), "Tag Number,Date of Birth");
    EXPECT_EQ(Csv::FormatLine(values, true, ';'), "\"UK 1\";\"\";\"a \"\"quoted\"\" word\";\"x,y\";\"'single'\"");
    EXPECT_EQ(CsvReader::SplitLine(Csv::FormatLine(values, true)), values);
}
