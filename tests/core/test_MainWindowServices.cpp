#include <gtest/gtest.h>

#include <QWidget>

#include "core/modMainWindowServices.h"
#include "fixtures/MainWindowStandIn.h"
#include "fixtures/TempHome.h"

using namespace modMainWindowServices;

namespace {

void ExpectNoMainWindowBut(const std::string& gridSQL = "") {
    UpdateAfterImport();
    StartZOrderTimer();
    EXPECT_EQ(GetGridSQL(), gridSQL);
    EXPECT_EQ(GridAnimalsAndTags(), 0);
    EXPECT_EQ(SelectedAnimalsAndTags(), 0);
    EXPECT_TRUE(SelectedAnimalIDs().empty());
    EXPECT_EQ(MainWindowOwner(), nullptr);
}

}  // namespace

TEST(MainWindowServices, WithoutAMainWindowEveryCallIsHarmless) {
    ExpectNoMainWindowBut();
    {
        MainWindowStandIn main;
        main.gridSQL = "SELECT AnimalID FROM Animals";
        main.selectedAnimalIDs = {7, 3, 5};
    }
    // A main window that has gone is never called again.
    ExpectNoMainWindowBut();

    // One that answers with its own defaults but for the grid's query.
    MainWindowStandIn partial;
    partial.gridSQL = "SELECT 1";
    ExpectNoMainWindowBut("SELECT 1");
}

TEST(MainWindowServices, DeviceCallsReachTheRegisteredMainWindow) {
    MainWindowStandIn main;
    main.gridSQL = "SELECT * FROM Animals ORDER BY TagSort, TagNumber";
    main.gridAnimalsAndTags = 4000;
    main.selectedAnimalsAndTags = 3;
    main.selectedAnimalIDs = {7, 3, 5};

    StartZOrderTimer();
    UpdateAfterImport();
    EXPECT_EQ(main.calls, (std::vector<std::string>{"StartZOrderTimer", "UpdateAfterImport"}));
    EXPECT_EQ(GetGridSQL(), main.gridSQL);
    EXPECT_EQ(GridAnimalsAndTags(), 4000);
    EXPECT_EQ(SelectedAnimalsAndTags(), 3);
    EXPECT_EQ(SelectedAnimalIDs(), (std::vector<long>{7, 3, 5}));  // selection order kept
}

TEST(MainWindowServices, MenuOpensTheRegisteredDeviceWindowsOverTheMainWindow) {
    EnsureTestApplication();
    QWidget mainWindow;
    MainWindowStandIn main;
    main.owner = &mainWindow;

    EXPECT_FALSE(StickReaderWindowRegistered());
    EXPECT_FALSE(MobilePhoneWindowRegistered());
    EXPECT_FALSE(OpenStickReaderWindow(StickReaderImport));
    EXPECT_FALSE(OpenMobilePhoneWindow(MobilePhoneExport));
    {
        DeviceWindowsStandIn devices;
        EXPECT_TRUE(StickReaderWindowRegistered());
        EXPECT_TRUE(MobilePhoneWindowRegistered());
        EXPECT_TRUE(OpenStickReaderWindow(StickReaderConfiguration));
        EXPECT_TRUE(OpenMobilePhoneWindow(MobilePhoneImport));
        ASSERT_EQ(devices.openings.size(), 2u);
        EXPECT_EQ(devices.openings[0].window, "frmStickReader");
        EXPECT_EQ(devices.openings[0].HHAction, 2);
        EXPECT_EQ(devices.openings[0].owner, &mainWindow);
        EXPECT_EQ(devices.openings[1].window, "frmMobilePhone");
        EXPECT_EQ(devices.openings[1].HHAction, 1);
        EXPECT_EQ(devices.openings[1].owner, &mainWindow);
    }
    EXPECT_FALSE(StickReaderWindowRegistered());
    EXPECT_FALSE(OpenStickReaderWindow(StickReaderImport));
}
