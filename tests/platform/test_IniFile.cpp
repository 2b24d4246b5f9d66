#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/IniFile.h"

TEST(IniFileTest, ReadsBothLineEndsAndRewritesOnlyTheKey) {
    std::string folder = FileSystem::MakeTempFolder();
    std::string path = folder + "/settings.ini";
    FileSystem::WriteAll(path,
                         "; comment\r\nFlavour = Full\r\n\r\n[SerialComm]\r\n/dev/ttyUSB0=COM5\r\n[Other]\nKey=1\n");
    EXPECT_EQ(IniFile::Read(path, "", "flavour").value_or(""), "Full");
    EXPECT_EQ(IniFile::Section(path, "serialcomm").size(), 1u);
    ASSERT_TRUE(IniFile::Write(path, "SerialComm", "/dev/ttyS1", "COM2"));
    ASSERT_TRUE(IniFile::Write(path, "", "Flavour", "Simple"));
    ASSERT_TRUE(IniFile::Write(path, "New", "A", "b"));
    EXPECT_EQ(
        FileSystem::ReadAll(path),
        "; comment\nFlavour=Simple\n\n[SerialComm]\n/dev/ttyUSB0=COM5\n/dev/ttyS1=COM2\n[Other]\nKey=1\n\n[New]\nA=b\n");
    EXPECT_FALSE(IniFile::Read(folder + "/missing.ini", "", "Flavour"));
    std::filesystem::remove_all(folder);
}
