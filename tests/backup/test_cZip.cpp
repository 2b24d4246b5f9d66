#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "backup/cUnzip.h"
#include "backup/cZip.h"
#include "fixtures/RawZip.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/Zip.h"

#include <sys/statvfs.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

namespace {

class cZipTest : public ::testing::Test {
protected:
    std::string folder = FileSystem::MakeTempFolder();
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Path(const std::string& name) const { return folder + "/" + name; }

    // A file of `bytes` that barely compresses, written under `name`.
    std::string Noise(const std::string& name, std::size_t bytes) {
        std::string content(bytes, '\0');
        std::uint32_t seed = 1;
        for (auto& c : content) c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
        FileSystem::WriteAll(Path(name), content);
        return content;
    }
    static std::string Output(const std::string& command) {
        std::string out;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        for (int c; pipe && (c = fgetc(pipe.get())) != EOF;) out += static_cast<char>(c);
        return out;
    }
    std::string ExtractionError(const std::string& archive, const std::string& target) {
        FileSystem::CreateDirectories(target);
        try {
            Zip::Extract(archive, target, {});
        } catch (const RuntimeError& e) {
            return e.description;
        }
        return "";
    }
};

TEST_F(cZipTest, OptionRecordHoldsWhatThePropertiesSet) {
    cZip z;
    EXPECT_FALSE(z.StoreDirectories());
    EXPECT_EQ(z.Options().noDirectoryEntries, 1);
    z.SetStoreDirectories(true);
    EXPECT_TRUE(z.StoreDirectories());
    EXPECT_EQ(z.Options().noDirectoryEntries, 0);
    EXPECT_EQ(z.Options().junkFolderNames, 1);
    z.SetRecurseSubDirs(true);
    EXPECT_EQ(z.Options().recurse, 2);
    EXPECT_EQ(z.MessageLevel(), 2);
    z.SetMessageLevel(1);
    EXPECT_EQ(z.MessageLevel(), 1);
    EXPECT_EQ(z.Options().verbose, 1);
    z.SetMessageLevel(0);
    EXPECT_EQ(z.MessageLevel(), 0);
    EXPECT_EQ(z.Options().quiet, 1);
    z.SetMessageLevel(2);
    EXPECT_EQ(z.MessageLevel(), 2);
    EXPECT_EQ(z.AddFileSpec("a"), 1);
    EXPECT_EQ(z.AddFileSpec("b"), 2);
    EXPECT_EQ(z.FileSpec(2), "b");
    z.ClearFileSpecs();
    EXPECT_EQ(z.FileSpecCount(), 0);
}

TEST_F(cZipTest, FileGoesInUnderItsBareNameAndComesBackOverTheOldOne) {
    FileSystem::CreateDirectories(Path("source/deep"));
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
    FileSystem::WriteAll(Path("source/deep/Kelvo.mdb"), content);

    cZip z;
    z.SetZipFile(Path("Kelvo.zip"));
    z.ClearFileSpecs();
    z.AddFileSpec(Path("source/deep/Kelvo.mdb"));
    z.Zip();
    ASSERT_TRUE(z.Success());

    cUnzip list;
    list.SetZipFile(Path("Kelvo.zip"));
    list.Directory();
    ASSERT_EQ(list.FileCount(), 1);
    EXPECT_EQ(list.Filename(1), "Kelvo.mdb");
    EXPECT_EQ(list.FileDirectory(1), "");
    EXPECT_EQ(list.FileSize(1), 200000);
    EXPECT_EQ(list.FilePackedSize(1), 200000 * list.FileCompressionRatio(1) / 100);
    list.SetZipFile(Path("Kelvo.zip"));
    EXPECT_EQ(list.FileCount(), 0) << "setting the archive empties the list";

    FileSystem::CreateDirectories(Path("target"));
    FileSystem::WriteAll(Path("target/Kelvo.mdb"), "old");
    cUnzip u;
    u.SetZipFile(Path("Kelvo.zip"));
    u.SetUnzipFolder(Path("target"));
    u.SetOverwriteExisting(true);
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("target/Kelvo.mdb")), content);
}

// The backup window keeps drawing through these while a large database is zipped.
TEST_F(cZipTest, ProgressComesWhileALargeFileIsCompressed) {
    Noise("big.mdb", 3000000);
    cZip z;
    z.SetZipFile(Path("big.zip"));
    z.AddFileSpec(Path("big.mdb"));
    std::vector<double> progress;
    z.Progress = [&](double done) { progress.push_back(done); };
    z.Zip();
    ASSERT_TRUE(z.Success());
    ASSERT_GE(progress.size(), 5u) << "not only at the start and the end";
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(cZipTest, CancelStopsTheZipAndLeavesNoArchive) {
    Noise("big.mdb", 3000000);
    cZip z;
    z.SetZipFile(Path("big.zip"));
    z.AddFileSpec(Path("big.mdb"));
    std::vector<std::string> asked;
    z.Cancel = [&](const std::string& file, bool& cancel) { asked.push_back(file), cancel = asked.size() == 2; };
    z.Zip();
    EXPECT_FALSE(z.Success());
    EXPECT_EQ(asked, std::vector<std::string>(2, Path("big.mdb")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "only big.mdb";
}

TEST_F(cZipTest, DeleteTakesTheNamedEntryOut) {
    cZip z;
    z.SetZipFile(Path("two.zip"));
    for (std::string name : {"one.txt", "two.txt"}) z.AddFileSpec(Path(name)), FileSystem::WriteAll(Path(name), name);
    z.Zip();
    z.ClearFileSpecs();
    z.AddFileSpec("one.txt");
    z.Delete();
    const std::string listing = Output("unzip -l " + Path("two.zip"));
    EXPECT_TRUE(listing.find("one.txt") == std::string::npos && listing.find("two.txt") != std::string::npos)
        << listing;
    EXPECT_EQ(z.Options().deleteEntries, 0) << "a later Zip adds again";
}

// Traditional zip encryption, which the unzip command opens as well as cUnzip.
TEST_F(cZipTest, PasswordRequestEncryptsAndOnlyThatPasswordExtracts) {
    const std::string content = Noise("Kelvo.mdb", 100000);
    cZip z;
    z.SetZipFile(Path("k.zip"));
    z.AddFileSpec(Path("Kelvo.mdb"));
    z.SetEncrypt(true), z.SetAddComment(true);
    z.Zip();
    EXPECT_FALSE(z.Success() || FileSystem::Exists(Path("k.zip"))) << "no password, nothing stored in clear";
    z.PasswordRequest = [](std::string& password, bool&) { password = "s3cret"; };
    z.CommentRequest = [](std::string& comment, bool&) { comment = "Backup"; };
    z.Zip();
    ASSERT_TRUE(z.Success());
    EXPECT_EQ(Zip::Comment(Path("k.zip")), "Backup");
    EXPECT_EQ(Output("unzip -P s3cret -p " + Path("k.zip")), content);

    cUnzip u;
    u.SetZipFile(Path("k.zip"));
    u.Directory();
    EXPECT_TRUE(u.FileEncrypted(1));
    u.SetUnzipFolder(Path("out")), FileSystem::CreateDirectories(Path("out"));
    std::string answer = "wrong";
    std::vector<std::string> heard;
    u.PasswordRequest = [&](const std::string& name, std::string& password, bool&) {
        heard.push_back(name), password = answer;
    };
    u.Message = [&](const std::string& text) { heard.push_back(text); };
    EXPECT_FALSE(u.Unzip() || FileSystem::Exists(Path("out/Kelvo.mdb")));
    answer = "s3cret";
    EXPECT_TRUE(u.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("out/Kelvo.mdb")), content);
    EXPECT_EQ(heard.size(), 3u) << "asked twice, one failure told";

    // With PromptToOverwrite the question decides about a file already there.
    FileSystem::WriteAll(Path("out/Kelvo.mdb"), "kept"), u.SetPromptToOverwrite(true);
    u.OverwriteRequest = [&](const std::string& file, bool& cancel) { cancel = file == Path("out/Kelvo.mdb"); };
    EXPECT_TRUE(u.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("out/Kelvo.mdb")), "kept");
}

TEST_F(cZipTest, SelectionDecidesWhatIsExtracted) {
    RawZip::Write(Path("a.zip"), {{"one.txt", "1"}, {"sub/two.txt", "2"}, {"three.txt", "3"}});
    cUnzip u;
    u.SetZipFile(Path("a.zip"));
    u.Directory();
    ASSERT_EQ(u.FileCount(), 3);
    EXPECT_EQ(u.FileDirectory(2), "sub");
    for (long i = 1; i <= 3; ++i) u.SetFileSelected(i, true);
    EXPECT_TRUE(u.IncludeNames().empty()) << "everything selected extracts the whole archive";
    u.SetFileSelected(1, false);
    u.SetFileSelected(3, false);
    EXPECT_EQ(u.IncludeNames(), std::vector<std::string>{"sub/two.txt"});

    FileSystem::CreateDirectories(Path("out"));
    u.SetUnzipFolder(Path("out"));
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("out/two.txt")), "2") << "folder names are dropped by default";
    EXPECT_FALSE(FileSystem::Exists(Path("out/one.txt")));

    cUnzip withFolders;
    withFolders.SetZipFile(Path("a.zip"));
    withFolders.SetUnzipFolder(Path("out"));
    withFolders.SetUseFolderNames(true);
    ASSERT_TRUE(withFolders.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("out/sub/two.txt")), "2");
    EXPECT_EQ(FileSystem::ReadAll(Path("out/one.txt")), "1");
}

TEST_F(cZipTest, ExistingFilesStayWithoutOverwrite) {
    RawZip::Write(Path("a.zip"), {{"one.txt", "new"}});
    FileSystem::WriteAll(Path("one.txt"), "old");
    cUnzip u;
    u.SetZipFile(Path("a.zip"));
    u.SetUnzipFolder(folder);
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("one.txt")), "old");
}

TEST_F(cZipTest, EntriesThatLeaveTheFolderAreRefusedBeforeAnythingIsWritten) {
    FileSystem::CreateDirectories(Path("out"));
    for (std::string bad :
         {"../escape.txt", "/tmp/absolute.txt", "sub/../../escape.txt", "..\\escape.txt", "C:\\escape.txt"}) {
        SCOPED_TRACE(bad);
        RawZip::Write(Path("bad.zip"), {{"made/", ""}, {"good.txt", "fine"}, {bad, "evil"}});
        cUnzip u;
        u.SetZipFile(Path("bad.zip"));
        u.SetUnzipFolder(Path("out"));
        u.SetOverwriteExisting(true);
        u.SetUseFolderNames(true);
        EXPECT_FALSE(u.Unzip());
        EXPECT_FALSE(FileSystem::Exists(Path("out/good.txt")));
        EXPECT_FALSE(FileSystem::Exists(Path("out/made")));
        EXPECT_FALSE(FileSystem::Exists(Path("escape.txt")));
    }
    EXPECT_TRUE(Zip::IsSafeEntryName("a/b..c/d.txt"));
}

TEST_F(cZipTest, FailuresAreReportedAndLeaveNothingHalfDone) {
    cZip missing;
    missing.SetZipFile(Path("m.zip"));
    missing.AddFileSpec(Path("no-such-file.mdb"));
    missing.Zip();
    EXPECT_FALSE(missing.Success());
    EXPECT_FALSE(FileSystem::Exists(Path("m.zip")));

    cZip none;
    none.SetZipFile(Path("n.zip"));
    none.Zip();
    EXPECT_FALSE(none.Success());

    // A damaged archive: the file already in place survives and no partial file is left.
    std::string content(100000, 'x');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 % 256);
    FileSystem::WriteAll(Path("data.bin"), content);
    cZip z;
    z.SetZipFile(Path("d.zip"));
    z.AddFileSpec(Path("data.bin"));
    z.Zip();
    ASSERT_TRUE(z.Success());
    std::string archive = FileSystem::ReadAll(Path("d.zip"));
    for (std::size_t i = 200; i < 260; ++i) archive[i] = static_cast<char>(archive[i] ^ 0x5A);
    FileSystem::WriteAll(Path("d.zip"), archive);
    FileSystem::CreateDirectories(Path("out"));
    FileSystem::WriteAll(Path("out/data.bin"), "previous");
    cUnzip u;
    u.SetZipFile(Path("d.zip"));
    u.SetUnzipFolder(Path("out"));
    u.SetOverwriteExisting(true);
    EXPECT_FALSE(u.Unzip());
    EXPECT_EQ(FileSystem::ReadAll(Path("out/data.bin")), "previous");
    EXPECT_FALSE(FileSystem::Exists(Path("out/data.bin.partial")));

    // A file that cannot take its place (a folder holds the name) leaves no partial copy.
    FileSystem::CreateDirectories(Path("blocked/data.bin/inside"));
    cUnzip blocked;
    blocked.SetZipFile(Path("d2.zip"));
    z.SetZipFile(Path("d2.zip"));
    z.Zip();
    ASSERT_TRUE(z.Success());
    blocked.SetUnzipFolder(Path("blocked"));
    blocked.SetOverwriteExisting(true);
    EXPECT_FALSE(blocked.Unzip());
    EXPECT_FALSE(FileSystem::Exists(Path("blocked/data.bin.partial")));

    cUnzip noArchive;
    EXPECT_FALSE(noArchive.Unzip());
}

// What an archive declares bounds what it may write: declared sizes beyond the disk's free
// space refuse the archive before anything is written, and an entry that inflates past its
// declared size is stopped there, leaving nothing behind.
TEST_F(cZipTest, AnArchiveWritesNoMoreThanItDeclaresNorMoreThanTheDiskHolds) {
    RawZip::Write(Path("bomb.zip"), {{"Kelvo.mdb", std::string(2000000, 'a')}});
    RawZip::DeclareSizes(Path("bomb.zip"), 1000);
    EXPECT_EQ(ExtractionError(Path("bomb.zip"), Path("out")),
              "Cannot extract Kelvo.mdb: the entry holds more than the 1000 bytes it declares");
    EXPECT_TRUE(std::filesystem::is_empty(Path("out")));

    struct statvfs disk {};
    ASSERT_EQ(statvfs(folder.c_str(), &disk), 0);
    const std::uint32_t declared = 0xFFFFFFF0;
    std::size_t count =
        static_cast<std::size_t>(static_cast<long double>(disk.f_bavail) * disk.f_frsize / declared) + 2;
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::size_t i = 0; i < count; ++i) entries.emplace_back("part" + std::to_string(i), "x");
    RawZip::Write(Path("huge.zip"), entries);
    RawZip::DeclareSizes(Path("huge.zip"), declared);
    std::string error = ExtractionError(Path("huge.zip"), Path("huge"));
    EXPECT_EQ(
        error.rfind("Cannot extract into " + Path("huge") + ": the archive's files need " +
                        std::to_string(static_cast<unsigned long long>(declared) * count) + " bytes and the disk has ",
                    0),
        0u)
        << error;
    EXPECT_TRUE(std::filesystem::is_empty(Path("huge")));
}

}  // namespace
