#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modCommonHerdFlock.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"

namespace {

const std::string kHerdPrompt =
    "Before you can use this program for cattle you must provide your herd number.\r\n"
    "Please enter it now.";
const std::string kFlockPrompt =
    "Before you can use this program for sheep you must provide your flock number.\r\n"
    "Please enter it now.";
const std::string kHoldingPrompt =
    "Before you can use this program you must provide your holding number.\r\n"
    "Please enter it now.";
const std::string kHerdError = "Your herd number must be 'UK' followed by 6 digits - please try again.";
const std::string kFlockError =
    "Your flock number must be 'UK0' or 'UK1' followed by 6 more digits - please try again.";
const std::string kHoldingError =
    "Your holding number number must be like '12/345/6789' (optionally followed by a "
    "sublocation like '-01') - please try again.";

class HerdFlockHolding : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompts prompts;

    void SetUp() override { ASSERT_TRUE(modCommon::VersionCheck()); }

    // species 1 cattle / 2 sheep, and the country's two flags
    void Holding(int species, bool herdFlock, bool holding) {
        modCommon::Species = species;
        modCommon::HerdFlockRequired = herdFlock;
        modCommon::HoldingNumberRequired = holding;
    }
    void Store(const std::string& item, const std::string& value) {
        modCommon::Database().Execute("INSERT INTO KelvoData (ItemName,ItemData) VALUES ('" + item + "','" + value +
                                      "')");
    }
    std::vector<std::string> Stored(const std::string& item) {
        std::vector<std::string> values;
        Recordset rs =
            modCommon::Database().OpenRecordset("SELECT ItemData FROM KelvoData WHERE ItemName='" + item + "'");
        for (; !rs.Eof(); rs.MoveNext()) values.push_back(rs.Field(0).ToString());
        return values;
    }
    std::string HoldingLocation() {
        Recordset rs =
            modCommon::Database().OpenRecordset("SELECT LocationDescription FROM Locations WHERE LocationID=3");
        return rs.Field(0).ToStringOr("");
    }
    // Every prompt shown, as "kind|title|text".
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const auto& s : prompts.shown()) out.push_back(s.kind + "|" + s.title + "|" + s.text);
        return out;
    }
};

using V = std::vector<std::string>;

TEST_F(HerdFlockHolding, NewCattleHoldingAsksHerdThenHoldingAndStoresBoth) {
    Holding(1, true, true);
    prompts.Type("uk123456").Type("12/345/6789");
    modCommon::HerdFlockHoldingSetup(0);
    EXPECT_EQ(Shown(), (V{"InputBox|Herd Number|" + kHerdPrompt, "InputBox|Holding Number|" + kHoldingPrompt}));
    EXPECT_EQ(Stored("HerdNumber"), V{"UK123456"});
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789"});
    EXPECT_EQ(HoldingLocation(), "12/345/6789");
    EXPECT_EQ(modCommon::Species, 1);
}

TEST_F(HerdFlockHolding, HerdNumbersOfTheWrongFormAreRefusedUntilOneFits) {
    Holding(1, true, false);
    prompts.Type("UK 123456").Answer(Prompts::OK).Type("UK12345").Answer(Prompts::OK);
    prompts.Type("UK1234567").Answer(Prompts::OK).Type("xUK123456").Answer(Prompts::OK);
    prompts.Type("UK123456");
    modCommon::HerdFlockHoldingSetup(0);
    const std::string ask = "InputBox|Herd Number|" + kHerdPrompt;
    const std::string refuse = "MsgBox|Herd Number Error|" + kHerdError;
    EXPECT_EQ(Shown(), (V{ask, refuse, ask, refuse, ask, refuse, ask, refuse, ask}));
    EXPECT_EQ(prompts.shown()[1].style, Prompts::OKOnly);
    EXPECT_EQ(Stored("HerdNumber"), V{"UK123456"});
    EXPECT_TRUE(Stored("HoldingNumber").empty());
}

TEST_F(HerdFlockHolding, FlockNumbersTakeUK0OrUK1AndSixDigits) {
    Holding(2, true, false);
    prompts.Type("UK2123456").Answer(Prompts::OK).Type("uk0123456");
    modCommon::HerdFlockHoldingSetup(0);
    EXPECT_EQ(Shown(), (V{"InputBox|Flock Number|" + kFlockPrompt, "MsgBox|Flock Number Error|" + kFlockError,
                          "InputBox|Flock Number|" + kFlockPrompt}));
    EXPECT_EQ(Stored("FlockNumber"), V{"UK0123456"});
    EXPECT_TRUE(Stored("HerdNumber").empty());

    // the change-flock item replaces it, leaving one row
    prompts.Type("UK1123456");
    modCommon::HerdFlockHoldingSetup(2);
    EXPECT_EQ(prompts.shown().back().text, "Please enter your new flock number.");
    EXPECT_EQ(Stored("FlockNumber"), V{"UK1123456"});
}

TEST_F(HerdFlockHolding, HoldingNumberFormsWithAndWithoutSublocation) {
    Holding(2, false, true);
    for (const char* refused : {"12/345/678", "12/345/6789-1", "12-345-6789", "12/345/6789 "})
        prompts.Type(refused).Answer(Prompts::OK);
    prompts.Type("12/345/6789-01");
    modCommon::HerdFlockHoldingSetup(0);
    const std::string ask = "InputBox|Holding Number|" + kHoldingPrompt;
    const std::string refuse = "MsgBox|Holding Number Error|" + kHoldingError;
    EXPECT_EQ(Shown(), (V{ask, refuse, ask, refuse, ask, refuse, ask, refuse, ask}));
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789-01"});
    EXPECT_EQ(HoldingLocation(), "12/345/6789-01");
}

TEST_F(HerdFlockHolding, ChangeHoldingReplacesTheNumberAndTheLocation) {
    Holding(1, true, true);
    Store("HerdNumber", "UK123456");
    prompts.Type("12/345/6789");
    modCommon::HerdFlockHoldingSetup(3);  // herd stored: only the holding is asked
    prompts.Type("98/765/4321");
    modCommon::HerdFlockHoldingSetup(3);
    EXPECT_EQ(Shown(), (V{"InputBox|Holding Number|" + kHoldingPrompt,
                          "InputBox|Holding Number|Please enter your new holding number."}));
    EXPECT_EQ(Stored("HoldingNumber"), V{"98/765/4321"});
    EXPECT_EQ(HoldingLocation(), "98/765/4321");
    EXPECT_EQ(Stored("HerdNumber"), V{"UK123456"});
}

// A change item asks its own number even when stored and then only a missing other one;
// the change-holding item asks a missing herd number first.
TEST_F(HerdFlockHolding, ChangeItemsAskTheirNumberAndThenOnlyMissingOnes) {
    Holding(1, true, true);
    Store("HerdNumber", "UK123456");
    prompts.Type("UK654321").Type("12/345/6789");
    modCommon::HerdFlockHoldingSetup(1);
    modCommon::Database().Execute("DELETE FROM KelvoData WHERE ItemName='HerdNumber'");
    prompts.Type("UK111111").CancelInput();
    modCommon::HerdFlockHoldingSetup(3);  // cancelling the holding change keeps the old one
    EXPECT_EQ(Shown(), (V{"InputBox|Herd Number|Please enter your new herd number.",
                          "InputBox|Holding Number|" + kHoldingPrompt, "InputBox|Herd Number|" + kHerdPrompt,
                          "InputBox|Holding Number|Please enter your new holding number."}));
    EXPECT_EQ(Stored("HerdNumber"), V{"UK111111"});
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789"});
    EXPECT_EQ(HoldingLocation(), "12/345/6789");
    EXPECT_EQ(modCommon::Species, 1);
}

TEST_F(HerdFlockHolding, CancellingAChangeKeepsTheNumberAndEndsAtOnce) {
    Holding(1, true, true);
    Store("HerdNumber", "UK123456");
    prompts.CancelInput();
    modCommon::HerdFlockHoldingSetup(1);  // the missing holding number is not asked
    EXPECT_EQ(Shown(), V{"InputBox|Herd Number|Please enter your new herd number."});
    EXPECT_EQ(Stored("HerdNumber"), V{"UK123456"});
    EXPECT_TRUE(Stored("HoldingNumber").empty());
}

TEST_F(HerdFlockHolding, GivingNoNumberOffersToLeaveTheProgram) {
    Holding(1, true, true);
    prompts.CancelInput().Answer(Prompts::No).Type("").Answer(Prompts::Yes);
    modCommon::HerdFlockHoldingSetup(0);
    const std::string ask = "InputBox|Herd Number|" + kHerdPrompt;
    const std::string exit = "MsgBox|Exit Program?|Do you want to exit this program now?";
    EXPECT_EQ(Shown(), (V{ask, exit, ask, exit}));
    EXPECT_EQ(prompts.shown()[1].style, Prompts::YesNo);
    EXPECT_EQ(modCommon::Species, 0);
    EXPECT_TRUE(Stored("HerdNumber").empty());
    EXPECT_TRUE(Stored("HoldingNumber").empty());
}

TEST_F(HerdFlockHolding, DecliningToLeaveAsksAgain) {
    Holding(2, false, true);
    prompts.CancelInput().Answer(Prompts::No).Type("12/345/6789");
    modCommon::HerdFlockHoldingSetup(0);
    EXPECT_EQ(prompts.shown().size(), 3u);
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789"});
    EXPECT_EQ(modCommon::Species, 2);
}

TEST_F(HerdFlockHolding, NothingIsAskedWhenNothingIsRequiredOrAllIsStored) {
    Holding(1, false, false);
    modCommon::HerdFlockHoldingSetup(0);
    modCommon::HerdFlockHoldingSetup(1);
    modCommon::HerdFlockHoldingSetup(3);
    Holding(2, true, true);
    Store("FlockNumber", "UK0123456");
    Store("HoldingNumber", "12/345/6789");
    modCommon::HerdFlockHoldingSetup(0);
    modCommon::HerdFlockHoldingSetup(1);  // the herd item on a sheep holding
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(HerdFlockHolding, AFailedWriteKeepsTheOldNumber) {
    Holding(1, true, false);
    Store("HerdNumber", "UK123456");
    modCommon::Database().Execute(
        "CREATE TRIGGER NoNewHerd BEFORE INSERT ON KelvoData WHEN NEW.ItemName='HerdNumber' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    prompts.AcceptAllOK().Type("UK654321");
    modCommon::HerdFlockHoldingSetup(1);
    ASSERT_EQ(prompts.Messages().size(), 1u);  // the failing insert, reported by the procedure
    EXPECT_EQ(prompts.Messages()[0],
              "An error occurred in procedure HerdFlockHoldingSetup in modCommon\r\n"
              "The error was 'refused' (Error number -2147467259)");
    EXPECT_EQ(Stored("HerdNumber"), V{"UK123456"});
}

TEST_F(HerdFlockHolding, TheHoldingNumberAndItsLocationChangeTogetherOrNotAtAll) {
    Holding(1, false, true);
    prompts.Type("12/345/6789");
    modCommon::HerdFlockHoldingSetup(0);
    modCommon::Database().Execute(
        "CREATE TRIGGER KeepHolding BEFORE UPDATE ON Locations BEGIN SELECT RAISE(ABORT, 'refused'); END");
    prompts.AcceptAllOK().Type("98/765/4321");
    modCommon::HerdFlockHoldingSetup(3);
    EXPECT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789"});
    EXPECT_EQ(HoldingLocation(), "12/345/6789");
}

}  // namespace
