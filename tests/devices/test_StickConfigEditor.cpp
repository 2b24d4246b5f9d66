#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <functional>

#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "core/modRegistry.h"
#include "devices/frmStickReader.h"
#include "fixtures/StickReaderTest.h"
#include "fixtures/WindowChecks.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"

namespace {

// ---- The configuration editor ---------------------------------------------------------------

const std::string kCode = "|bqrtvwnhk905", kNul(1, '\0');
using Change = std::function<void(frmStickReader&)>;

// The rows on show, top to bottom: "caption = value" ("<none>" for a list without a choice).
Texts EditorRows(frmStickReader& w) {
    std::vector<std::pair<int, std::string>> rows;
    for (size_t i = 1; i < w.lblConfig.size(); ++i) {
        if (w.lblConfig[i]->isHidden()) continue;
        QWidget* editor = w.picInner->childAt(w.txbConfig[0]->x() + 2, w.lblConfig[i]->y() + 2);
        QString value = "<none>";
        if (auto* text = qobject_cast<QLineEdit*>(editor)) value = text->text();
        if (auto* list = qobject_cast<QComboBox*>(editor); list && list->currentIndex() >= 0)
            value = list->currentText();
        rows.push_back({w.lblConfig[i]->y(), (w.lblConfig[i]->text() + " = " + value).toStdString()});
    }
    std::sort(rows.begin(), rows.end());
    Texts texts;
    for (const auto& row : rows) texts.push_back(row.second);
    return texts;
}
template <class Control>
Control* At(const std::vector<Control*>& controls, long position) {
    for (size_t i = 1; i < controls.size(); ++i)
        if (controls[i]->property("Tag").toLongLong() == position) return controls[i];
    return nullptr;
}
void Type(frmStickReader& w, long position, const std::string& text) {
    At(w.txbConfig, position)->setText(QString::fromStdString(text));
}
void Choose(frmStickReader& w, long position, const QString& entry) {
    QComboBox* list = At(w.cboConfig, position);
    list->setCurrentIndex(list->findText(entry));
}

class ConfigurationEditorTest : public StickReaderTest {
protected:
    ConfigurationEditorTest() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Language(2057);
        Stick().SetIdentity("KRX250 v12\r");
    }
    ~ConfigurationEditorTest() override { QLocale::setDefault(QLocale::system()); }
    static void Language(long id) {
        modCommon::Translator().menLLanguage = id;
        modCommon::Translator().menLBaseLanguage = id & 0xFF;
    }
    frmStickReader& Configure() {
        frmStickReader* w = Run(modMainWindowServices::StickReaderConfiguration);
        EXPECT_NE(w, nullptr);
        Stick().ClearReceived();
        return *w;
    }
    // Saves what `change` typed and gives the boxes shown and the lines the stick heard.
    std::pair<Texts, Texts> Save(frmStickReader& w, const Change& change = {}) {
        if (change) change(w);
        const size_t before = prompts.shown().size();
        Stick().ClearReceived();
        w.cmdConfigSave->click();
        return {Boxes(before), Stick().Received()};
    }
};

TEST_F(ConfigurationEditorTest, ItemsShowByIdWithRangesAndChoicesAndWrongValuesInRedWithOneMessage) {
    Stick().SetConfigValue(16, "50");
    Stick().SetConfigValue(17, "1");
    Stick().SetConfigValue(9, "2");  // a scrapie stick
    frmStickReader& w = Configure();
    EXPECT_EQ(
        EditorRows(w),
        (Texts{"Firmware Version = KRX250 v12", "Serial Number = 100000123", "Scan time (seconds) from 1 to 10 = 5",
               "Shutdown time (minutes) from 1 to 10 = 5", "EID Display Format = Decimal",
               "EID Output Format = Decimal", "Save Readings to Stick Memory = Yes", "Language = English",
               "Continuous Read Mode = Press to Read", "Continuous Read Mode Timeout (seconds) from 1 to 30 = 15",
               "Printer Type = Pro60", "Label Printing Allowed = No", "Label Printing On = Yes",
               "Print in Order = Print as read", "Printer Bluetooth ID = 000000000000",
               "Weigher Bluetooth ID = 000000000000"}));
    EXPECT_EQ(At(w.txbConfig, 16)->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_NE(At(w.txbConfig, 2)->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(At(w.txbConfig, 2)->isReadOnly());
    EXPECT_EQ(At(w.cboConfig, 28)->itemText(2), "QL220");
    EXPECT_EQ(w.fraSequence[1]->title(),
              "Configuration (use the scrollbar on the right to view all configuration items)");
    EXPECT_GT(w.fsbVScroll->maximum(), 0);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(prompts.shown().at(0).title, "Invalid Configuration Item(s)");
}

TEST_F(ConfigurationEditorTest, EditionLanguageFirmwareAndThePartnersStickDecideWhichRowsShow) {
    auto names = [](frmStickReader& w) {
        Texts names;
        for (const std::string& row : EditorRows(w)) names.push_back(row.substr(0, row.find(" = ")));
        return names;
    };
    modCommon::EditionCode = 2;
    Texts rows = names(Configure());
    EXPECT_EQ(rows.size(), 33u);  // all but Output Termination
    EXPECT_EQ(rows[0] + "|" + rows[19] + "|" + rows[18], "Firmware Version|EID Output Format|EID Display Format");
    DefaultInstance<frmStickReader>::Unload();
    Language(3081);
    EXPECT_EQ(names(Configure()).size(), 34u);
    DefaultInstance<frmStickReader>::Unload();

    modCommon::EditionCode = 0;
    Language(1034);  // Spanish: no label printing before firmware 11; no memory, no saving to it
    Stick().SetFirmwareVersion(10);
    Stick().SetConfigValue(1, "1");
    rows = names(Configure());
    for (const char* gone :
         {"Label Printing On", "Label Printing Allowed", "Print in Order", "Save Readings to Stick Memory"})
        EXPECT_EQ(std::count(rows.begin(), rows.end(), gone), 0) << gone;
    DefaultInstance<frmStickReader>::Unload();

    modCommon::OxbrelMode = 1;
    Stick().SetFirmwareVersion(12);
    EXPECT_EQ(names(Configure()), (Texts{"Firmware Version", "Scan time (seconds) from 1 to 10",
                                         "Shutdown time (minutes) from 1 to 30", "Printer Bluetooth ID"}));
}

TEST_F(ConfigurationEditorTest, SaveWritesTheEditionsItemsInTheStickUnitsAndLoadsThem) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    frmStickReader& w = Configure();
    EXPECT_EQ(At(w.txbConfig, 25)->text(), "15");
    EXPECT_EQ(At(w.cboConfig, 28)->count(), 2);  // no QL220 on a stick that is not a scrapie stick
    // The save keeps the window open and the keeper's hands off it until the stick has answered.
    Fault(Stick(), [](auto& f) { f.replyDelayMs = 300; });
    int refused = 0;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        w.close();
        refused += Window() == &w && w.isVisible() && !w.isEnabled();
    });
    poke.start(20);
    auto [boxes, heard] = Save(w, [](frmStickReader& w) {
        Type(w, 16, "2,5");
        Type(w, 17, "5");
        Type(w, 21, "");
    });
    poke.stop();
    EXPECT_GT(refused, 0);
    EXPECT_EQ(boxes, Texts{Box("Configuration saved", Prompts::OKOnly, "Configuration updated OK.")});
    EXPECT_EQ(heard, (Texts{"n", "w9|1", "w16|2500", "w17|300000", "w18|2", "w19|2", "w20|2", "w21|000000000000" + kNul,
                            "w23|1", "w24|1", "w25|15000", "w28|1", "w29|1", "w30|1", "w31|1", "w32|1",
                            "w33|000000000000", "l"}));
    EXPECT_EQ(Stick().ConfigValue(16) + " " + Stick().ConfigValue(17), "2500 300000");
    EXPECT_EQ(At(w.txbConfig, 16)->text(), "2,5");  // as edited
    EXPECT_TRUE(w.isEnabled());

    DefaultInstance<frmStickReader>::Unload();
    Fault(Stick(), [](auto& f) { f.replyDelayMs = 0; });
    modCommon::EditionCode = 2;
    std::tie(boxes, heard) = Save(Configure(), [](frmStickReader& w) {
        Type(w, 2, "123456789");
        Type(w, 26, "abcd");
    });
    EXPECT_EQ(boxes, Texts{Box("Configuration saved", Prompts::OKOnly, "Configuration updated OK.")});
    ASSERT_EQ(heard.size(), 36u);  // n, every item (Output Termination hidden, but written), l
    EXPECT_EQ(Texts(heard.begin(), heard.begin() + 4),
              (Texts{"n", "w0|12" + kCode, "w1|2" + kCode, "w2|123456789" + kCode}));
    EXPECT_EQ(Texts(heard.begin() + 23, heard.begin() + 32),
              (Texts{"w22|000000000000" + kNul, "w23|1", "w24|1", "w25|15000", "w26|abcd" + kNul, "w27|1", "w28|1",
                     "w29|1", "w30|1"}));
    EXPECT_EQ(Stick().ConfigValue(2), "123456789");
}

TEST_F(ConfigurationEditorTest, SaveStopsAtTheFirstFailureAndSaysWhy) {
    auto notFound = [](long port) {
        return "Can't find the stick reader on serial port COM" + std::to_string(port) + "." + CRLF +
               "Please check that the stick reader is powered up.";
    };
    auto error = [](const std::string& text) { return Texts{Box("Configuration Error", Prompts::OKOnly, text)}; };
    // The fault, the box, what the stick heard ({} = every item and l), how many items it holds
    // written but not loaded.
    const std::vector<std::tuple<const char*, std::function<void(SimStick::Faults&)>, Texts, Texts, size_t>> cases = {
        {"F on the third w",
         [](auto& f) { f.failWriteAt = 3; },
         error("Failed to write a configuration parameter (Shutdown time)"),
         {"n", "w9|1", "w16|5000", "w17|300000"},
         2},
        {"X on every w",
         [](auto& f) { f.status['w'] = 'X'; },
         error("Failed to write a configuration parameter (Scrapie Stick)"),
         {"n", "w9|1"},
         0},
        {"unplugged during w",
         [](auto& f) { f.unplugDuring = 'w'; },
         error("Failed to write a configuration parameter (Scrapie Stick)"),
         {"n", "w9|1"},
         1},
        {"l refused", [](auto& f) { f.status['l'] = 'F'; }, error("Failed to load the new configuration"), {}, 16},
        {"l silent", [](auto& f) { f.silentTo = {"l"}; }, error("Failed to load the new configuration"), {}, 16},
        {"n silent", [](auto& f) { f.silentTo = {"n"}; }, error(notFound(45)), {"n"}, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, fault, boxes, heard, pending] = cases[i];
        SCOPED_TRACE(name);
        PlugIn(40 + static_cast<long>(i));
        frmStickReader& w = Configure();
        Fault(Stick(), fault);
        const auto [shown, received] = Save(w);
        EXPECT_EQ(shown, boxes);
        if (!heard.empty()) EXPECT_EQ(received, heard);
        else EXPECT_EQ(received.back(), "l");
        EXPECT_EQ(Stick().PendingConfig().size(), pending);
        EXPECT_EQ(Stick().ConfigValue(16), "5000");  // nothing loaded
        DefaultInstance<frmStickReader>::Unload();
    }
    PlugIn(50);
    frmStickReader& w = Configure();
    // The port's device is gone.
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", Stick().SlavePath(), "COM51");
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", home.root() + "/gone", "COM50");
    EXPECT_EQ(Save(w), std::make_pair(error(notFound(50)), Texts{}));
}

TEST_F(ConfigurationEditorTest, TypedValuesAreCheckedInOrderBeforeAnythingIsSent) {
    auto invalid = [](const char* name) {
        return Texts{Box("Configuration Error", Prompts::OKOnly,
                         std::string("A configuration parameter (") + name + ") is invalid. Please re-enter it.")};
    };
    const std::vector<std::tuple<Change, Texts>> cases = {
        {[](auto& w) { Type(w, 16, "abc"); }, invalid("Scan time")},
        {[](auto& w) { Type(w, 16, "0.5"); }, invalid("Scan time")},
        {[](auto& w) { Type(w, 16, "2.5555"); }, invalid("Scan time")},
        {[](auto& w) { Type(w, 17, "11"); }, invalid("Shutdown time")},
        {[](auto& w) { Type(w, 21, "0123456789AG"); }, invalid("Printer Bluetooth ID")},
        {[](auto& w) { At(w.cboConfig, 28)->setCurrentIndex(-1), Type(w, 33, "x"); },
         {Box("Configuration Error", Prompts::OKOnly,
              "A configuration parameter (Printer Type)  has not been selected. Please select it.")}},
    };
    for (const auto& [change, boxes] : cases) {
        EXPECT_EQ(Save(Configure(), change), std::make_pair(boxes, Texts{}));
        DefaultInstance<frmStickReader>::Unload();
    }
    // The engineering edition edits the reserved items, whose pattern would take what splits a
    // command.
    modCommon::EditionCode = 2;
    EXPECT_EQ(Save(Configure(), [](auto& w) { Type(w, 10, "a|b"); }), std::make_pair(invalid("Reserved10"), Texts{}));
    DefaultInstance<frmStickReader>::Unload();
    EXPECT_EQ(Save(Configure(), [](auto& w) { Type(w, 26, "abcde"); }),
              std::make_pair(invalid("Mark Characters"), Texts{}));
}

TEST_F(ConfigurationEditorTest, AStickThatCannotBeReadLeavesNoEditorAndGoesBackToThePortChoice) {
    const std::string notReceived = Box("Configuration Data NOT Received", Prompts::Exclamation,
                                        "Failed to get configuration data from the stick.");
    const std::string newProgram = Box("New Program Required", Prompts::Exclamation,
                                       "This stick is a later version than this program can handle." + CRLF +
                                           "You will need to get an updated version of this program.");
    auto reply = [](const std::string& payload) {
        return [payload](SimStick& s) {
            s.SetHandler('c', [payload](const std::string&) { return SimStick::Reply{payload, 'S'}; });
        };
    };
    auto fault = [](std::function<void(SimStick::Faults&)> change) {
        return [change](SimStick& s) { Fault(s, change); };
    };
    // A fault that comes once the stick has answered a command of the connection's or the c.
    auto after = [](char letter, std::function<void(SimStick::Faults&)> change) {
        return [letter, change](SimStick& s) {
            s.SetHandler(letter, [&s, change](const std::string&) { return Fault(s, change), SimStick::Reply{}; });
        };
    };
    auto logged = [](const std::string& number, const std::string& text) {
        return Box("Application Error", Prompts::OKOnly | Prompts::Critical,
                   "An error occurred in procedure DoConfiguration in frmStickReader" + CRLF + "The error was '" +
                       text + "' (Error number " + number + ")");
    };
    const std::vector<std::tuple<const char*, std::function<void(SimStick&)>, std::string>> cases = {
        {"c silent", fault([](auto& f) { f.silentTo = {"c"}; }), notReceived},
        {"c refused", fault([](auto& f) { f.status['c'] = 'X'; }), notReceived},
        {"c cut off", fault([](auto& f) { f.unplugDuring = 'c', f.unplugAfter = 30; }), notReceived},
        {"c garbage", after('t', [](auto& f) { f.garbage = true, f.garbageIntervalMs = 5000; }), notReceived},
        {"n silent", after('c', [](auto& f) { f.silentTo = {"n"}; }), notReceived},
        {"firmware 13", reply("0|13#1|2"), newProgram},
        {"no bar", reply("12#1|2"), newProgram},
        {"no memory", reply("0|0#1|2"),
         Box("New Program Required", Prompts::Exclamation,
             "This stick has no memory fitted - this application must use a stick with memory fitted.")},
        {"position not a number", reply("0|12#1|2#x|1"), logged("13", "Type mismatch")},
        {"position outside", reply("0|12#1|2#34|1"), logged("9", "Subscript out of range")},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, spoil, box] = cases[i];
        SCOPED_TRACE(name);
        PlugIn(30 + static_cast<long>(i));
        spoil(Stick());
        const size_t before = prompts.shown().size();
        frmStickReader* w = Run(modMainWindowServices::StickReaderConfiguration);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(Boxes(before), Texts{box});
        EXPECT_TRUE(w->fraSequence[0]->isVisible());
        EXPECT_EQ(w->lblConfig.size() + w->txbConfig.size() + w->cboConfig.size(), 3u);
        DefaultInstance<frmStickReader>::Unload();
    }
}

TEST_F(ConfigurationEditorTest, ListsThatTheStickCannotRunTogetherKeepEachOtherRight) {
    frmStickReader& w = Configure();
    QComboBox *display = At(w.cboConfig, 19), *order = At(w.cboConfig, 32);
    QComboBox *labelsOn = At(w.cboConfig, 29), *allowed = At(w.cboConfig, 31);
    Choose(w, 32, "Print in order");
    Choose(w, 19, "Tag lookup");
    EXPECT_EQ(display->currentText(), "Decimal");
    Choose(w, 32, "Print as read");
    Choose(w, 19, "Tag lookup");
    Choose(w, 32, "Print in order");
    EXPECT_EQ(order->currentText(), "Print as read");
    EXPECT_EQ(Boxes(), (Texts{Box("Conflicting Options", Prompts::OKOnly,
                                  "Tag Lookup cannot be set when 'Print in Order' is set to Print in Order"),
                              Box("Conflicting Options", Prompts::OKOnly,
                                  "Print in Order cannot be set when 'EID Display Format' is set to Tag Lookup")}));
    Choose(w, 29, "No");
    Choose(w, 29, "Yes");
    EXPECT_EQ(allowed->currentText(), "Yes");
    Choose(w, 31, "No");
    EXPECT_EQ(labelsOn->currentText(), "No");
    EXPECT_EQ(Boxes().size(), 2u);
}

// Every caption of the editor fits its control. With KELVO_SCREENSHOT_DIR set the editor of each
// edition is also written there as a picture, to be looked at. The stick tool window opens it
// modally on its own port.
TEST_F(ConfigurationEditorTest, EditorOpenedModallyOnAGivenPortShowsItsTextsWhole) {
    modCommon::SetLastUsedComPort(2, 0);
    Stick().SetConfigValue(16, "50");
    for (int edition : {0, 2}) {
        modCommon::EditionCode = edition;
        frmStickReader& w = frmStickReader::Instance();
        w.SetPort(5);
        w.SetHHAction(modMainWindowServices::StickReaderConfiguration);
        QTimer::singleShot(0, [&] {
            WaitUntil(Idle);
            EXPECT_EQ(CutTexts(w), Texts{});
            w.fsbVScroll->setValue(At(w.txbConfig, 16)->y() - w.lblConfig[0]->y());  // the wrong value in sight
            SaveScreenshot(w, edition == 2 ? "issue15-editor-engineering" : "issue15-editor-full");
            w.cmdConfigExit->click();
        });
        w.exec();
        WaitUntil([] { return Window() == nullptr; });
    }
}

}  // namespace
