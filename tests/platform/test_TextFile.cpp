#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "fixtures/ScratchHome.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

using Lines = std::vector<std::string>;

TEST(TextFileTest, ReadsUtf8WhenValidAndWindows1252Otherwise) {
    EXPECT_EQ(TextFile::Decode("Café 🐄"), "Café 🐄");
    EXPECT_EQ(TextFile::Decode("\xEF\xBB\xBFHerdId"), "HerdId") << "a byte-order mark is no text";
    EXPECT_EQ(TextFile::Decode("Caf\xE9 \x80"), "Café €");
    // Forms that look like UTF-8 but are not: overlong, a surrogate, cut short at the end.
    EXPECT_EQ(TextFile::Decode("\xC0\xAF"), "À¯");
    EXPECT_EQ(TextFile::Decode("\xED\xA0\x80"), "í\u00A0€");
    EXPECT_EQ(TextFile::Decode("ok \xC3"), "ok Ã");
    // Every byte survives the code page both ways, the unassigned ones included.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string lacking = "x";
    EXPECT_EQ(TextFile::ToWindows1252(TextFile::FromWindows1252(all), &lacking), all);
    EXPECT_EQ(lacking, "");
}

TEST(TextFileTest, SplitsLinesAtEveryKindOfLineEnd) {
    for (const auto& [text, lines] : std::vector<std::pair<std::string, Lines>>{{"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                                                                                {"a\r\n", {"a"}},
                                                                                {"a\n\r\nb\r\r", {"a", "", "b", ""}},
                                                                                {"\n", {""}},
                                                                                {"", {}}})
        EXPECT_EQ(TextFile::SplitLines(text), lines);
    EXPECT_EQ(TextFile::WithCrLf("a\nb\r\nc\rd\n"), "a\r\nb\r\nc\r\nd\r\n");
}

TEST(TextFileTest, EncodesWindows1252AndNamesTheFirstCharacterItLacks) {
    std::string lacking;
    EXPECT_EQ(TextFile::ToWindows1252("Zoë’s €5", &lacking),
              "Zo\xEB\x92s \x80"
              "5");
    EXPECT_EQ(lacking, "");
    EXPECT_EQ(TextFile::ToWindows1252("Łódź 🐄", &lacking),
              "?\xF3"
              "d? ?");
    EXPECT_EQ(lacking, "Ł");
    EXPECT_EQ(TextFile::Windows1252Byte(U'ž'), 0x9E);
    EXPECT_EQ(TextFile::Windows1252Byte(U'ź'), -1);
}

TEST(TextFileTest, ReplaceSwapsInTheWholeFileOrLeavesTheOldOne) {
    ScratchHome home;
    std::string path = home.root() + "/list.csv";
    TextFile::Replace(path, "first\r\n");
    ::chmod(path.c_str(), 0600);
    TextFile::Replace(path, "second\r\nCaf\xE9\r\n");
    EXPECT_EQ(FileSystem::ReadAll(path), "second\r\nCaf\xE9\r\n");
    EXPECT_EQ(TextFile::ReadLines(path), (Lines{"second", "Café"}));
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a private file stays private";

    // A folder standing where the file should go, and a folder that does not exist.
    std::string folder = home.root() + "/taken";
    FileSystem::CreateDirectories(folder + "/inside");
    EXPECT_THROW(TextFile::Replace(folder, "x"), RuntimeError);
    EXPECT_TRUE(FileSystem::IsDirectory(folder + "/inside"));
    EXPECT_THROW(TextFile::Replace(home.root() + "/missing/list.csv", "x"), RuntimeError);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(home.root())) ++entries;
    EXPECT_EQ(entries, 7) << "no temporary file is left behind";  // ScratchHome's five folders, list.csv, taken
    EXPECT_THROW(TextFile::Read(home.root() + "/missing.txt"), RuntimeError);
}
