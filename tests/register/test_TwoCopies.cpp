// Two copies of the program on one register: the other one removes animals or entries after
// this one read its grid and lists, or gives a tag or a name while this one is about to write.
// What this copy writes is decided in its write's own transaction.
#include <chrono>
#include <thread>

#include "fixtures/RegisterFixture.h"
#include "register/PedigreeLinks.h"
#include "register/Treatments.h"

namespace {

using Texts = std::vector<std::string>;

class TwoCopiesTest : public RegisterTest {
protected:
    void SetUp() override {
        RegisterTest::SetUp();
        Db().SetBusyTimeout(5000);  // the other copy's lock is waited for, however the test's time runs
        other.Open(Db().Path());
        Open();
        prompts.AcceptAllOK();  // the texts are read from the record of what was shown
    }
    Connection other;  // the other copy's
};

}  // namespace

TEST_F(TwoCopiesTest, WhatTheOtherCopyRemovedMeanwhileGetsNothingAndTheKeeperIsTold) {
    frmMain& form = Form();
    const DateTime june{2024, 6, 1, 0, 0, 0};
    Select({"UK0123456 00001", "UK0123456 00002"});
    other.Execute("DELETE FROM Animals WHERE AnimalID=2; DELETE FROM LocationLink WHERE AnimalID=2");
    form.Assign(form.lstGroups, kFlockA, "Flock A");
    Treatments::Record(Db(), {june, "Dip", 1, "ml", "Vet", "Lice"}, {1, 2});
    PedigreeLinks::AddParent(Db(), 2, "UK0123456 00777", true);
    Select({"UK0123456 00001", "UK0123456 00010"});
    other.Execute(
        "DELETE FROM Animals WHERE AnimalID=4; DELETE FROM Groups WHERE GroupID=11; UPDATE Locations SET "
        "Active=0 WHERE LocationID=4");
    prompts.Type("2024-06-14").Type("").Type("2024-06-14").Type("");
    form.Assign(form.lstLocations, 3, "Holding");
    form.Assign(form.lstGroups, 11, "apple");
    form.Assign(form.lstLocations, kTopField, "Top Field");

    EXPECT_EQ(Scalar("SELECT count(*) FROM (SELECT AnimalID FROM GroupLink UNION ALL SELECT AnimalID FROM "
                     "LocationLink UNION ALL SELECT AnimalID FROM TreatmentLink UNION ALL SELECT AnimalID FROM "
                     "TagChanges) WHERE AnimalID NOT IN (SELECT AnimalID FROM Animals)") +
                  Scalar("SELECT count(*) FROM Animals WHERE TagNumber='UK0123456 00777'") +
                  Scalar("SELECT (SELECT count(*) FROM GroupLink WHERE GroupID=11) + (SELECT count(*) FROM "
                         "LocationLink WHERE LocationID=4 AND AnimalID=1)"),
              "000")
        << "no row for an animal, group or location gone, nor a parent for an animal gone";
    const std::string one =
        "One of the selected animals is no longer in your records, so nothing has been recorded for it.";
    EXPECT_EQ(prompts.Messages(),
              (Texts{one, one, "The group 'apple' is no longer in your records, so nothing has been recorded.",
                     "The location 'Top Field' is no longer in your records, so nothing has been recorded."}));
}

// The other copy commits while this one waits to write: this one's checks see what it wrote.
TEST_F(TwoCopiesTest, ATagOrANameThatTheOtherCopyGivesMeanwhileIsRefused) {
    Select({"UK0123456 00001"});
    const auto otherGives = [&](const std::string& sql, const std::function<void()>& action) {
        other.Execute("BEGIN IMMEDIATE; " + sql);
        std::thread commit([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other.Execute("COMMIT");
        });
        action();
        commit.join();
    };
    prompts.Type("UK0123456 00099").Type("2024-06-14").Type("Ewes").CancelInput();
    otherGives("UPDATE Animals SET TagNumber='UK0123456 00099' WHERE AnimalID=4",
               [&] { Form().cmdRecordTagChange_Click(); });
    otherGives("INSERT INTO Groups (GroupName) VALUES ('Ewes')", [&] { Form().CreateNew(Form().lstGroups); });
    EXPECT_EQ(Scalar("SELECT (SELECT count(*) FROM Animals WHERE TagNumber='UK0123456 00099') || (SELECT count(*) "
                     "FROM TagChanges) || (SELECT count(*) FROM Groups WHERE GroupName='Ewes')"),
              "101");
    EXPECT_EQ(prompts.Messages(),
              (Texts{"The tag UK0123456 00099is already in current use. The change has not been recorded.",
                     "The name 'Ewes' is already in use: another group has it. Please choose another name."}));
}
