#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "corewindows/frmSpecies.h"
#include "fixtures/WindowChecks.h"
#include "fixtures/WindowTest.h"

namespace {

using V = std::vector<std::string>;

const QString kChooseCountry = "Please choose the country you are in from the list below";
const QString kChooseSpecies = "Please select the species you want to work with";

class frmSpeciesTest : public WindowTest {
protected:
    void SetUp() override { ASSERT_TRUE(modCommon::VersionCheck()); }

    void RunWindow(const std::function<void(frmSpecies&)>& steps, bool countryOnly = false) {
        RunModal<frmSpecies>([&] { frmSpecies::ShowModal(nullptr, countryOnly); }, steps);
    }

    V Stored(const std::string& item) {
        V values;
        Recordset rs =
            modCommon::Database().OpenRecordset("SELECT ItemData FROM KelvoData WHERE ItemName='" + item + "'");
        for (; !rs.Eof(); rs.MoveNext()) values.push_back(rs.Field(0).ToString());
        return values;
    }
    void Store(const std::string& item, const std::string& value) {
        modCommon::Database().Execute("INSERT INTO KelvoData (ItemName,ItemData) VALUES ('" + item + "','" +
                                      modCommon::SQLQuotes(value) + "')");
    }
    static V Countries(const frmSpecies& form) {
        V names;
        for (int i = 0; i < form.lstCountries->count(); ++i)
            names.push_back(form.lstCountries->item(i)->text().toStdString());
        return names;
    }
    static bool SpeciesButtonsShown(const frmSpecies& form) {
        for (QPushButton* b : form.cmdSpecies)
            if (b->isHidden()) return false;
        return true;
    }
    static void Choose(frmSpecies& form, const QString& country) {
        const auto found = form.lstCountries->findItems(country, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        form.lstCountries->setCurrentItem(found[0]);
        form.lstCountries_Click();
    }
};

TEST_F(frmSpeciesTest, FirstUseStoresAnIdentityAndTheCountryThenAsksTheSpecies) {
    prompts.Type("UK123456").Type("12/345/6789");
    RunWindow([&](frmSpecies& form) {
        EXPECT_EQ(form.lblInfo[0]->text(), kChooseCountry);
        EXPECT_EQ(form.lblInfo[1]->text(), kChooseCountry);
        EXPECT_TRUE(form.lstCountries->isVisible());
        EXPECT_FALSE(SpeciesButtonsShown(form));
        EXPECT_EQ(Countries(form), (V{"England", "Scotland", "Wales", "Northern Ireland", "Isle of Man",
                                      "Other EEC Countries", "Other Non-EEC Countries"}));
        const V guid = Stored("DataSourceGUID");
        ASSERT_EQ(guid.size(), 1u);
        EXPECT_EQ(guid[0].size(), 36u);

        Choose(form, "England");
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.lstCountries->isHidden());
        EXPECT_EQ(form.lblInfo[0]->text(), kChooseSpecies);
        EXPECT_EQ(form.lblInfo[1]->text(), kChooseSpecies);
        EXPECT_TRUE(SpeciesButtonsShown(form));
        EXPECT_EQ(Stored("CountryName"), V{"England"});

        form.cmdSpecies[1]->click();
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_EQ(modCommon::Species, 1);
    EXPECT_EQ(modCommon::CountryName, "England");
    EXPECT_TRUE(modCommon::HerdFlockRequired);
    EXPECT_TRUE(modCommon::HoldingNumberRequired);
    ASSERT_EQ(prompts.shown().size(), 2u);
    EXPECT_EQ(prompts.shown()[0].title, "Herd Number");
    EXPECT_EQ(prompts.shown()[1].title, "Holding Number");
    EXPECT_EQ(Stored("HerdNumber"), V{"UK123456"});
    EXPECT_EQ(Stored("DataSourceGUID").size(), 1u);
}

TEST_F(frmSpeciesTest, SecondStartAsksTheSpeciesAtOnce) {
    Store("DataSourceGUID", "0A1B2C3D-0000-0000-0000-000000000000");
    Store("CountryName", "Northern Ireland");
    Store("FlockNumber", "UK0123456");
    RunWindow([&](frmSpecies& form) {
        EXPECT_TRUE(form.lstCountries->isHidden());
        EXPECT_EQ(form.lstCountries->count(), 0);
        EXPECT_EQ(form.lblInfo[0]->text(), kChooseSpecies);
        EXPECT_TRUE(SpeciesButtonsShown(form));
        form.cmdSpecies_Click(2);
    });
    EXPECT_EQ(modCommon::Species, 2);
    EXPECT_EQ(modCommon::CountryName, "Northern Ireland");
    EXPECT_TRUE(modCommon::HerdFlockRequired);
    EXPECT_FALSE(modCommon::HoldingNumberRequired);
    EXPECT_TRUE(prompts.shown().empty());  // the flock number is stored, no holding needed
    EXPECT_EQ(Stored("DataSourceGUID").size(), 1u);
}

// A database left without a country at its first start (window closed early) still lists
// the countries and then asks the species at the next start: it never just closes.
TEST_F(frmSpeciesTest, StartWithIdentityButNoCountryStillAsksTheSpecies) {
    Store("DataSourceGUID", "0A1B2C3D-0000-0000-0000-000000000000");
    RunWindow([&](frmSpecies& form) {
        EXPECT_EQ(form.lstCountries->count(), 7);
        Choose(form, "Other EEC Countries");
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(SpeciesButtonsShown(form));
        form.cmdSpecies_Click(1);
    });
    EXPECT_EQ(modCommon::Species, 1);
    EXPECT_FALSE(modCommon::HerdFlockRequired);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(Stored("DataSourceGUID"), V{"0A1B2C3D-0000-0000-0000-000000000000"});
}

TEST_F(frmSpeciesTest, ChangeOfCountryClosesOnTheChoiceAndKeepsTheSpecies) {
    Store("DataSourceGUID", "0A1B2C3D-0000-0000-0000-000000000000");
    Store("HerdNumber", "UK123456");
    modCommon::Species = 1;
    modCommon::CountryName = "Northern Ireland";
    modCommon::HerdFlockRequired = true;
    prompts.Type("12/345/6789");  // Wales needs a holding number, none is stored
    RunWindow(
        [&](frmSpecies& form) {
            EXPECT_EQ(form.lblInfo[0]->text(), kChooseCountry);
            Choose(form, "Wales");
            EXPECT_FALSE(form.isVisible());
        },
        true);
    EXPECT_EQ(modCommon::Species, 1);
    EXPECT_EQ(modCommon::CountryName, "Wales");
    EXPECT_TRUE(modCommon::HoldingNumberRequired);
    EXPECT_EQ(Stored("CountryName"), V{"Wales"});
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, "Holding Number");
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789"});
}

// A key as the keeper presses it on the window's focused control.
void Press(frmSpecies& form, int key) {
    QWidget* focused = form.focusWidget();
    ASSERT_NE(focused, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(focused, &press);
    QApplication::sendEvent(focused, &release);
}

// Down and Enter choose a country without pressing anything else; Enter or Space then choose
// the focused species, and Exit acts only when pressed; Escape leaves. No button is a default
// button. Both steps show their texts whole, and Tab reaches every button.
TEST_F(frmSpeciesTest, KeyboardChoosesTheCountryThenTheFocusedSpeciesAndTextsWhole) {
    RunWindow([&](frmSpecies& form) {
        EXPECT_EQ(CutTexts(form), V{});
        form.lstCountries->setFocus();
        form.lstCountries->setCurrentRow(4);
        Press(form, Qt::Key_Down);
        Press(form, Qt::Key_Return);
        EXPECT_EQ(Stored("CountryName"), V{"Other EEC Countries"});
        ASSERT_TRUE(form.isVisible());
        EXPECT_TRUE(SpeciesButtonsShown(form));
        for (QPushButton* b : form.cmdSpecies) EXPECT_FALSE(b->isDefault() || b->autoDefault());
        EXPECT_EQ(form.focusWidget(), form.cmdSpecies[1]);
        EXPECT_EQ(CutTexts(form), V{});
        EXPECT_EQ(NotReachedByTab(form), V{});
        form.cmdSpecies[1]->setFocus();
        Press(form, Qt::Key_Return);
    });
    EXPECT_EQ(modCommon::Species, 1);
    RunWindow([&](frmSpecies& form) { Press(form, Qt::Key_Escape); });
    EXPECT_EQ(modCommon::Species, 1);

    RunWindow([&](frmSpecies& form) {
        form.cmdSpecies[2]->setFocus();
        Press(form, Qt::Key_Space);
    });
    EXPECT_EQ(modCommon::Species, 2);
    EXPECT_TRUE(prompts.shown().empty());
}

// The pixels of strong contrast between two pictures of a button.
long StandingOut(const QImage& a, const QImage& b) {
    long count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            count +=
                std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) + std::abs(p.blue() - q.blue()) > 192;
        }
    return count;
}

// The button Enter would press stands out on the picture from the start; the mark goes with
// the keyboard.
TEST_F(frmSpeciesTest, TheFocusedSpeciesShowsItOnThePicture) {
    Store("CountryName", "England");
    RunWindow([&](frmSpecies& form) {
        QApplication::setActiveWindow(&form);
        QPushButton *cattle = form.cmdSpecies[1], *sheep = form.cmdSpecies[2];
        const QImage cattleFocused = cattle->grab().toImage(), sheepPlain = sheep->grab().toImage();
        Press(form, Qt::Key_Tab);
        ASSERT_TRUE(sheep->hasFocus());
        EXPECT_GT(StandingOut(cattleFocused, cattle->grab().toImage()), cattle->width() + cattle->height());
        EXPECT_GT(StandingOut(sheep->grab().toImage(), sheepPlain), sheep->width() + sheep->height());
        form.close();
    });
}

TEST_F(frmSpeciesTest, ExitLeavesWithoutASpecies) {
    Store("CountryName", "England");
    RunWindow([&](frmSpecies& form) { form.cmdSpecies[0]->click(); });
    EXPECT_EQ(modCommon::Species, 0);
    // from the main window's change of species: Exit clears the species chosen before
    modCommon::Species = 2;
    RunWindow([&](frmSpecies& form) { form.cmdSpecies[0]->click(); });
    EXPECT_EQ(modCommon::Species, 0);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(frmSpeciesTest, CloseBoxLeavesTheSpeciesAsItWas) {
    RunWindow([&](frmSpecies& form) { form.close(); });
    EXPECT_EQ(modCommon::Species, 0);
    EXPECT_EQ(Stored("DataSourceGUID").size(), 1u);
    EXPECT_TRUE(Stored("CountryName").empty());

    // from the main window's change of species: the species stays and nothing is missing
    Store("CountryName", "Scotland");
    Store("FlockNumber", "UK1123456");
    Store("HoldingNumber", "12/345/6789");
    modCommon::Species = 2;
    RunWindow([&](frmSpecies& form) { form.close(); });
    EXPECT_EQ(modCommon::Species, 2);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(frmSpeciesTest, CountryNamesReachTheDatabaseQuoted) {
    modCommon::Database().Execute(
        "INSERT INTO Countries (CountryName, HerdFlockRequired, HoldingNumberRequired) "
        "VALUES ('Cote d''Ivoire', 0, 1)");
    prompts.Type("12/345/6789");
    RunWindow([&](frmSpecies& form) {
        EXPECT_EQ(Countries(form).back(), "Cote d'Ivoire");
        Choose(form, "Cote d'Ivoire");
        form.cmdSpecies_Click(2);
    });
    EXPECT_EQ(Stored("CountryName"), V{"Cote d'Ivoire"});
    EXPECT_EQ(modCommon::CountryName, "Cote d'Ivoire");
    EXPECT_TRUE(modCommon::HoldingNumberRequired);
    EXPECT_EQ(prompts.Messages().size(), 0u);  // no failing statement
    EXPECT_EQ(Stored("HoldingNumber"), V{"12/345/6789"});
}

TEST_F(frmSpeciesTest, AStoredCountryWithoutItsRowIsReportedAndChangesNothing) {
    Store("CountryName", "Atlantis");
    modCommon::CountryName = "England";
    modCommon::HerdFlockRequired = true;
    prompts.AcceptAllOK();
    RunWindow([&](frmSpecies& form) {
        EXPECT_TRUE(SpeciesButtonsShown(form));
        form.cmdSpecies_Click(0);
    });
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_NE(prompts.Messages()[0].find("SetCountryDetails"), std::string::npos);
    EXPECT_NE(prompts.Messages()[0].find("frmSpecies"), std::string::npos);
    EXPECT_EQ(modCommon::CountryName, "England");
    EXPECT_TRUE(modCommon::HerdFlockRequired);
}

TEST_F(frmSpeciesTest, SpeciesButtonsAreDrawnFromTheBackground) {
    RunWindow([&](frmSpecies& form) {
        for (QPushButton* button : form.cmdSpecies) {
            EXPECT_TRUE(button->text().isEmpty());
            const QPixmap picture = button->property("Picture").value<QPixmap>();
            EXPECT_EQ(picture.size(), button->size());
            EXPECT_FALSE(button->property("DownPicture").value<QPixmap>().isNull());
        }
        EXPECT_EQ(form.cmdSpecies[0]->property("Tag").toString(), "Exit");
        EXPECT_EQ(form.cmdSpecies[1]->property("Tag").toString(), "Cattle");
        EXPECT_EQ(form.cmdSpecies[2]->property("Tag").toString(), "Sheep");
        form.close();
    });
}

}  // namespace
