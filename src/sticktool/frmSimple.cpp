#include "sticktool/frmSimple.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/Trap.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "core/modRegistry.h"
#include "devices/clsKRComm.h"
#include "devices/frmStickReader.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/DesignGeometry.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Recordset.h"
#include "platform/Spreadsheet.h"
#include "platform/TextFile.h"
#include "platform/TextWindow.h"
#include "platform/Value.h"
#include "platform/WrappingButton.h"
#include "sticktool/EartagFile.h"
#include "sticktool/StickAcceptanceTest.h"
#include "sticktool/StickTagTable.h"
#include "sticktool/frmSelectTags.h"
#include "sticktool/frmTags.h"

namespace {

using DesignGeometry::Pixels;

const char* const kObject = "frmSimple";
const std::string CRLF = "\r\n";
constexpr int kStickDevice = 2;  // the stick's entry of the last ports used
constexpr long kCommandTimeout = 1000;
constexpr long kClosePause = 500;
constexpr long kEraseTimeout = 30000;
constexpr int kTagFileFirmware = 8;  // the first firmware that keeps an eartag list
constexpr int kStickTypeEntry = 13;
constexpr int kAustralianEnglish = 3081;
constexpr long kActionReadTimeout = 3000;
constexpr long kLatestFirmware = 12;
constexpr long kSerialNumberItem = 2;
constexpr long kDisplayFormatItem = 19;
constexpr int kTextWindowWidth = 7500, kTextWindowHeight = 6000;  // twips

constexpr int kAustralianPortFrameHeight = 1245;  // twips: the baud rate row shows too

const char* const kBaudRates[] = {"110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
                                  "14400", "19200", "38400", "57600", "115200", "128000", "256000"};
constexpr int kDefaultBaudRate = 8;  // 19200

std::string Translate(const std::string& text) { return modCommon::Translator().Translate(text); }

std::string SearchingText() { return Translate("Please wait - searching for your stick reader") + "..."; }

std::string PickPortText() {
    return Translate("If you have not yet enabled the Bluetooth connection from your stick reader\r\n"
                     "to your PC please do so now and turn the stick reader on. Then select the COM port\r\n"
                     "to which it is connected from the list alongside. If the COM port is not showing in the list\r\n"
                     "please click the Refresh COM Port List button") +
           ".";
}

// A stored value as a number, or nothing when it is not one.
std::optional<double> NumberOf(const std::string& text) {
    try {
        return Value(text).ToDouble();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

// A stored check box value: "True", "False" or a number (non-zero ticks); any other text
// counts as the box's default.
bool StoredTick(const char* setting, const char* defaultValue) {
    std::string stored = modRegistry::GetRegistryValue(setting, defaultValue);
    try {
        return Value(stored).ToBool();
    } catch (const RuntimeError&) {
        return Value(defaultValue).ToBool();
    }
}

// A stored option's index when it is a whole number from 0 to `last`.
std::optional<int> StoredIndex(const char* setting, int last) {
    auto number = NumberOf(modRegistry::GetRegistryValue(setting, "0"));
    if (!number || std::trunc(*number) != *number || *number < 0 || *number > last) return std::nullopt;
    return static_cast<int>(*number);
}

// A button's or a frame's caption replaced by its translation.
void TranslateText(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(QString::fromStdString(Translate(button->text().toStdString())));
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(QString::fromStdString(Translate(frame->title().toStdString())));
}

int Bottom(const QWidget* control) { return control->y() + control->height(); }

// The value of the configuration entry "position|value" at a place of the "c" reply; "" when
// there is none.
std::string EntryValue(const std::vector<std::string>& entries, std::size_t place) {
    if (place >= entries.size()) return "";
    const auto fields = modHandheld::SplitText(entries[place], modHandheld::FieldSeparator);
    return fields.size() < 2 ? "" : fields[1];
}

long FirmwareVersionOf(const std::vector<std::string>& entries) {
    return static_cast<long>(modHandheld::LeadingNumber(EntryValue(entries, 0)));
}

// The look-up of a stick that shows tags by it: the copy of the list last sent to that stick,
// else the keeper's list.
StickTagTable::Lookup TagLookupFor(const std::string& serial) {
    std::string path = FileSystem::Join(modCommon::GetDatabaseFilespec(), serial + "Eartags.csv");
    if (!FileSystem::Exists(path)) path = modStickReader::GetEartagFileSpec();
    return FileSystem::Exists(path) ? StickTagTable::Lookup::FromFile(path) : StickTagTable::Lookup();
}

void MakeNoDefault(QPushButton* button) {
    button->setAutoDefault(false);
    button->setDefault(false);
}

}  // namespace

// The hourglass for as long as it lives.
class frmSimple::WaitPointer {
public:
    WaitPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitPointer() { QApplication::restoreOverrideCursor(); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;
};

frmSimple& frmSimple::Instance() { return DefaultInstance<frmSimple>::Get(); }

QString frmSimple::DesignCaption() {
    return QString::fromStdString(Program::ExecutableName() + " v" + modCommon::ProgramVersion());
}

frmSimple::frmSimple() {
    CreateControls();
    CreateEngineeringControls();
    LayOut();
    ConnectHandlers();
    Form_Load();
}

frmSimple::~frmSimple() = default;

// ---- Controls as designed -------------------------------------------------------------------

void frmSimple::CreateControls() {
    const char* captions[] = {"Read Tags from Stick", "Erase Tags from Stick", "Configure Stick", "Exit",
                              "Show Tag Read Options", "Show Tag File Options", "Set up Tag File",
                              "Send Tag File to Stick", "Erase Tag File from Stick", "Stick Acceptance Test",
                              "Read Page", "Write Page", "Erase Page"};
    fraTagReadOptions = new QGroupBox("Tag Read Options", this);
    fraTagFileOptions = new QGroupBox("Tag File Options", this);
    fraTolvane = new QGroupBox(this);
    for (int i = 0; i < 13; ++i) {
        QWidget* parent = i >= 6 && i <= 8 ? static_cast<QWidget*>(fraTagFileOptions)
                          : i >= 9        ? static_cast<QWidget*>(fraTolvane)
                                          : this;
        // A translated caption may be longer than the English one the size was made for.
        cmdStickAction[i] = new WrappingButton(captions[i], parent);
    }
    for (int i : {0, 1, 2, 7, 8}) cmdStickAction[i]->setEnabled(false);
    cmdStickAction[5]->hide();

    fraComPortSelection = new QGroupBox(this);
    cboSerialPorts = new QComboBox(fraComPortSelection);
    cmdRefreshComportList = new QPushButton("Refresh COM Port List", fraComPortSelection);
    MakeNoDefault(cmdRefreshComportList);
    lblBaudRate = new QLabel("Change Baud Rate", fraComPortSelection);
    cboBaudRate = new QComboBox(fraComPortSelection);
    for (const char* rate : kBaudRates) cboBaudRate->addItem(rate);

    fraWhenReading = new QGroupBox("When reading tags from the stick...", fraTagReadOptions);
    ckbSortTags = new QCheckBox("Sort them into order", fraWhenReading);
    ckbIncludeGroupLabels = new QCheckBox("Include group labels", fraWhenReading);
    ckbIncludeTimeScanned = new QCheckBox("Include the time the tag was read", fraWhenReading);
    ckbSeparateGroups = new QCheckBox("Show each group in a separate window", fraWhenReading);
    fraTagsToSave = new QGroupBox("Tags to save", fraTagReadOptions);
    optTagsToSave = {new QRadioButton("All tags", fraTagsToSave), new QRadioButton("Selected tags", fraTagsToSave)};
    fraDisplayApp = new QGroupBox("Load tags in:", fraTagReadOptions);
    optDisplayApplication = {new QRadioButton("Notepad", fraDisplayApp), new QRadioButton("Excel", fraDisplayApp),
                             new QRadioButton("Windows clipboard", fraDisplayApp)};
    optTagsToSave[0]->setChecked(true);
    optDisplayApplication[0]->setChecked(true);
    fraTagReadOptions->hide();
    fraTagFileOptions->hide();

    lblHelp = new QLabel(this);
    lblHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tmrInitialise = new QTimer(this);
    tmrStickTypeMismatch = new QTimer(this);
    for (QTimer* timer : {tmrInitialise, tmrStickTypeMismatch}) {
        timer->setSingleShot(true);
        timer->setInterval(1);
    }
}

void frmSimple::CreateEngineeringControls() {
    rtbText = new QTextEdit(fraTolvane);
    lblConfigFiles = new QLabel("Configuration Files", fraTolvane);
    cboConfigFiles = new QComboBox(fraTolvane);
    optBattery = {new QRadioButton("Small RTC Battery", fraTolvane), new QRadioButton("Big RTC Battery", fraTolvane)};
    optAgricultural = {new QRadioButton("Agricultural", fraTolvane), new QRadioButton("Industrial", fraTolvane)};
    // Each pair is a choice of its own, though they share the frame.
    for (auto* pair : {&optBattery, &optAgricultural}) {
        auto* group = new QButtonGroup(fraTolvane);
        for (QRadioButton* option : *pair) group->addButton(option);
    }
    ckbAllowMemory = new QCheckBox("Allow Memory", fraTolvane);
    lblSerialNumber = new QLabel("Serial Number", fraTolvane);
    txbSerialNumber = new QLineEdit(fraTolvane);
    lblRTCValue = new QLabel("RTC Frequency", fraTolvane);
    txbRTCValue = new QLineEdit(fraTolvane);
    lstConfiguration = new QListWidget(fraTolvane);
    lblStickPageCount = new QLabel(fraTolvane);
    lblPageNumber = new QLabel("Page Number", fraTolvane);
    txbPageNumber = new QLineEdit(fraTolvane);
    lblWritePattern = new QLabel("Write Pattern", fraTolvane);
    txbWritePattern = new QLineEdit(fraTolvane);
    txbWritePattern->setMaxLength(8);
    for (QLineEdit* box : {txbPageNumber, txbWritePattern}) box->installEventFilter(this);
    fraTolvane->hide();
}

// The design's places, in twips. What the rules below rely on: the read options frame lies
// below the buttons, the help text and the port frame; "Show each group in a separate window"
// is the lowest row of its frame; the engineering frame is the lowest part of the window.
// Controls that grew to their texts push those beyond them aside, and the window widens with
// them.
void frmSimple::LayOut() {
    using DesignGeometry::Place;
    for (int i = 0; i < 4; ++i) Place(cmdStickAction[i], {150 + 3090 * i, 150, 3000, 510});
    Place(cmdStickAction[4], {150, 780, 3000, 510});
    Place(cmdStickAction[5], {3240, 780, 3000, 510});
    Place(lblHelp, {150, 1410, 9600, 930});
    Place(fraComPortSelection, {9840, 1380, 2640, 840});
    Place(cboSerialPorts, {120, 90, 2400, 360});
    Place(cmdRefreshComportList, {120, 480, 2400, 330});
    Place(lblBaudRate, {120, 900, 1440, 300});
    Place(cboBaudRate, {1560, 870, 960, 330});

    Place(fraTagReadOptions, {150, 2430, 9600, 2250});
    Place(fraWhenReading, {120, 330, 4080, 1800});
    int row = 330;
    for (QCheckBox* box : {ckbSortTags, ckbIncludeGroupLabels, ckbIncludeTimeScanned, ckbSeparateGroups}) {
        Place(box, {150, row, 3870, 330});
        row += 360;
    }
    Place(fraTagsToSave, {4290, 330, 2850, 1800});
    for (int i = 0; i < 2; ++i) Place(optTagsToSave[i], {150, 330 + 360 * i, 2610, 330});
    Place(fraDisplayApp, {7230, 330, 2250, 1800});
    for (int i = 0; i < 3; ++i) Place(optDisplayApplication[i], {150, 330 + 360 * i, 2010, 330});
    Place(fraTagFileOptions, {9840, 2430, 2640, 1890});
    for (int i = 6; i <= 8; ++i) Place(cmdStickAction[i], {120, 330 + 510 * (i - 6), 2400, 450});

    Place(fraTolvane, {150, 4830, 12330, 4650});
    Place(cmdStickAction[9], {120, 330, 3450, 450});
    Place(lblConfigFiles, {120, 870, 3450, 270});
    Place(cboConfigFiles, {120, 1140, 3450, 360});
    for (int i = 0; i < 2; ++i) {
        Place(optBattery[i], {120, 1620 + 330 * i, 3450, 330});
        Place(optAgricultural[i], {120, 2340 + 330 * i, 3450, 330});
    }
    Place(ckbAllowMemory, {120, 3060, 3450, 330});
    Place(lblSerialNumber, {120, 3570, 1500, 330});
    Place(txbSerialNumber, {1620, 3570, 1950, 330});
    Place(lblRTCValue, {120, 3990, 1500, 330});
    Place(txbRTCValue, {1620, 3990, 1950, 330});
    Place(rtbText, {3690, 330, 5400, 4170});
    Place(lstConfiguration, {9210, 330, 3000, 1800});
    Place(lblStickPageCount, {9210, 2220, 3000, 300});
    Place(lblPageNumber, {9210, 2580, 1500, 330});
    Place(txbPageNumber, {10710, 2580, 1500, 330});
    Place(lblWritePattern, {9210, 2970, 1500, 330});
    Place(txbWritePattern, {10710, 2970, 1500, 330});
    for (int i = 10; i <= 12; ++i) Place(cmdStickAction[i], {9210, 3390 + 390 * (i - 10), 3000, 360});
}

// Once the captions are in the keeper's language: every control grows to its text, those
// beyond make way, and the window widens with them.
void frmSimple::MakeRoomForTexts() {
    using namespace DesignGeometry;
    for (QWidget* control : findChildren<QWidget*>()) GrowToText(control);
    // The console shows a row of a page dump on one line.
    const int dumpRow = rtbText->fontMetrics().horizontalAdvance(QStringLiteral("01010101 ").repeated(8)) +
                        2 * rtbText->frameWidth() + 2 * static_cast<int>(rtbText->document()->documentMargin()) +
                        rtbText->verticalScrollBar()->sizeHint().width();
    rtbText->resize(std::max(rtbText->width(), dumpRow), rtbText->height());
    StackColumns({{lblBaudRate}, {cboBaudRate}}, 0);
    HoldChildren(fraComPortSelection, 120, true);
    StackRows({{cmdStickAction[6]}, {cmdStickAction[7]}, {cmdStickAction[8]}}, 60);
    HoldChildren(fraTagFileOptions, 120);
    for (QGroupBox* frame : {fraWhenReading, fraTagsToSave, fraDisplayApp}) HoldChildren(frame, 60);
    StackColumns({{fraWhenReading}, {fraTagsToSave}, {fraDisplayApp}}, 90);
    HoldChildren(fraTagReadOptions, 120);
    StackColumns({{lblSerialNumber, lblRTCValue}, {txbSerialNumber, txbRTCValue}}, 0);
    StackColumns({{lblPageNumber, lblWritePattern}, {txbPageNumber, txbWritePattern}}, 0);
    StackColumns({{cmdStickAction[9], lblConfigFiles, cboConfigFiles, optBattery[0], optBattery[1], optAgricultural[0],
                   optAgricultural[1], ckbAllowMemory, txbSerialNumber, txbRTCValue},
                  {rtbText},
                  {lstConfiguration, lblStickPageCount, lblPageNumber, txbPageNumber, lblWritePattern, txbWritePattern,
                   cmdStickAction[10], cmdStickAction[11], cmdStickAction[12]}},
                 120);
    HoldChildren(fraTolvane, 120);
    StackColumns({{lblHelp, fraTagReadOptions}, {fraComPortSelection, fraTagFileOptions}}, 90);
    StackRows({{cmdStickAction[0], cmdStickAction[1], cmdStickAction[2], cmdStickAction[3]},
               {cmdStickAction[4], cmdStickAction[5]},
               {lblHelp, fraComPortSelection},
               {fraTagReadOptions, fraTagFileOptions},
               {fraTolvane}},
              90);
    // The engineering frame counts only where it shows.
    width_ = Pixels(12600);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!control->isWindow() && (control != fraTolvane || modCommon::EditionCode == 2))
            width_ = std::max(width_, control->x() + control->width() + Pixels(120));
    setFixedSize(width_, Bottom(fraTolvane) + Pixels(120));
}

void frmSimple::ConnectHandlers() {
    for (int i = 0; i < 13; ++i)
        connect(cmdStickAction[i], &QPushButton::clicked, this, [this, i] { cmdStickAction_Click(i); });
    connect(cmdRefreshComportList, &QPushButton::clicked, this, [this] { GetComportList(); });
    connect(cboSerialPorts, &QComboBox::activated, this, [this] { cboSerialPorts_Click(); });
    connect(ckbSortTags, &QCheckBox::toggled, this, [this] { ckbSortTags_Click(); });
    connect(ckbIncludeGroupLabels, &QCheckBox::toggled, this, [this] { ckbIncludeGroupLabels_Click(); });
    connect(ckbIncludeTimeScanned, &QCheckBox::toggled, this, [this] { ckbIncludeTimeScanned_Click(); });
    connect(ckbSeparateGroups, &QCheckBox::toggled, this, [this] { ckbSeparateGroups_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(optTagsToSave[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optTagsToSave_Click(i);
        });
    for (int i = 0; i < 3; ++i)
        connect(optDisplayApplication[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optDisplayApplication_Click(i);
        });
    connect(tmrInitialise, &QTimer::timeout, this, [this] { tmrInitialise_Timer(); });
    connect(tmrStickTypeMismatch, &QTimer::timeout, this, [this] { tmrStickTypeMismatch_Timer(); });
}

// ---- Loading --------------------------------------------------------------------------------

void frmSimple::Form_Load() {
    modCommon::SetFormIcon(this);
    setWindowTitle(DesignCaption());
    TranslateCaptions();
    MakeRoomForTexts();
    cmdStickAction[5]->setVisible(modStickReader::TagLookupEnabled());
    LayOutForMode();
    if (modCommon::Translator().menLLanguage == kAustralianEnglish)
        fraComPortSelection->resize(fraComPortSelection->width(), Pixels(kAustralianPortFrameHeight));
    comm_ = std::make_unique<clsKRComm>();
    exchange_ = std::make_unique<modStickReader::StickExchange>(*comm_);
    cboBaudRate->setCurrentIndex(kDefaultBaudRate);
    if (!modCommon::GetExcel()) {
        optDisplayApplication[1]->hide();
        optDisplayApplication[2]->move(optDisplayApplication[2]->x(), optDisplayApplication[1]->y());
    }
    ckbSortTags->setChecked(StoredTick("SortTags", "True"));
    ckbIncludeGroupLabels->setChecked(StoredTick("IncludeGroupLabels", "True"));
    ckbIncludeTimeScanned->setChecked(StoredTick("IncludeTimeScanned", "True"));
    LayOutTagReadOptions();
    if (modCommon::EditionCode == 2) {
        fraTolvane->show();
        SetClientHeight(Bottom(fraTolvane) + Pixels(120));
        ListConfigurationFiles();
    }
    SelectStoredOptions();
    tmrInitialise->start();
}

void frmSimple::TranslateCaptions() {
    TranslateText(cmdRefreshComportList);
    for (QPushButton* button : cmdStickAction) TranslateText(button);
    for (QWidget* control : std::initializer_list<QWidget*>{
             fraTagReadOptions, fraWhenReading, ckbSortTags, ckbIncludeGroupLabels, ckbIncludeTimeScanned,
             ckbSeparateGroups, fraTagsToSave, optTagsToSave[0], optTagsToSave[1], fraDisplayApp,
             optDisplayApplication[2], fraTagFileOptions})
        TranslateText(control);
}

// The normal program cuts the window off above the engineering frame; the partner's has no
// tag reading, so its window ends below the buttons.
void frmSimple::LayOutForMode() {
    if (modCommon::OxbrelMode != 1) {
        SetClientHeight(fraTolvane->y() - Pixels(30));
        return;
    }
    for (int i : {0, 1, 4}) cmdStickAction[i]->hide();
    cmdStickAction[2]->move(cmdStickAction[0]->x(), cmdStickAction[2]->y());
    cmdStickAction[2]->show();
    SetClientHeight(fraTagReadOptions->y() + Pixels(30));
}

// Only Dutch keepers are offered a window per group; elsewhere its row is taken out.
void frmSimple::LayOutTagReadOptions() {
    if (modCommon::Translator().CurrentLanguage() == 1) {
        ckbSeparateGroups->setChecked(StoredTick("WindowPerGroup", "False"));
        ckbSeparateGroups->show();
        optDisplayApplication[2]->setVisible(!ckbSeparateGroups->isChecked());
        return;
    }
    ckbSeparateGroups->setChecked(false);
    ckbSeparateGroups->hide();
    const int rowDistance = ckbSeparateGroups->y() - ckbIncludeTimeScanned->y();
    for (QGroupBox* frame : {fraWhenReading, fraTagsToSave, fraDisplayApp, fraTagReadOptions})
        frame->resize(frame->width(), frame->height() - rowDistance);
}

// The configuration files the acceptance test may write, by name without ".conf".
void frmSimple::ListConfigurationFiles() {
    std::error_code error;
    std::vector<std::pair<QString, QString>> names;  // shown name, file name
    for (const auto& entry : std::filesystem::directory_iterator(Program::ProgramFolder(), error)) {
        const QString file = QString::fromStdString(entry.path().filename().string());
        if (!entry.is_regular_file(error) || !file.endsWith(".conf", Qt::CaseInsensitive)) continue;
        names.push_back({QString(file).remove(".conf", Qt::CaseInsensitive), file});
    }
    std::sort(names.begin(), names.end());
    // Each entry keeps its file's own name, whatever the letter case of its extension.
    for (const auto& [name, file] : names) cboConfigFiles->addItem(name, file);
}

void frmSimple::SelectStoredOptions() {
    if (auto index = StoredIndex("TagsToSave", 1)) optTagsToSave[*index]->setChecked(true);
    if (auto index = StoredIndex("DisplayApplication", 2)) optDisplayApplication[*index]->setChecked(true);
}

void frmSimple::SetClientHeight(int height) { setFixedSize(width_, height); }

// ---- Stored options -------------------------------------------------------------------------

void frmSimple::StoreCheckBox(const char* setting, QCheckBox* box) {
    modRegistry::SetRegistryValue(setting, box->isChecked() ? "True" : "False");
}

void frmSimple::ckbSortTags_Click() {
    Trap("ckbSortTags_Click", kObject, [&] { StoreCheckBox("SortTags", ckbSortTags); });
}

void frmSimple::ckbIncludeGroupLabels_Click() {
    Trap("ckbIncludeGroupLabels_Click", kObject, [&] { StoreCheckBox("IncludeGroupLabels", ckbIncludeGroupLabels); });
}

void frmSimple::ckbIncludeTimeScanned_Click() {
    Trap("ckbIncludeTimeScanned_Click", kObject, [&] { StoreCheckBox("IncludeTimeScanned", ckbIncludeTimeScanned); });
}

void frmSimple::ckbSeparateGroups_Click() {
    Trap("ckbSeparateGroups_Click", kObject, [&] {
        StoreCheckBox("WindowPerGroup", ckbSeparateGroups);
        UpdateDisplayApplicationOptions();
    });
}

// The clicked option is stored when it differs from the stored one; a stored text that is no
// number is replaced by it.
void frmSimple::StoreOption(const char* setting, const char* procedure, int Index) {
    Trap(procedure, kObject, [&] {
        auto stored = NumberOf(modRegistry::GetRegistryValue(setting, "0"));
        if (!stored || *stored != Index) modRegistry::SetRegistryValue(setting, std::to_string(Index));
    });
}

void frmSimple::optTagsToSave_Click(int Index) { StoreOption("TagsToSave", "optTagsToSave_Click", Index); }

void frmSimple::optDisplayApplication_Click(int Index) {
    StoreOption("DisplayApplication", "optDisplayApplication_Click", Index);
}

// Which outputs are offered and which is chosen: a window per group cannot go to the
// clipboard, and a spreadsheet needs a spreadsheet application.
void frmSimple::UpdateDisplayApplicationOptions() {
    optDisplayApplication[2]->setVisible(!ckbSeparateGroups->isChecked());
    auto stored = NumberOf(modRegistry::GetRegistryValue("DisplayApplication", "0"));
    int choice = stored ? static_cast<int>(*stored) : 0;
    if (choice < 0 || choice > 2) choice = 0;
    const bool excel = !optDisplayApplication[1]->isHidden(), clipboard = !optDisplayApplication[2]->isHidden();
    if (!excel && !clipboard) {
        fraDisplayApp->hide();
        optDisplayApplication[0]->setChecked(true);
        return;
    }
    fraDisplayApp->show();
    if (!excel && choice == 1) choice = 0;
    if (!clipboard && choice == 2) choice = 0;
    optDisplayApplication[choice]->setChecked(true);
}

// ---- Start --------------------------------------------------------------------------------

void frmSimple::tmrInitialise_Timer() {
    tmrInitialise->stop();
    Trap("tmrInitialise_Timer", kObject, [&] {
        fraTagReadOptions->show();
        UpdateDisplayApplicationOptions();
        fraTagReadOptions->hide();
        lblHelp->setText(QString::fromStdString(SearchingText()));
        lblHelp->repaint();
        GetComportList();
        if (cboSerialPorts->count() == 0) {
            hide();
            Prompts::MsgBox(Translate("No serial ports were detected on your computer. Access to your stick reader" +
                                      CRLF + "is not possible without a working serial port"),
                            Prompts::Exclamation, Translate("No serial ports found"));
            Unload();
            return;
        }
        lblHelp->setText(QString::fromStdString(PickPortText()));
    });
}

// Filling the list connects to nothing; selecting the port used last connects to it.
void frmSimple::GetComportList() {
    WaitPointer pointer;
    Trap("GetComportList", kObject, [&] {
        cboSerialPorts->clear();
        QCoreApplication::processEvents();
        const int last = modCommon::GetLastUsedComPort(kStickDevice);
        int match = -1;
        for (const auto& entry : clsKRComm::EnumSerialPorts()) {
            long number = Value(entry[2]).ToLong();
            if (number == last) match = cboSerialPorts->count();
            cboSerialPorts->addItem(QString::fromStdString(entry[1]), QVariant::fromValue(number));
        }
        cboSerialPorts->setCurrentIndex(-1);
        if (match < 0) {
            ShowComPortSelection(true);
            return;
        }
        cboSerialPorts->setCurrentIndex(match);
        cboSerialPorts_Click();
    });
}

void frmSimple::ShowComPortSelection(bool show) { fraComPortSelection->setVisible(show); }

// ---- Connection -----------------------------------------------------------------------------

long frmSimple::SelectedPort() const { return cboSerialPorts->currentData().toLongLong(); }

std::string frmSimple::PortSettings() const {
    return "baud=" + cboBaudRate->currentText().toStdString() + " parity=N data=8 stop=1";
}

const std::string& frmSimple::LastReply() const { return exchange_->LastReply; }

bool frmSimple::SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern,
                                 long lngReadTimeout) {
    exchange_->Port = SelectedPort();
    exchange_->Settings = PortSettings();
    return exchange_->SendStickCommand(strCommand, strReplyPattern, lngReadTimeout);
}

bool frmSimple::StickReplyOK(const std::string& reply) {
    return reply.size() > 3 && reply.compare(reply.size() - 3, 3, "S)\r") == 0;
}

std::string frmSimple::StickReplyData(const std::string& reply) { return modStickReader::StripReplyStatus(reply); }

// Finds the stick on the selected port, checks that it suits this program, sets its clock and
// enables the actions. The window takes no input meanwhile; the port is closed at the end.
void frmSimple::cboSerialPorts_Click() {
    if (jobs_.Running()) return;
    JobGuard::Job job(jobs_);
    auto pointer = std::make_unique<WaitPointer>();
    setEnabled(false);
    bool wrongStick = false;
    Trap("cboSerialPorts_Click", kObject, [&] {
        QCoreApplication::processEvents();
        lblHelp->setText(QString::fromStdString(SearchingText()));
        lblHelp->repaint();
        if (comm_->IsOpen()) comm_->CommClose(kClosePause);
        comm_->CommOpen(SelectedPort(), PortSettings(), kCommandTimeout, false);
        if (!IdentifyStick()) {
            NotFoundEnding();
            return;
        }
        modCommon::SetLastUsedComPort(kStickDevice, static_cast<int>(comm_->CommPort()));
        long firmware = 0;
        if (!CheckStickType(firmware)) {
            wrongStick = true;
            return;
        }
        firmwareVersion_ = firmware;
        LayOutForStick(firmware);
        bool ok = modStickReader::CheckStickClock(*exchange_);
        ShowComPortSelection(false);
        lblHelp->hide();
        if (modCommon::EditionCode == 2) ok = ReadMemorySize();
        EnableActions(ok);
    });
    if (wrongStick) {
        // The window stays as it is until the timer says why and closes it.
        mismatchPointer_ = std::move(pointer);
        tmrStickTypeMismatch->start();
        return;
    }
    CommonEnding();
}

// Any reply to "n" counts, whatever its status.
bool frmSimple::IdentifyStick() {
    bool found = false;
    exchange_->LastReply.clear();
    for (int tries = 0; comm_->IsOpen() && !found && tries < modStickReader::IdentifyTries; ++tries)
        found = SendStickCommand("n", modHandheld::ReplyPattern("n"), kCommandTimeout);
    if (found) return true;
    Prompts::MsgBox(Translate("Can't find the stick reader on serial port") + " " +
                        cboSerialPorts->currentText().toStdString() + "." + CRLF +
                        Translate("Please check that the stick reader is powered up") + "." + comm_->OpenRefusalLine(),
                    Prompts::Information, Translate("Stick reader not found"));
    if (comm_->IsOpen()) comm_->CommClose(kClosePause);
    ShowComPortSelection(true);
    return false;
}

// The stick's configuration must come and name the stick type this program is for: a normal
// stick for the normal program, the partner's for the partner's. A reply too short to say
// counts as the wrong stick.
bool frmSimple::CheckStickType(long& firmwareVersion) {
    if (!SendStickCommand("c", modHandheld::ReplyPattern("c"), kCommandTimeout) || !StickReplyOK(LastReply()))
        return false;
    const auto entries = modHandheld::SplitText(StickReplyData(LastReply()), modHandheld::ItemSeparator);
    if (modStickReader::TagLookupEnabled()) cmdStickAction[5]->show();
    if (entries.size() <= kStickTypeEntry) return false;
    const auto typeFields = modHandheld::SplitText(entries[kStickTypeEntry], modHandheld::FieldSeparator);
    if (typeFields.size() < 2) return false;
    firmwareVersion = FirmwareVersionOf(entries);
    return std::lround(modHandheld::LeadingNumber(typeFields[1])) == modCommon::OxbrelMode;
}

void frmSimple::LayOutForStick(long firmwareVersion) {
    QPushButton* const tagFileButton = cmdStickAction[5];
    if (modCommon::OxbrelMode == 1) {
        for (int i : {0, 1, 4}) cmdStickAction[i]->hide();
        cmdStickAction[2]->move(cmdStickAction[0]->x(), cmdStickAction[2]->y());
        SetClientHeight(fraTagReadOptions->y() + Pixels(30));
    } else {
        cmdStickAction[0]->show();
        cmdStickAction[1]->show();
        const int left1 = cmdStickAction[1]->x(), left3 = cmdStickAction[3]->x();
        cmdStickAction[2]->move(left1 + (left3 - left1) / 2, cmdStickAction[2]->y());
        cmdStickAction[4]->show();
        if (!tagFileButton->isHidden()) {
            tagFileButton->setVisible(firmwareVersion >= kTagFileFirmware);
            fraTagFileOptions->setVisible(!tagFileButton->isHidden());
        }
        if (modCommon::EditionCode != 2) SetClientHeight(Bottom(fraTagReadOptions) + Pixels(30));
    }
    if (!tagFileButton->isHidden()) {
        tagFileButton->setVisible(modStickReader::TagLookupEnabled());
        fraTagFileOptions->setVisible(!tagFileButton->isHidden());
    }
}

bool frmSimple::ReadMemorySize() {
    bool ok = SendStickCommand("qM|" + modStickReader::StickAccessCode, modHandheld::ReplyPattern("q"),
                               kCommandTimeout) &&
              StickReplyOK(LastReply());
    if (ok) {
        pageCount_ = std::lround(modHandheld::LeadingNumber(StickReplyData(LastReply())));
        lblStickPageCount->setText(QString::fromStdString("Memory size is " + std::to_string(pageCount_) + " pages."));
        txbSerialNumber->setFocus();
    } else {
        Prompts::MsgBox("Failed to get memory size from the stick.", Prompts::OKOnly, "Memory Size NOT Received");
        lblStickPageCount->setText("Memory size not read from stick!!");
        cmdStickAction[3]->setFocus();
    }
    return ok;
}

// "Exit" and "Show Tag File Options" are always there; the rest need a stick that answered.
// "Erase Page" goes with "Read Page" and "Write Page".
void frmSimple::EnableActions(bool ok) {
    for (int i = 0; i <= 12; ++i) cmdStickAction[i]->setEnabled(i == 3 || i == 5 || ok);
}

void frmSimple::NotFoundEnding() {
    ShowComPortSelection(true);
    lblHelp->setText(QString::fromStdString(PickPortText()));
    lblHelp->show();
}

void frmSimple::CommonEnding() {
    if (comm_->IsOpen()) comm_->CommClose(kClosePause);
    setEnabled(true);
    if (cmdStickAction[0]->isEnabled() && modCommon::OxbrelMode != 1 && modCommon::EditionCode != 2)
        cmdStickAction[0]->setFocus();
}

void frmSimple::tmrStickTypeMismatch_Timer() {
    tmrStickTypeMismatch->stop();
    Trap("tmrStickTypeMismatch_Timer", kObject, [&] {
        if (comm_->IsOpen()) comm_->CommClose(kClosePause);
        mismatchPointer_.reset();
        Prompts::MsgBox("The application you are running (" + Program::ExecutableName() +
                            ".exe) is not appropriate for this version of stick and will now close.",
                        Prompts::Exclamation, "Wrong application for this stick");
    });
    Unload();
}

// ---- Actions ------------------------------------------------------------------------------

// Every action ends alike, also after an error: the port closed, the window taking input and
// the pointer back. Exit alone leaves the window to close.
void frmSimple::cmdStickAction_Click(int Index) {
    if (Index == 3) {
        Unload();
        return;
    }
    if (jobs_.Running()) return;
    JobGuard::Job job(jobs_);
    struct CommonEnd {
        frmSimple& window;
        ~CommonEnd() {
            if (window.comm_ && window.comm_->IsOpen()) window.comm_->CommClose(0);
            window.setEnabled(true);
        }
    } end{*this};
    Trap("cmdStickAction_Click", kObject, [&] {
        switch (Index) {
            case 1: EraseTagsFromStick(); break;
            case 2: ConfigureStick(); break;
            case 4: ToggleFrame(fraTagReadOptions, cmdStickAction[4], "Show Tag Read Options", "Hide Tag Read Options"); break;
            case 5: ToggleFrame(fraTagFileOptions, cmdStickAction[5], "Show Tag File Options", "Hide Tag File Options"); break;
            case 6: frmTags::ShowModal(this); break;
            case 0: ReadTagsFromStick(); break;
            case 7: SendTagFileToStick(); break;
            case 8: EraseTagFileFromStick(); break;
            case 9: StickAcceptanceTest(*this).Run(); break;
            case 10: ReadPage(); break;
            case 11: WritePage(); break;
            case 12: ErasePage(); break;
            default: break;
        }
    });
}

void frmSimple::EraseTagsFromStick() {
    if (Prompts::MsgBox(Translate("This will erase all animal data stored on the stick. Are you sure?"),
                        Prompts::YesNo + Prompts::Question, Translate("Erase Tag Data")) != Prompts::Yes)
        return;
    WaitPointer pointer;
    setEnabled(false);
    SendStickCommand("e", modHandheld::ReplyPattern("e"), kEraseTimeout);
    if (StickReplyOK(LastReply()))
        Prompts::MsgBox(Translate("Animal data erased") + ".", Prompts::OKOnly, Translate("Animal Data Erased"));
    else
        Prompts::MsgBox(Translate("The animal data on the stick was not successfully erased") + ".", Prompts::OKOnly,
                        Translate("Animal Data NOT Erased"));
}

// The stick reader window edits the configuration of the stick on this window's port, which it
// opens itself.
void frmSimple::ConfigureStick() {
    if (comm_->IsOpen()) comm_->CommClose(0);
    frmStickReader& reader = frmStickReader::Instance();
    reader.setParent(this, reader.windowFlags() | Qt::Dialog);
    reader.SetPort(comm_->CommPort());
    reader.SetHHAction(modMainWindowServices::StickReaderConfiguration);
    reader.exec();
}

void frmSimple::ToggleFrame(QGroupBox* frame, QPushButton* button, const char* show, const char* hide) {
    frame->setVisible(frame->isHidden());
    button->setText(QString::fromStdString(Translate(frame->isHidden() ? show : hide)));
}

void frmSimple::OpenPort() { comm_->CommOpen(SelectedPort(), PortSettings(), kActionReadTimeout, false); }

void frmSimple::ShowHelp(const std::string& text) {
    lblHelp->setText(QString::fromStdString(text));
    lblHelp->show();
    lblHelp->repaint();
}

// ---- Tag reading ----------------------------------------------------------------------------

// The action buttons, off for the length of a read and all on again however it ends; the help
// line goes with them.
class frmSimple::ActionButtonsOff {
public:
    explicit ActionButtonsOff(frmSimple& window) : window_(window) {
        for (QPushButton* button : window_.cmdStickAction) button->setEnabled(false);
    }
    ~ActionButtonsOff() {
        for (QPushButton* button : window_.cmdStickAction) button->setEnabled(true);
        window_.lblHelp->clear();
        window_.lblHelp->hide();
    }
    ActionButtonsOff(const ActionButtonsOff&) = delete;
    ActionButtonsOff& operator=(const ActionButtonsOff&) = delete;

private:
    frmSimple& window_;
};

// Reads every tag the stick holds, in the form the stick shows them, lets the keeper keep some
// when asked to, and hands them to the chosen output. Nothing reaches the register.
void frmSimple::ReadTagsFromStick() {
    const DateTime readAt = DateTime::Now();
    ActionButtonsOff buttons(*this);
    setEnabled(false);
    auto pointer = std::make_unique<WaitPointer>();
    QCoreApplication::processEvents();
    ShowHelp(Translate("Reading from stick") + "...");
    OpenPort();
    long displayFormat = StickTagTable::NoFormat;
    std::string serial;
    const bool read = ReadDisplayFormat(displayFormat, serial) && ReadStoredTags();
    comm_->CommClose(0);
    lblHelp->clear();
    if (!read) {
        Prompts::MsgBox(Translate("Failed to get animal data from the stick") + ".", Prompts::OKOnly,
                        Translate("Animal Data NOT Received"));
        return;
    }
    const std::string data = StickReplyData(LastReply());
    if (data.empty()) {
        Prompts::MsgBox(Translate("No animal data was detected on your stick") + ".", Prompts::OKOnly,
                        Translate("No Data to Receive"));
        return;
    }
    ShowHelp(Translate("Extracting tags") + "...");
    std::optional<StickTagTable::Lookup> lookup;
    if (displayFormat == StickTagTable::TagLookup) lookup = TagLookupFor(serial);
    Recordset table = StickTagTable::Create();
    StickTagTable::AddRecords(table, data, displayFormat, lookup ? &*lookup : nullptr);
    if (ckbSortTags->isChecked()) StickTagTable::Sort(table, ckbIncludeGroupLabels->isChecked());
    if (optTagsToSave[1]->isChecked()) {
        // The window owns the selection, so it takes input while the selection is open.
        pointer.reset();
        setEnabled(true);
        frmSelectTags::ShowModal(this, table);
        setEnabled(false);
        pointer = std::make_unique<WaitPointer>();
    }
    WriteOut(table, readAt);
}

// The stick's display format from its configuration, and for the tag look-up format its
// serial number. False (with a message) when the configuration did not come.
bool frmSimple::ReadDisplayFormat(long& displayFormat, std::string& serial) {
    if (!SendStickCommand("c", modHandheld::ReplyPattern("c"), kCommandTimeout) || !StickReplyOK(LastReply())) {
        Prompts::MsgBox(Translate("Failed to get configuration data from the stick") + ".", Prompts::OKOnly,
                        Translate("Configuration Data NOT Received"));
        return false;
    }
    const auto entries = modHandheld::SplitText(StickReplyData(LastReply()), modHandheld::ItemSeparator);
    const long version = FirmwareVersionOf(entries);
    if (version > kLatestFirmware) {
        Prompts::MsgBox(Translate("This stick is a later version than this program can handle." + CRLF +
                                  "You will need to get an updated version of this program."),
                        Prompts::Exclamation, Translate("New Program Required"));
        return true;
    }
    modStickReader::InitialiseStickConfigurationStrings(version);
    displayFormat = std::lround(modHandheld::LeadingNumber(
        modStickReader::ValidateStickConfigItem(EntryValue(entries, kDisplayFormatItem), kDisplayFormatItem).Value));
    if (displayFormat == StickTagTable::TagLookup)
        serial = modStickReader::ValidateStickConfigItem(EntryValue(entries, kSerialNumberItem), kSerialNumberItem).Value;
    return true;
}

// The stored reads, within the bounds a full stick's reply needs at the chosen line speed.
bool frmSimple::ReadStoredTags() {
    const modStickReader::StoredReadsLimits limits(
        *comm_, modHandheld::LeadingNumber(cboBaudRate->currentText().toStdString()) / 10);
    return SendStickCommand("r", modHandheld::ReplyPattern("r"), kCommandTimeout) && StickReplyOK(LastReply());
}

void frmSimple::WriteOut(Recordset& table, const DateTime& readAt) {
    const int choice = optDisplayApplication[1]->isChecked() ? 1 : optDisplayApplication[2]->isChecked() ? 2 : 0;
    const std::string names[] = {"Notepad", "Excel", Translate("clipboard")};
    ShowHelp(Translate("Saving to") + " " + names[choice]);
    if (!DoExcelOutput(table)) TagReadOutput(table, readAt);
}

StickTagOutput::Options frmSimple::OutputOptions() const {
    return {ckbIncludeGroupLabels->isChecked(), ckbIncludeTimeScanned->isChecked(), ckbSeparateGroups->isChecked()};
}

bool frmSimple::DoExcelOutput(const Recordset& table) {
    if (table.Rows() == 0 || !optDisplayApplication[1]->isChecked() || !modCommon::GetExcel()) return false;
    Trap("DoExcelOutput", kObject, [&] {
        const bool sheetPerGroup = modCommon::Translator().CurrentLanguage() == 1 && ckbSeparateGroups->isChecked();
        const Spreadsheet book = StickTagOutput::Workbook(table, OutputOptions(), sheetPerGroup);
        const std::string path = Spreadsheet::NewFilePath(Desktop::DocumentsFolder(),
                                                          Translate("Data Imported ") + DateTime::Now().ToGeneralText());
        book.Save(path);
        if (!Desktop::OpenFile(path))
            throw RuntimeError(ErrorNumber::InvalidCall, "No spreadsheet application opened " + path);
    });
    return true;
}

void frmSimple::TagReadOutput(const Recordset& table, const DateTime& readAt) {
    const StickTagOutput::Text text = StickTagOutput::Lines(table, OutputOptions());
    if (optDisplayApplication[2]->isChecked()) {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(QString::fromStdString(text.All()));
        return;
    }
    if (!optDisplayApplication[0]->isChecked()) return;
    int cascade = 0;
    for (const auto& window : text.windows) {
        std::string title = Translate("Tag import") + " " + readAt.ToGeneralText();
        if (ckbSeparateGroups->isChecked()) title += " " + Translate("for group") + " " + window.group + " ";
        TextWindow::Open(title, this, QSize(kTextWindowWidth, kTextWindowHeight), window.text, cascade++);
    }
}

// ---- The eartag list on the stick -------------------------------------------------------------

// Every row of the list is checked before the stick's list is erased: a row the stick cannot
// take leaves the stick's list as it was.
void frmSimple::SendTagFileToStick() {
    setEnabled(false);
    WaitPointer pointer;
    const std::string path = modStickReader::GetEartagFileSpec();
    const std::string bytes = FileSystem::Exists(path) ? FileSystem::ReadAll(path) : std::string();
    const std::vector<EartagFile::Entry> entries = EartagFile::Parse(bytes);
    if (entries.empty()) {
        Prompts::MsgBox(Translate("There is no eartag data to send to the stick") + ".", Prompts::OKOnly,
                        Translate("No Eartag Data"));
        return;
    }
    std::string refused;
    const std::vector<std::string> sent = EartagFile::StickEntries(entries, refused);
    bool ok = refused.empty();
    long count = 0;
    if (ok) {
        OpenPort();
        // Emptying the stick's list takes it longer than any other command.
        comm_->SetReadTimeout(kEraseTimeout);
        ok = SendStickCommand("f", modHandheld::ReplyPattern("f"), kEraseTimeout) && StickReplyOK(LastReply());
        comm_->SetReadTimeout(kActionReadTimeout);
        for (auto entry = sent.begin(); ok && entry != sent.end(); ++entry, ++count)
            ok = SendStickCommand("a" + *entry, modHandheld::ReplyPattern("a"), kCommandTimeout) &&
                 StickReplyOK(LastReply());
        comm_->CommClose(0);
    }
    if (!ok) {
        Prompts::MsgBox(Translate("The eartag data was not successfully sent to the stick") + "." +
                            (refused.empty() ? "" : CRLF + refused),
                        Prompts::OKOnly, Translate("Eartag Data NOT Sent"));
        return;
    }
    KeepCopyForStick(path, bytes);
    Prompts::MsgBox(Translate("Number of eartags sent to stick:") + " " + std::to_string(count), Prompts::OKOnly,
                    Translate("Successful Transfer"));
}

// The list sent, kept under the stick's serial number for that stick's reads. It takes the
// name only once written whole; a failure is logged and the transfer still counts.
void frmSimple::KeepCopyForStick(const std::string& listPath, const std::string& bytes) {
    if (!SendStickCommand("c", modHandheld::ReplyPattern("c"), kCommandTimeout) || !StickReplyOK(LastReply())) return;
    const auto entries = modHandheld::SplitText(StickReplyData(LastReply()), modHandheld::ItemSeparator);
    modStickReader::InitialiseStickConfigurationStrings(FirmwareVersionOf(entries));
    const std::string serial =
        modStickReader::ValidateStickConfigItem(EntryValue(entries, kSerialNumberItem), kSerialNumberItem).Value;
    if (serial.empty()) return;
    Trap("cmdStickAction_Click", kObject, [&] {
        TextFile::Replace(FileSystem::Join(FileSystem::Folder(listPath), serial + "Eartags.csv"), bytes);
    });
}

void frmSimple::EraseTagFileFromStick() {
    setEnabled(false);
    WaitPointer pointer;
    if (SendStickCommand("f", modHandheld::ReplyPattern("f"), kEraseTimeout) && StickReplyOK(LastReply()))
        Prompts::MsgBox(Translate("Eartag data erased") + ".", Prompts::OKOnly, Translate("Eartag Data Erased"));
    else
        Prompts::MsgBox(Translate("The eartag data on the stick was not successfully erased") + ".", Prompts::OKOnly,
                        Translate("Eartag Data NOT Erased"));
}

// ---- Factory tools: the console and the page tools ------------------------------------------

void frmSimple::ConsoleWrite(const std::string& text, bool bold, long colour, bool overwrite) {
    QTextCursor cursor = rtbText->textCursor();
    if (overwrite) {
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(std::min(consolePosition_, cursor.position()), QTextCursor::MoveAnchor);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    } else {
        consolePosition_ = cursor.selectionStart();
    }
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    cursor.insertText(QString::fromStdString(text), format);
    cursor.movePosition(QTextCursor::End);
    rtbText->setTextCursor(cursor);
    rtbText->repaint();
}

// The line end goes after the text without moving the start remembered, so the next
// overwrite replaces the line.
void frmSimple::ConsoleWriteLine(const std::string& text, bool bold, long colour, bool overwrite) {
    ConsoleWrite(text, bold, colour, overwrite);
    QTextCursor cursor = rtbText->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromStdString(CRLF), QTextCharFormat());
    rtbText->setTextCursor(cursor);
}

std::string frmSimple::FormatPageNumber() {
    const std::string text = txbPageNumber->text().toStdString();
    const long page = std::lround(modHandheld::LeadingNumber(text));
    if (page >= pageCount_) {
        Prompts::MsgBox("Maximum page number must be less than " + std::to_string(pageCount_), Prompts::Exclamation,
                        "Page Outside Range");
        return "";
    }
    if (text.empty()) return "";
    char digits[24];
    std::snprintf(digits, sizeof digits, "%04ld", page);
    return digits;
}

std::string frmSimple::FormatWriteCharacter() const {
    unsigned value = 0;
    for (QChar bit : txbWritePattern->text()) value = value << 1 | (bit == QLatin1Char('1') ? 1U : 0U);
    return std::string(1, static_cast<char>(value & 0xFF));
}

void frmSimple::DisplayPageReadData(const std::string& data) {
    rtbText->clear();
    ConsoleWrite(std::to_string(data.size()) + " byte" + (data.size() == 1 ? "" : "s") +
                 " received from stick for page " + txbPageNumber->text().toStdString() + CRLF);
    std::string bits;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        for (int bit = 7; bit >= 0; --bit) bits += (byte >> bit & 1) ? '1' : '0';
        bits += i % 8 == 7 ? CRLF : " ";
    }
    ConsoleWrite(bits);
}

bool frmSimple::SendFactoryCommand(const std::string& command) {
    return SendStickCommand(command + "|" + modStickReader::StickAccessCode, modHandheld::ReplyPattern("q"),
                            kCommandTimeout) &&
           StickReplyOK(LastReply());
}

void frmSimple::ReadPage() {
    setEnabled(false);
    const std::string page = FormatPageNumber();
    if (page.empty()) return;
    if (SendFactoryCommand("qR" + page))
        DisplayPageReadData(StickReplyData(LastReply()));
    else
        Prompts::MsgBox("Failed to get page data from the stick.", Prompts::OKOnly, "Page Data NOT Received");
}

// The stick ends a command at CR or LF, so a page cannot be written from either.
void frmSimple::WritePage() {
    setEnabled(false);
    const std::string page = FormatPageNumber();
    if (page.empty()) return;
    const std::string character = FormatWriteCharacter();
    if (character == "\r" || character == "\n") {
        Prompts::MsgBox("The bit patterns for <CR> and <LF> cannot be used as they are interpreted by the stick as "
                        "command terminators.",
                        Prompts::OKOnly, "Invalid Bit Pattern");
        return;
    }
    if (SendFactoryCommand("qW" + page + character))
        Prompts::MsgBox("Page data written OK", Prompts::OKOnly, "Page Data Written");
    else
        Prompts::MsgBox("Failed to write page data on the stick.", Prompts::OKOnly, "Page Data NOT Written");
}

void frmSimple::ErasePage() {
    setEnabled(false);
    const std::string page = FormatPageNumber();
    if (page.empty()) return;
    if (SendFactoryCommand("qE" + page))
        Prompts::MsgBox("Page data erased OK", Prompts::OKOnly, "Page Data Erased");
    else
        Prompts::MsgBox("Failed to erase page data from the stick.", Prompts::OKOnly, "Page Data NOT Erased");
}

// The page number takes digits only, the write pattern "0" and "1" only; other typed
// characters are dropped (moving about and deleting still work).
bool frmSimple::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == txbPageNumber || watched == txbWritePattern)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool passes = text.isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab ||
                            key->key() == Qt::Key_Backtab;
        const QString allowed = watched == txbPageNumber ? "0123456789" : "01";
        if (!passes && !(text.size() == 1 && allowed.contains(text))) return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Unloading ------------------------------------------------------------------------------

// The program ends with its last window. Closing a window that is already hidden (as after
// the no-port message) does not count as closing it, so the end is checked here too.
void frmSimple::Unload() {
    close();
    if (DefaultInstance<frmSimple>::Loaded() != nullptr) return;
    const auto windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(), [](QWidget* window) { return window->isVisible(); }))
        QCoreApplication::quit();
}

void frmSimple::closeEvent(QCloseEvent* event) {
    if (jobs_.RefuseClose(event)) return;
    Form_Unload();
    event->accept();
    if (DefaultInstance<frmSimple>::Loaded() == this) DefaultInstance<frmSimple>::UnloadLater();
}

void frmSimple::Form_Unload() {
    tmrInitialise->stop();
    tmrStickTypeMismatch->stop();
    exchange_.reset();
    comm_.reset();
    mismatchPointer_.reset();
}
