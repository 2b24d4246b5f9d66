// Tag changes without the main window.
#include "fixtures/RegisterData.h"
#include "register/TagChanges.h"

TEST_F(RegisterDataTest, TagChangesKeepTheHistoryAndTheCurrentTagTogether) {
    EXPECT_FALSE(TagChanges::IsValidTag("UK0123456", true)) << "no blank before the tag";
    EXPECT_FALSE(TagChanges::IsValidTag("uk0123456 00001", false));
    EXPECT_TRUE(TagChanges::IsOwned(Db(), 1));
    EXPECT_FALSE(TagChanges::IsOwned(Db(), 4));

    using TagChanges::Outcome;
    const DateTime april{2024, 4, 1, 0, 0, 0}, may{2024, 5, 1, 0, 0, 0}, june{2024, 6, 1, 0, 0, 0};
    EXPECT_EQ(TagChanges::Record(Db(), 1, "UK0123456 00002", may, 2), Outcome::TagInUse);
    EXPECT_EQ(TagChanges::Record(Db(), 1, "UK123456 100001", may, 2), Outcome::Latest) << "a cow's tag";
    EXPECT_EQ(TagChanges::Record(Db(), 1, "UK0123456 00099", april, 2), Outcome::Recorded);
    EXPECT_EQ(TagChanges::Record(Db(), 1, "UK0123456 00020", june, 2), Outcome::Latest);
    EXPECT_EQ(Scalar("SELECT TagNumber || '/' || TagSort FROM Animals WHERE AnimalID=1"), "UK0123456 00020/20");
    EXPECT_EQ(Rows("SELECT OldTag || '@' || substr(EventDate,6,2) FROM TagChanges WHERE AnimalID=1 ORDER BY EventDate"),
              "UK0123456 00099@04,UK0123456 00001@05,UK123456 100001@06");

    const std::string first = Scalar("SELECT min(TagChangeID) FROM TagChanges");
    TagChanges::Delete(Db(), {0, std::stoll(first)});
    EXPECT_EQ(Scalar("SELECT Count(*) FROM TagChanges"), "2");
}
