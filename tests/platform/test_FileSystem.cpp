#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/ScratchFolder.h"

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    std::string folder = FileSystem::MakeTempFolder();
    void TearDown() override {
        chmod(folder.c_str(), 0700);
        std::filesystem::remove_all(folder);
    }
    std::string Path(const std::string& name) const { return FileSystem::Join(folder, name); }
};

}  // namespace

TEST_F(FileSystemTest, FilesAreWrittenCopiedRenamedAndRemoved) {
    FileSystem::WriteAll(Path("a"), std::string("one\0two", 7));
    EXPECT_EQ(FileSystem::Size(Path("a")), 7);
    EXPECT_EQ(FileSystem::ReadAll(Path("a")), std::string("one\0two", 7));
    EXPECT_TRUE(FileSystem::Append(Path("a"), "+"));
    EXPECT_TRUE(FileSystem::Append(Path("log"), "first"));  // made when missing
    EXPECT_EQ(FileSystem::ReadAll(Path("log")), "first");

    FileSystem::WriteAll(Path("b"), "old");
    FileSystem::Copy(Path("a"), Path("b"));  // over an existing file
    EXPECT_EQ(FileSystem::Size(Path("b")), 8);
    FileSystem::Rename(Path("b"), Path("log"));  // replaces the target
    EXPECT_FALSE(FileSystem::Exists(Path("b")));
    EXPECT_EQ(FileSystem::Size(Path("log")), 8);
    EXPECT_TRUE(FileSystem::SameFile(Path("log"), folder + "/./log"));
    EXPECT_FALSE(FileSystem::SameFile(Path("log"), Path("a")));
    EXPECT_FALSE(FileSystem::SameFile(Path("log"), Path("missing")));

    EXPECT_TRUE(FileSystem::Remove(Path("log")));
    EXPECT_TRUE(FileSystem::Remove(Path("log"))) << "nothing to remove is no failure";
    EXPECT_THROW(FileSystem::Copy(Path("missing"), Path("c")), RuntimeError);
    EXPECT_THROW(FileSystem::Rename(Path("missing"), Path("c")), RuntimeError);
    EXPECT_THROW(FileSystem::ReadAll(Path("missing")), RuntimeError);
}

TEST_F(FileSystemTest, FoldersAndNames) {
    EXPECT_TRUE(FileSystem::CreateDirectories(Path("x/y/z")));
    EXPECT_TRUE(FileSystem::IsDirectory(Path("x/y")));
    EXPECT_FALSE(FileSystem::IsDirectory(Path("x/missing")));
    EXPECT_EQ(FileSystem::Join("/data/", "Kelvo.mdb"), "/data/Kelvo.mdb");
    EXPECT_EQ(FileSystem::Folder("/Kelvo.mdb"), "/");

    std::string a = FileSystem::MakeTempFolder(folder), b = FileSystem::MakeTempFolder(folder);
    EXPECT_NE(a, b);
    EXPECT_EQ(FileSystem::Folder(a), folder);
    struct stat st {};
    ASSERT_EQ(stat(a.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "private to its user";

    if (geteuid() != 0) {  // a read-only folder refuses new files and keeps its own
        FileSystem::WriteAll(Path("kept"), "x");
        chmod(folder.c_str(), 0500);
        EXPECT_FALSE(FileSystem::Remove(Path("kept")));
        EXPECT_FALSE(FileSystem::Append(Path("refused"), "x"));
        EXPECT_THROW(FileSystem::WriteAll(Path("refused"), "x"), RuntimeError);
        EXPECT_FALSE(FileSystem::CreateDirectories(Path("refused/sub")));
    }
}

// A start removes the scratch a killed copy left, with the scratch copies it notes; what a running
// copy holds stays, and so do folders without the program's mark whatever their names or notes,
// and noted paths that are no scratch copy's.
TEST_F(FileSystemTest, LeftoverScratchGoesAndHeldScratchStays) {
    for (const char* keepers : {"kelvo-backup", "kelvo-spring"}) {
        ASSERT_TRUE(FileSystem::CreateDirectories(Path(keepers)));
        FileSystem::WriteAll(Path(keepers) + "/flock.mdb", "a keeper's backup");
    }
    FileSystem::WriteAll(Path("kelvo-spring/noted"), Path("s.mdbtmp") + "\n");
    for (const char* name : {"b.mdbtmp", "b.mdbtmp-journal", "keeper.mdb", "s.mdbtmp"})
        FileSystem::WriteAll(Path(name), "x");
    ASSERT_TRUE(FileSystem::CreateDirectories(Path("c.mdbtmp/inside")));
    // A copy killed in the middle of a backup, noting its scratch copy (and, had its note been
    // tampered with, other paths).
    const pid_t killed = fork();
    if (killed == 0) {
        ScratchFolder scratch(folder);
        scratch.Note(Path("b.mdbtmp"));
        FileSystem::Append(scratch.Path() + "/noted", Path("keeper.mdb") + "\n" + Path("c.mdbtmp") + "\n");
        _exit(0);  // as a kill: nothing is cleared away
    }
    int status = 0;
    ASSERT_EQ(waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ScratchFolder running(folder);
    EXPECT_THROW(running.Note(Path("keeper.mdb")), RuntimeError);
    ScratchFolder::RemoveUnheld(folder);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"c.mdbtmp", "keeper.mdb", "kelvo-backup", "kelvo-spring", "s.mdbtmp",
                                            FileSystem::FileName(running.Path())}));
    EXPECT_EQ(FileSystem::ReadAll(Path("kelvo-backup/flock.mdb")), "a keeper's backup");
}
