// A tag-bucket file imported without the main window.
#include "core/modEID.h"
#include "fixtures/RegisterFixture.h"
#include "platform/Csv.h"
#include "platform/FileSystem.h"
#include "register/TagBucketImport.h"

using TagBucketImportTest = RegisterTest;

TEST_F(TagBucketImportTest, EachTagAndEIDOnceAllOrNothingWithTheProgressOfTheRowsRead) {
    modCommon::Species = modCommon::Sheep;
    const std::string known = "0123456789ABCDEF", fresh = modEID::DecimalEIDToHexEID("0826012345600201", 4);
    FileSystem::WriteAll(Path("bucket.txt"), known + ",UK0123456 00300\n" + fresh + ",UK0123456 00001\nbad,line\n" +
                                                 fresh + ",UK0123456 00001\n");
    const CsvReader file = CsvReader::FromFile(Path("bucket.txt"), ',', false);
    std::vector<int> progress;
    EXPECT_EQ(TagBucketImport::Import(Db(), file, true, [&](int percent) { progress.push_back(percent); }), 1);
    EXPECT_EQ(progress, (std::vector<int>{25, 50, 100}));
    EXPECT_EQ(Rows("SELECT TagNumber || ':' || AnimalType FROM Animals WHERE AnimalID > 9"), "UK0123456 00300:0");
    EXPECT_EQ(Rows("SELECT AnimalID || '=' || EIDNumber FROM EIDs ORDER BY EIDID"), "1=" + known + ",1=" + fresh)
        << "a known EID is not given to the new tag; the known tag gets the new one once";

    // An EID that cannot be written leaves the new tags out too.
    Db().Execute("CREATE TRIGGER NoEIDs BEFORE INSERT ON EIDs BEGIN SELECT RAISE(ABORT, 'no'); END");
    FileSystem::WriteAll(Path("more.txt"), modEID::DecimalEIDToHexEID("0826012345600202", 4) + ",UK0123456 00400\n");
    EXPECT_THROW(TagBucketImport::Import(Db(), CsvReader::FromFile(Path("more.txt"), ',', false), true, [](int) {}),
                 RuntimeError);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals"), "10");
}
