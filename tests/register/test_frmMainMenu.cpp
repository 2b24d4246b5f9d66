// The main window's menu and the windows it opens, tag search, the help pane and grid printing.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <fstream>
#include <set>
#include <tuple>

#include "core/modEID.h"
#include "core/modMainWindowServices.h"
#include "corewindows/frmSpecies.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/RegisterFixture.h"
#include "fixtures/ScratchHome.h"
#include "fixtures/WindowChecks.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TabControl.h"

namespace {

class MenuTest : public RegisterTest {
protected:
    void TearDown() override {
        Prompts::SetPrintPreview(nullptr);
        RegisterTest::TearDown();
    }
    std::string Help() { return Form().rtbHelp->toPlainText().toStdString(); }

    bool Shown(const char* caption) {
        DataGrid& grid = *Form().grdAnimals;
        for (int column = 0; column < grid.Model().columnCount(); ++column)
            if (grid.Model().headerData(column, Qt::Horizontal).toString() == caption)
                return !grid.View().horizontalHeader()->isSectionHidden(column);
        return false;
    }
    // Types the text into the tag search box and presses Enter.
    void Search(const std::string& text) {
        Form().txbTagSearch->setText(QString::fromStdString(text));
        QTest::keyClick(Form().txbTagSearch, Qt::Key_Return);
    }
};

TEST_F(MenuTest, LocalBackupComesBackThroughTheRestoreAndABadFileIsRefused) {
    frmMain& form = Open();
    // Saved with a dot in its name, it gets the restore's ending; dialogs open at home, then where
    // it went. Saved so again, the file of that name is not replaced unasked.
    const std::string backup = Path("flock 09.12.2026.mdb");
    prompts.ChooseFile(Path("flock 09.12.2026")).Answer(Prompts::OK);
    form.mnuBackupLocal->trigger();
    EXPECT_EQ(prompts.LastText(), "Your data was backed up successfully to " + backup);
    prompts.ChooseFile(Path("flock 09.12.2026")).Answer(Prompts::No).ChooseFile("");
    form.mnuBackupLocal->trigger();
    EXPECT_EQ(prompts.shown()[3].text + "/" + std::to_string(prompts.shown()[3].style),
              backup + " already exists.\r\nDo you want to replace it?/308");

    // Two restores within a second keep two copies, each of the data it replaced, in the folder
    // the restore's dialog offers.
    DateTime::PinClock({2026, 12, 9, 14, 3, 22});
    Db().Execute("DELETE FROM Animals WHERE AnimalID=7");
    form.tmrSetGridRecords_Timer();
    for (int restore = 0; restore < 2; ++restore) {
        prompts.ChooseFile(backup).Answer(Prompts::OK);
        form.mnuRestoreLocal->trigger();
        EXPECT_EQ(GridTags().front(), "ABC");
    }
    const std::string kept = home.DataFolder() + "/Kelvo before restore 2026-12-09 14.03.22";
    EXPECT_EQ(home.KeptCopies(), (std::vector<std::string>{kept + " (2).mdb", kept + ".mdb"}));
    EXPECT_EQ(prompts.shown()[6].text,
              "Your data was restored successfully.\r\nThe data it replaced is kept in " + kept + ".mdb");
    EXPECT_EQ(prompts.LastText(),
              "Your data was restored successfully.\r\nThe data it replaced is kept in " + kept + " (2).mdb");
    EXPECT_EQ(DatabaseBuilder::Scalar(kept + ".mdb", "SELECT count(*) FROM Animals WHERE AnimalID=7"), "0");
    EXPECT_EQ(DatabaseBuilder::Scalar(kept + " (2).mdb", "SELECT count(*) FROM Animals WHERE AnimalID=7"), "1");
    EXPECT_EQ(prompts.shown()[7].places, std::vector<std::string>{home.DataFolder()});

    std::ofstream(Path("notes.mdb")) << "not a database";
    prompts.ChooseFile(Path("notes.mdb")).Answer(Prompts::OK);
    form.mnuRestoreLocal->trigger();
    EXPECT_EQ(prompts.LastText(), "Your data could not be restored.");
    EXPECT_EQ(GridTags().size(), 7u);
    EXPECT_EQ(prompts.shown()[8].title + "/" + prompts.shown().back().title, "Restored OK/Restore Failed");
    EXPECT_EQ(prompts.shown()[0].folder + " " + prompts.shown()[5].folder, Program::Home() + " " + home.root());

    // A folder that is not there: the gateway logs why, then the keeper is told.
    prompts.ChooseFile(Path("missing/backup.mdb")).Answer(Prompts::OK).Answer(Prompts::OK);
    form.mnuBackupLocal->trigger();
    EXPECT_EQ(prompts.LastText(),
              "Your data could not be backed up\r\nPlease check that there is enough space\r\non the device you are "
              "backing up to and try again.");
    EXPECT_TRUE(prompts.Done());
}

// A backup onto a full disk says so once, and keeps the backup that was there and no scratch.
TEST_F(MenuTest, ALocalBackupOntoAFullDiskSaysSoOnceAndKeepsTheEarlierBackup) {
    frmMain& form = Open();
    const std::string backup = Path("backup.mdb");
    prompts.ChooseFile(backup).Answer(Prompts::OK);
    form.mnuBackupLocal->trigger();
    const std::string earlier = FileSystem::ReadAll(backup);
    prompts.ChooseFile(backup).Answer(Prompts::OK);
    {
        FileSizeLimit full(earlier.size() / 2);
        form.mnuBackupLocal->trigger();
    }
    EXPECT_TRUE(prompts.Done());
    EXPECT_EQ(prompts.LastText(),
              "Your data could not be backed up, as the disk you are backing up to is full.\r\n"
              "The earlier backup in " +
                  backup + " has been kept.");
    EXPECT_EQ(prompts.shown().back().title, "Backup Failed");
    EXPECT_TRUE(FileSystem::ReadAll(backup) == earlier);
    EXPECT_FALSE(FileSystem::Exists(Path("backup.mdbtmp")) || FileSystem::Exists(Path("backup.mdbtmp-journal")));
}

// Every menu title and item has a letter of its own within its menu, and its caption keeps its
// words; Alt and a title's letter open the menu, an item's letter chooses it.
TEST_F(MenuTest, MenusOpenAndChooseFromTheKeyboard) {
    frmMain& form = Open();
    std::vector<std::string> unreachable;
    std::function<void(const QList<QAction*>&)> check = [&](const QList<QAction*>& items) {
        std::set<QKeySequence> letters;
        for (const QAction* item : items) {
            const QKeySequence letter = QKeySequence::mnemonic(item->text());
            if (letter.isEmpty() || !letters.insert(letter).second) unreachable.push_back(ShownCaption(item->text()));
            if (item->menu()) check(item->menu()->actions());
        }
    };
    check(form.menuBar()->actions());
    EXPECT_EQ(unreachable, std::vector<std::string>{});
    EXPECT_EQ(ShownCaption(form.mnuExit->text()) + "|" + ShownCaption(form.mnuExportMovementOwnedCSV->text()),
              "Exit|Movement Data for Selected Animals (Owned Animals Only)");

    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), form.mnuFile);
    QTest::keyClick(form.mnuFile, Qt::Key_B);
    ASSERT_EQ(QApplication::activePopupWidget(), form.mnuBackup);
    prompts.ChooseFile("");
    QTest::keyClick(form.mnuBackup, Qt::Key_L);
    EXPECT_EQ(prompts.shown().back().title, "Backup your data");
}

TEST_F(MenuTest, ChangingSpeciesSetsTheWindowUpAgainAndLeavingWithoutOneClosesIt) {
    modCommon::AddKelvoData("HerdNumber", "123456");
    modCommon::AddKelvoData("HoldingNumber", "12/345/6789");
    frmMain& form = Open();
    form.show();
    RunModal<frmSpecies>([&] { form.mnuChangeSpecies->trigger(); },
                         [](frmSpecies& window) { window.cmdSpecies_Click(1); });
    EXPECT_EQ(GridTags(), (std::vector<std::string>{"UK123456 100001", "UK123456 100002"}));
    EXPECT_TRUE(form.mnuChangeHerdNumber->isVisible());

    RunModal<frmSpecies>([&] { form.mnuChangeCountry->trigger(); },
                         [this](frmSpecies& window) {
                             EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KelvoData WHERE ItemName='CountryName'"), "0");
                             window.cmdSpecies_Click(0);
                         });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmMain::Loaded(), nullptr);
}

TEST_F(MenuTest, ADeviceWindowKeepsTheMainWindowDisabledUntilAQuarterSecondAfterItCloses) {
    frmMain& form = Open();
    form.show();
    int action = -1;
    QPointer<QDialog> device;
    modMainWindowServices::RegisterStickReaderWindow([&](int HHAction, QWidget* owner) {
        action = HHAction;
        device = new QDialog(owner);
        device->setWindowModality(Qt::WindowModal);
        QObject::connect(device, &QDialog::finished, [] { modMainWindowServices::StartZOrderTimer(); });
        device->show();
    });
    auto usable = [&] { return form.canvas->isEnabled() || form.menuBar()->isEnabled(); };
    form.mnuImportKRX900S->trigger();
    EXPECT_EQ(action, modMainWindowServices::StickReaderImport);
    ASSERT_TRUE(device && device->isEnabled());
    EXPECT_FALSE(usable());
    QElapsedTimer clock;
    clock.start();
    device->reject();
    WaitUntil(usable);
    EXPECT_GE(clock.elapsed(), 200) << "not before a quarter second";
    EXPECT_TRUE(form.canvas->isEnabled() && form.menuBar()->isEnabled());

    // No phone window registered: nothing opens and the main window stays usable.
    modMainWindowServices::RegisterMobilePhoneWindow({});
    form.mnuImportMobilePhone->trigger();
    EXPECT_TRUE(usable());
}

TEST_F(MenuTest, TagSearchSelectsByNumberTagOrEIDAndTakesEveryCharacterLiterally) {
    Db().Execute(
        "INSERT INTO Animals (AnimalID, AnimalType, TagNumber, TagSort, Species) VALUES"
        " (20, 1, 'UK0999999 00001', 1, 2), (21, 1, 'UK0123456 5', 5, 2), (22, 1, 'UK0123456 5%', 5, 2),"
        " (23, 1, 'O''NEILL 7', 7, 2);"
        "INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (7, '" +
        modEID::DecimalEIDToHexEID("0826012345678901", 4) + "'), (2, 'A123456789ABCDEF');");
    frmMain& form = Open();
    QTest::keyClicks(form.txbTagSearch, "abc");
    EXPECT_EQ(form.txbTagSearch->text(), "ABC");

    const std::tuple<std::string, std::string, long> cases[] = {
        {"00001", "2 animals selected.", 2},
        {"UK0123456 00001", "", 1},
        {"5%", "", 1},  // not "5" followed by anything
        {"O'NEILL 7", "", 1},
        {"0826 012345678901", "", 1},  // a decimal EID, blanks and all, whatever the tag's flags
        {"A123456789ABCDEF", "", 1},
        {"_", "You have no animals with a tag of _.", 0},
        {"%", "You have no animals with a tag of %.", 0},
        {"'", "You have no animals with a tag of '.", 0},
        {" 00001", "You have no animals with a tag of  00001.", 0},
        {"UK123456 100001", "You have no animals with a tag of UK123456 100001.", 0},  // a cow
        {std::string(100, '9'), "You have no animals with a tag of " + std::string(100, '9') + ".", 0},
    };
    for (const auto& [typed, message, selected] : cases) {
        form.cmdDeSelectAll_Click();
        if (!message.empty()) prompts.Answer(Prompts::OK);
        const std::size_t shown = prompts.shown().size();
        Search(typed);
        EXPECT_EQ(form.grdAnimals->SelCount(), selected) << typed;
        EXPECT_EQ(prompts.shown().size() > shown ? prompts.LastText() : "", message) << typed;
    }
    Search("0826 012345678901");
    EXPECT_EQ(form.txbTagSearch->text(), "") << "an animal found by its EID empties the box";
    EXPECT_EQ(prompts.shown().back().title, "Animal Selection Result");

    // With the grid filtered to Flock A: found animals it hides are counted, the selection kept.
    Select({"UK0123456 00001"});
    Tick(form.lstGroups, "Flock A");
    form.tmrSetGridRecords_Timer();
    prompts.Answer(Prompts::OK).Answer(Prompts::OK);
    Search("00001");
    EXPECT_EQ(
        prompts.LastText(),
        "1 animal selected. \r\nYou also have 1 animal with this tag that is not currently displayed in the grid.");
    Search("00002");
    EXPECT_EQ(prompts.LastText(),
              "1 animal with this tag exists in your records but it is not currently displayed in the grid.");
    EXPECT_EQ(form.grdAnimals->SelCount(), 1);
    EXPECT_EQ(modCommon::GetSingleAnimalID(), 1);
    Search("   ");
    EXPECT_TRUE(prompts.Done());
}

TEST_F(MenuTest, HelpFollowsThePointerOncePerControlAndTabAndMenuTitles) {
    frmMain& form = Open();
    form.show();
    form.tabDetails->resize(DesignGeometry::Pixels(11730), form.tabDetails->height());
    auto pointAt = [&](QWidget* widget) { QTest::mouseMove(widget, QPoint(5, 5)); };
    pointAt(form.grdAnimals->View().viewport());
    EXPECT_EQ(Help().rfind("The Animal Grid", 0), 0u) << Help();
    form.rtbHelp->setPlainText("kept");
    QTest::mouseMove(form.grdAnimals->View().viewport(), QPoint(30, 20));
    EXPECT_EQ(Help(), "kept") << "moving within a control does not redraw";
    pointAt(form.lstGroups->viewport());
    EXPECT_EQ(Help().rfind("Management Groups", 0), 0u);
    pointAt(form.grdAnimals->View().viewport());
    EXPECT_EQ(Help().rfind("The Animal Grid", 0), 0u);

    form.MouseMoveHandler(form.tabDetails, 2200, 0);  // 11730 twips / 11 tabs: section 2
    EXPECT_EQ(Help().rfind("The Genders Tab", 0), 0u);
    emit form.mnuDataTransfer->aboutToShow();
    EXPECT_EQ(Help().rfind("The Data Transfer Menu", 0), 0u);
    form.MouseMoveHandler(form.tabDetails, 12000, 0);  // past the last tab: the text stays
    EXPECT_EQ(Help().rfind("The Data Transfer Menu", 0), 0u);
    form.MouseMoveHandler(form.tabDetails, 0, 0);
    EXPECT_EQ(Help().rfind("The Management Groups Tab", 0), 0u);

    // Blue Arial by default, red warnings, the selection's green behind its sample.
    form.MouseMoveHandler(form.lstLocations, 0, 0);
    EXPECT_EQ(form.rtbHelp->document()->find("Remove from records").charFormat().foreground().color(), Qt::red);
    form.MouseMoveHandler(form.grdAnimals, 0, 0);
    EXPECT_EQ(form.rtbHelp->document()->find("green").charFormat().background().color(), QColor(175, 255, 175));
    EXPECT_EQ(form.GetHelpText(form.fraDisplay), "");
}

// Cattle have no tagging-date tab: the help is that of the tab under the pointer all the same.
TEST_F(MenuTest, HelpOfTheTabUnderThePointerWhereTheSpeciesHidesATab) {
    frmMain& form = Open(1);
    form.show();
    QTabBar& bar = form.tabDetails->Bar();
    for (auto [tab, help] :
         {std::pair{6, "The Tag Changes Tab"}, {10, "The Parentage Tab"}, {4, "The Change DoBs Tab"}})
        for (int x : {bar.tabRect(tab).left() + 2, bar.tabRect(tab).right() - 2}) {  // each tab edge to edge
            QTest::mouseMove(&bar, QPoint(x, bar.height() / 2));
            EXPECT_EQ(Help().rfind(help, 0), 0u) << tab << " at " << x << ": " << Help();
        }
}

// The print preview opens over the main window within its screen, a laptop's of 1366 x 768
// pixels. With KELVO_SCREENSHOT_DIR set it is written there.
TEST_F(MenuTest, PrintPreviewOpensWithinALaptopsScreen) {
    frmMain& form = Open();
    form.move(LaptopScreen()->geometry().topLeft());
    form.show();
    QApplication::setActiveWindow(&form);
    QRect preview;
    QTimer::singleShot(0, [&] {
        QCoreApplication::processEvents();
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        preview = dialog->frameGeometry();
        SaveScreenshot(*dialog, "print-preview-1366x768");
        dialog->close();
    });
    form.PrintGrid(*form.grdAnimals, "Animal details for all animals in the grid", 0, 2, false);
    EXPECT_TRUE(LaptopScreen()->availableGeometry().contains(preview));
}

TEST_F(MenuTest, GridPrintsAndSavesWithoutTypeAndEIDColumnsAndGivesThemBack) {
    frmMain& form = Open();
    std::vector<std::string> previews;
    const std::string pdf = Path("grid.pdf");
    Prompts::SetPrintPreview([&](QPrinter& printer, const Prompts::PaintPages& paint, const std::string& title) {
        previews.push_back(title);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        EXPECT_FALSE(Shown("Type") || Shown("EID?"));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        paint(printer);
    });
    prompts.Answer(Prompts::OK);
    form.PrintGrid(*form.grdAnimals, "Animal details for selected animals in the grid", 1, 2, false);
    EXPECT_EQ(prompts.LastText(), "Please select at least one item in the grid to print 'Selected Rows'.");
    EXPECT_TRUE(previews.empty());

    Select({"ABC", "UK0123456 00003"});
    form.PrintGrid(*form.grdAnimals, "Animal details for selected animals in the grid", 1, 2, false);
    EXPECT_EQ(previews, (std::vector<std::string>{"Animal details for selected animals in the grid"}));
    EXPECT_EQ(QByteArray::fromStdString(Bytes(pdf)).count("/Type /Page\n"), 1);
    EXPECT_TRUE(Shown("Type") && Shown("EID?"));

    prompts.ChooseFile(Path("grid.html"));
    form.PrintGrid(*form.grdAnimals, "Animal details for all animals in the grid", 0, 2, true);
    const std::string html = Bytes(Path("grid.html"));
    EXPECT_EQ(html.find(">Type</th>"), std::string::npos);
    EXPECT_EQ(html.find(">EID?</th>"), std::string::npos);
    EXPECT_NE(html.find("<td>UK0123456</td><td>00010</td>"), std::string::npos);
    EXPECT_EQ(QByteArray::fromStdString(html).count("<tr>"), 1 + GridTags().size());
    prompts.ChooseFile("");
    form.PrintGrid(*form.grdAnimals, "Animal details for all animals in the grid", 0, 2, true);
    EXPECT_TRUE(Shown("Type") && Shown("EID?"));
    EXPECT_EQ(prompts.shown()[0].title + "/" + prompts.shown()[1].title,
              "Nothing Selected in the Grid/Export to HTML file");
}

}  // namespace
