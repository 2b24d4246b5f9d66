#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/Zip.h"

namespace {

class ZipTest : public ::testing::Test {
protected:
    std::string folder = FileSystem::MakeTempFolder();
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Path(const std::string& name) const { return FileSystem::Join(folder, name); }
    std::string File(const std::string& name, const std::string& text) {
        FileSystem::CreateDirectories(FileSystem::Folder(Path(name)));
        FileSystem::WriteAll(Path(name), text);
        return Path(name);
    }
    std::vector<std::string> Names(const std::string& archive) {
        std::vector<std::string> names;
        for (const auto& e : Zip::List(archive)) names.push_back(e.name);
        return names;
    }
};

}  // namespace

TEST_F(ZipTest, AddStoresFilesDeflatedAndReplacesAnEntryOfTheSameName) {
    const std::string text(200000, 'k');
    Zip::Add(Path("a.zip"), {{File("in/Kelvo.mdb", text), "Kelvo.mdb"}, {File("in/note", "n"), "sub/note.txt"}});
    Zip::Add(Path("a.zip"), {{File("in/other", "newer"), "sub/note.txt"}});
    auto entries = Zip::List(Path("a.zip"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Kelvo.mdb");
    EXPECT_EQ(entries[0].size, 200000);
    EXPECT_EQ(entries[0].method, 8);
    EXPECT_LT(entries[0].packedSize, 2000);
    EXPECT_EQ(entries[1].size, 5);

    EXPECT_THROW(Zip::Add(Path("a.zip"), {{Path("missing"), "x"}}), RuntimeError);
    EXPECT_EQ(Names(Path("a.zip")), (std::vector<std::string>{"Kelvo.mdb", "sub/note.txt"}))
        << "a failed add leaves it";
    EXPECT_THROW(Zip::Add(Path("no/such/folder/b.zip"), {{Path("in/note"), "note"}}), RuntimeError);
    EXPECT_THROW(Zip::List(Path("in/note")), RuntimeError) << "not an archive";
}

TEST_F(ZipTest, EveryKindOfContentComesBackByteForByte) {
    std::string noise(700000, '\0');  // more than two blocks, and beyond compression
    std::uint32_t seed = 7;
    for (auto& c : noise) c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
    // A stretch of noise over and over: deflated in blocks side by side, in rounds of them, it
    // packs small only when each block sees the 32 kB before it.
    std::string rows;
    while (rows.size() < 2600000) rows += noise.substr(0, 20000);
    Zip::Add(Path("a.zip"),
             {{File("in/noise", noise), "noise"}, {File("in/empty", ""), "empty"}, {File("in/rows", rows), "rows"}});
    EXPECT_LT(Zip::List(Path("a.zip"))[2].packedSize, 100000);
    FileSystem::CreateDirectories(Path("out"));
    Zip::Extract(Path("a.zip"), Path("out"), {});
    EXPECT_TRUE(FileSystem::ReadAll(Path("out/noise")) == noise);
    EXPECT_EQ(FileSystem::Size(Path("out/empty")), 0);
    EXPECT_TRUE(FileSystem::ReadAll(Path("out/rows")) == rows);
}

TEST_F(ZipTest, ExtractFlatOrWithFoldersChosenEntriesAndOverwriteOnlyWhenAsked) {
    Zip::Add(Path("a.zip"), {{File("in/one", "1"), "one"}, {File("in/two", "2"), "deep/two"}});
    FileSystem::CreateDirectories(Path("flat"));
    Zip::Extract(Path("a.zip"), Path("flat"), {});
    EXPECT_EQ(FileSystem::ReadAll(Path("flat/two")), "2");

    FileSystem::CreateDirectories(Path("tree"));
    File("tree/one", "kept");
    Zip::Extract(Path("a.zip"), Path("tree"), {{}, true, false});
    EXPECT_EQ(FileSystem::ReadAll(Path("tree/deep/two")), "2");
    EXPECT_EQ(FileSystem::ReadAll(Path("tree/one")), "kept");
    Zip::Extract(Path("a.zip"), Path("tree"), {{"one"}, true, true});
    EXPECT_EQ(FileSystem::ReadAll(Path("tree/one")), "1");

    std::vector<std::string> left;
    for (const auto& e : std::filesystem::recursive_directory_iterator(Path("tree")))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"deep", "one", "two"})) << "no partial files stay";
    EXPECT_THROW(Zip::Extract(Path("a.zip"), Path("missing"), {}), RuntimeError);
}
