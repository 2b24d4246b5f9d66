#include "devices/frmStickReader.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/StickReadImport.h"
#include "devices/modHandheld.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/DesignGeometry.h"
#include "platform/Program.h"
#include "platform/Prompts.h"

namespace {

const char* const kObject = "frmStickReader";
const std::string CRLF = "\r\n";
constexpr int kStickReaderDevice = 2;  // the device index of the last port used
constexpr long kPortReadTimeout = 1000;
constexpr double kStickBytesPerSecond = 1920;  // 19200 baud, ten bits a character
constexpr int kPauseBeforeJob = 500;
constexpr size_t kConfigurationEntries = 20;  // the import reads entry 19
constexpr long kDisplayFormatItem = 19;
constexpr int kFrameImport = 2;

// Design places, in twips.
constexpr int kFrameLeft = 120, kFrameTop = 90, kFrameWidth = 9000, kFrameHeight = 3540;
constexpr int kButtonTop = 2940, kButtonHeight = 420;

using DesignGeometry::Pixels;

std::string T(const std::string& english, bool trim = false) {
    return modCommon::Translator().Translate(english, trim);
}
QString Q(const std::string& text) { return QString::fromStdString(text); }

// The second "|" field of a configuration entry ("" when it has none).
std::string EntryValue(const std::string& entry) {
    auto fields = modHandheld::SplitText(entry, modHandheld::FieldSeparator);
    return fields.size() > 1 ? fields[1] : std::string{};
}

void Message(const std::string& text, int style, const std::string& title) { Prompts::MsgBox(text, style, title); }

}  // namespace

frmStickReader& frmStickReader::Instance() { return DefaultInstance<frmStickReader>::Get(); }

void frmStickReader::Open(int HHAction, QWidget* owner) {
    frmStickReader& window = Instance();
    // A disabled owner would disable the window too: window-modal keeps the keeper's hands off
    // the owner instead.
    if (owner) window.setParent(owner, window.windowFlags() | Qt::Dialog);
    window.setWindowModality(Qt::WindowModal);
    window.SetHHAction(HHAction);
    window.show();
}

frmStickReader::frmStickReader() {
    BuildControls();
    ComPort.OnDataReceived([this](const std::string& buffer, long last) { ComPort_DataReceived(buffer, last); });
}

frmStickReader::~frmStickReader() = default;

void frmStickReader::BuildControls() {
    for (int n = 0; n < 3; ++n) {
        fraSequence[n] = new QGroupBox(this);
        fraSequence[n]->setAutoFillBackground(true);
        fraSequence[n]->hide();
    }
    fraSequence[0]->setTitle("Select Com Port");
    fraSequence[1]->setTitle("Configuration");
    fraSequence[2]->setTitle("Import");

    QGroupBox* ports = fraSequence[0];
    lblHelp[0] = HelpLabel(ports, {180, 360, 8640, 1260});
    cboSerialPorts = new QComboBox(ports);
    DesignGeometry::Place(cboSerialPorts, {180, 1800, 2400, 390});
    cmdRefreshComportList = Button("Refresh COM Port List", ports, {2760, 1785, 2850, kButtonHeight});
    cmdQuit = Button("Quit", ports, {7470, kButtonTop, 1350, kButtonHeight});
    cmdQuit->setEnabled(false);

    QGroupBox* configuration = fraSequence[1];
    picOuter = new QWidget(configuration);
    picInner = new QWidget(picOuter);
    fsbVScroll = new QScrollBar(Qt::Vertical, picOuter);
    lblConfig.push_back(new QLabel(picInner));
    txbConfig.push_back(new QLineEdit(picInner));
    cboConfig.push_back(new QComboBox(picInner));
    lblConfig[0]->hide();
    txbConfig[0]->hide();
    cboConfig[0]->hide();
    cmdConfigSave = Button("Save Configuration", configuration, {5370, kButtonTop, 1950, kButtonHeight});
    cmdConfigExit = Button("Quit", configuration, {7470, kButtonTop, 1350, kButtonHeight});
    lblHelp[1] = HelpLabel(configuration, {180, kButtonTop, 5040, kButtonHeight});
    lblHelp[1]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QGroupBox* import = fraSequence[2];
    lblHelp[2] = HelpLabel(import, {180, 360, 8640, 2490});
    lblHelp[2]->setWordWrap(true);
    cmdImportExit = Button("Exit", import, {7470, kButtonTop, 1350, kButtonHeight});

    lblInitialise = new QLabel("Please wait...Initialising...", this);
    DesignGeometry::Place(lblInitialise, {kFrameLeft, 1500, kFrameWidth, 450});
    lblInitialise->setAlignment(Qt::AlignCenter);
    lblInitialise->lower();

    for (QGroupBox* frame : fraSequence) DesignGeometry::Place(frame, {kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight});
    resize(Pixels(kFrameLeft * 2 + kFrameWidth), Pixels(kFrameTop * 2 + kFrameHeight));
    connect(tmrInitialise, &QTimer::timeout, this, [this] { tmrInitialise_Timer(); });
    connect(cboSerialPorts, &QComboBox::activated, this, [this] { cboSerialPorts_Click(); });
    connect(cmdRefreshComportList, &QPushButton::clicked, this, [this] { cmdRefreshComportList_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(cmdImportExit, &QPushButton::clicked, this, [this] { cmdImportExit_Click(); });
    connect(cmdConfigSave, &QPushButton::clicked, this, [this] { cmdConfigSave_Click(); });
    connect(cmdConfigExit, &QPushButton::clicked, this, [this] { cmdConfigExit_Click(); });
    connect(fsbVScroll, &QScrollBar::valueChanged, this, [this] { fsbVScroll_Change(); });
}

// The three steps share one place; the configuration's rows scroll inside picOuter.
void frmStickReader::Layout() {
    QGroupBox* configuration = fraSequence[1];
    // 210 twips, or below the frame's caption where the style draws it lower: the rows scroll
    // under the caption, not over it.
    const int outerTop = std::max(Pixels(210), configuration->contentsRect().top());
    picOuter->setGeometry(Pixels(30), outerTop, configuration->width() - Pixels(60),
                          cmdConfigSave->y() - Pixels(30) - outerTop);
    const int scrollWidth = fsbVScroll->sizeHint().width();
    fsbVScroll->setGeometry(picOuter->width() - scrollWidth, 0, scrollWidth, picOuter->height());
    picInner->setGeometry(0, 0, picOuter->width() - scrollWidth, picOuter->height());
    const int innerWidth = picInner->width();
    lblConfig[0]->setGeometry(Pixels(90), Pixels(60), innerWidth * 60 / 100, Pixels(360));
    txbConfig[0]->setGeometry(innerWidth * 62 / 100, Pixels(60), innerWidth * 36 / 100, Pixels(360));
    cboConfig[0]->setGeometry(txbConfig[0]->geometry());
}

void frmStickReader::TranslateCaptions() {
    for (QGroupBox* frame : {fraSequence[0], fraSequence[1]}) frame->setTitle(Q(T(frame->title().toStdString())));
    for (QPushButton* button : {cmdRefreshComportList, cmdQuit, cmdConfigSave, cmdConfigExit})
        button->setText(Q(T(button->text().toStdString())));
    lblInitialise->setText(Q(T(lblInitialise->text().toStdString())));
}

void frmStickReader::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        modCommon::SetFormIcon(this);
        setWindowTitle(Q(HHAction_ == modMainWindowServices::StickReaderConfiguration ? T("Configuration")
                                                                                      : "Data Import"));
        TranslateCaptions();
        MakeRoomForTexts({fraSequence.begin(), fraSequence.end()},
                         {{cboSerialPorts, cmdRefreshComportList}, {lblHelp[1], cmdConfigSave, cmdConfigExit}});
        Layout();
        tmrInitialise->start();
    });
}

void frmStickReader::ShowFrame(int n) {
    for (int i = 0; i < static_cast<int>(fraSequence.size()); ++i) fraSequence[i]->setVisible(i == n);
    DisplayHelp(n);
}

void frmStickReader::DisplayHelp(int n) {
    std::string text;
    if (n == 0)
        text = T("If you have not yet enabled the Bluetooth connection from your stick reader" + CRLF +
                 "to your PC please do so now and turn the stick reader on. Then select the COM port" + CRLF +
                 "to which it is connected from the list below. If the COM port is not showing in the list" +
                 CRLF + "please click the Refresh COM Port List button");
    else if (n == 1)
        text = T("Getting configuration data from your tick reader") + "...";
    else if (n == 2)
        text = T("Preparing to get data from your stick reader") + "...";
    else
        return;
    lblHelp[n]->setText(Q(text));
    lblHelp[n]->repaint();
}

void frmStickReader::AppendHelp(const std::string& line) {
    QLabel* help = lblHelp[kFrameImport];
    help->setText(help->text() + Q(CRLF + line));
    help->repaint();
}

// ---- Start-up and the port list -------------------------------------------------------------

void frmStickReader::tmrInitialise_Timer() {
    tmrInitialise->stop();
    Trap("tmrInitialise_Timer", kObject, [&] {
        if (HHAction_ != modMainWindowServices::StickReaderImport &&
            HHAction_ != modMainWindowServices::StickReaderConfiguration)
            return;
        if (port_ != 0) {
            cboSerialPorts->clear();
            cboSerialPorts->addItem(Q("COM" + std::to_string(port_)), QVariant::fromValue<long long>(port_));
            cboSerialPorts->setCurrentIndex(0);
            cboSerialPorts_Click();
            return;
        }
        GetComportList();
        if (cboSerialPorts->count() == 0) {
            hide();
            Message(T("No serial ports were detected on your computer. Access to your stick reader" + CRLF +
                      "is not possible without a working serial port") +
                        ".",
                    Prompts::Exclamation, T("No serial ports found"));
            Form_Unload();
        } else if (!connected_) {
            ShowFrame(0);
            cboSerialPorts->setFocus();
        }
    });
    SetHourglass(false);
    cmdQuit->setEnabled(true);
}

void frmStickReader::GetComportList() {
    if (jobs_.Running()) return;
    SetHourglass(true);
    cboSerialPorts->clear();
    QCoreApplication::processEvents();
    const int match = FillPortList(cboSerialPorts, kStickReaderDevice);
    cboSerialPorts->setCurrentIndex(match);
    if (match >= 0) cboSerialPorts_Click();
    SetHourglass(false);
}

void frmStickReader::cmdRefreshComportList_Click() { GetComportList(); }

// ---- The connection sequence ----------------------------------------------------------------

void frmStickReader::cboSerialPorts_Click() {
    const int index = cboSerialPorts->currentIndex();
    if (jobs_.Running() || unloading_ || index < 0) return;
    JobGuard::Job job(jobs_);
    Trap("cboSerialPorts_Click", kObject, [&] {
        cmdQuit->setEnabled(false);
        const bool pointer = hourglass_;
        SetHourglass(true);
        QCoreApplication::processEvents();
        exchange_.Port = cboSerialPorts->itemData(index).toLongLong();
        if (!ComPort.IsOpen()) ComPort.CommOpen(exchange_.Port, modStickReader::StickSettings, kPortReadTimeout, false);
        const bool found = modStickReader::IdentifyStick(exchange_);
        SetHourglass(pointer);
        QCoreApplication::processEvents();
        if (found) {
            modCommon::SetLastUsedComPort(kStickReaderDevice, static_cast<int>(ComPort.CommPort()));
            connected_ = true;
            modStickReader::CheckStickClock(exchange_);
            if (ComPort.IsOpen()) ComPort.CommClose(0);
            Pause(kPauseBeforeJob);
            if (HHAction_ == modMainWindowServices::StickReaderImport) {
                ShowFrame(kFrameImport);
                DoImport();
            } else if (HHAction_ == modMainWindowServices::StickReaderConfiguration) {
                ShowFrame(1);
                DoConfiguration();
            }
        } else {
            if (ComPort.IsOpen()) ComPort.CommClose(0);
            Message(StickNotFoundText(), Prompts::Information, T("Stick reader not found"));
            ShowFrame(0);
            cboSerialPorts->setFocus();
        }
    });
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    SetHourglass(false);
    cmdQuit->setEnabled(true);
}

std::string frmStickReader::StickNotFoundText() const {
    return T("Can't find the stick reader on serial port") + " " + cboSerialPorts->currentText().toStdString() + "." +
           CRLF + T("Please check that the stick reader is powered up") + "." + ComPort.OpenRefusalLine();
}

// ---- The import -----------------------------------------------------------------------------

void frmStickReader::DoImport() {
    JobGuard::Job job(jobs_);
    setEnabled(false);
    AppendHelp("Getting data...");
    ImportEnd end = ImportEnd::Stopped;  // a run-time error leaves by the common end
    Trap("DoImport", kObject, [&] {
        ComPort.CommOpen(exchange_.Port, modStickReader::StickSettings, kPortReadTimeout, false);
        end = ImportSteps();
    });
    if (end == ImportEnd::Failed) {
        Message("Failed to get data from your stick reader.", Prompts::Exclamation, "Failed to get data");
        ShowFrame(0);
    }
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    setEnabled(true);
}

// The stick's reads are read, filed in the register and only then erased from the stick.
frmStickReader::ImportEnd frmStickReader::ImportSteps() {
    long displayFormat = 0;
    if (!ReadConfiguration(displayFormat)) return ImportEnd::Failed;
    std::string payload;
    if (!ReadRecords(payload)) return ImportEnd::Failed;
    if (payload.empty()) {
        Message("No animal data was detected on your stick.", Prompts::OKOnly, "No data found");
        tmrUnload->start();
        return ImportEnd::NoData;
    }
    AddReadsToRecords(payload, displayFormat, StickReadImport::GroupNameStem(DateTime::Now()));
    EraseStick();
    AppendHelp("Import completed OK - click Exit to exit this screen.");
    if (recordsSkipped_ > 0) AppendHelp("Unreadable records skipped: " + std::to_string(recordsSkipped_));
    if (modCommon::EditionCode == 0) modMainWindowServices::UpdateAfterImport();
    return ImportEnd::Completed;
}

// c: the firmware version and the EID display format. A reply of fewer entries than the
// import reads counts as none.
bool frmStickReader::ReadConfiguration(long& displayFormat) {
    std::vector<std::string> entries;
    if (ComPort.IsOpen() && exchange_.Send(modStickReader::ReadConfigurationCommand) &&
        modStickReader::IsReplyOK(exchange_.LastReply))
        entries = modHandheld::SplitText(modStickReader::StripReplyStatus(exchange_.LastReply), modHandheld::ItemSeparator);
    if (entries.size() < kConfigurationEntries) {
        Message("Failed to get configuration data from the stick.", Prompts::OKOnly, "Configuration Data NOT Received");
        return false;
    }
    if (!modStickReader::IsStickVersionSupported(entries[0])) {
        Message(T("This stick is a later version than this program can handle." + CRLF +
                  "You will need to get an updated version of this program."),
                Prompts::Exclamation, T("New Program Required"));
        return false;
    }
    modStickReader::InitialiseStickConfigurationStrings(static_cast<long>(modHandheld::LeadingNumber(EntryValue(entries[0]))));
    const auto format = modStickReader::ValidateStickConfigItem(EntryValue(entries[kDisplayFormatItem]), kDisplayFormatItem);
    displayFormat = static_cast<long>(modHandheld::LeadingNumber(format.Value));
    return true;
}

// r, with the count of records received shown as they arrive.
bool frmStickReader::ReadRecords(std::string& payload) {
    importing_ = true;
    firstSeparatorAt_ = 0;
    const modStickReader::StoredReadsLimits limits(ComPort, kStickBytesPerSecond);
    const bool received = exchange_.Send(modStickReader::ReadRecordsCommand) && modStickReader::IsReplyOK(exchange_.LastReply);
    importing_ = false;
    if (received) payload = modStickReader::StripReplyStatus(exchange_.LastReply);
    return received;
}

void frmStickReader::AddReadsToRecords(const std::string& payload, long displayFormat,
                                       const std::string& groupNameStem) {
    AppendHelp("Adding data to your records...");
    StickReadImport::Records records = StickReadImport::ParseRecords(payload);
    recordsSkipped_ = records.skipped;
    StickReadImport import(modCommon::Database().GetConnection(), displayFormat, groupNameStem, modCommon::Species);
    import.Import(records.reads);
}

// e, once the register holds the reads. An erase takes the stick longer than the port's read
// time-out; a stick that does not confirm it keeps its reads, and the next import files them
// again into the same animals.
void frmStickReader::EraseStick() {
    AppendHelp("Data received. Erasing data from your  stick...");
    ComPort.SetReadTimeout(modStickReader::EraseCommand.readTimeout);
    const bool erased = exchange_.Send(modStickReader::EraseCommand) && modStickReader::IsReplyOK(exchange_.LastReply);
    ComPort.SetReadTimeout(kPortReadTimeout);
    if (!erased)
        Message(T("Your records have been updated, but the data could not be erased from your stick reader.") + CRLF +
                    T("Importing it again later adds the same reads to the same animals."),
                Prompts::Exclamation, T("Stick Not Erased"));
}

void frmStickReader::ComPort_DataReceived(const std::string& strDataBuffer, long lngLastCharPos) {
    if (!importing_ || lngLastCharPos < 1) return;
    QLabel* help = lblHelp[kFrameImport];
    if (firstSeparatorAt_ == 0) {
        const auto at = strDataBuffer.find(modHandheld::ItemSeparator);
        firstSeparatorAt_ = at == std::string::npos ? 0 : static_cast<long>(at) + 1;
        if (firstSeparatorAt_ > 0) {
            help->setText(help->text() + Q(CRLF + "Records received: "));
            fixedPartLength_ = help->text().size();
        }
    }
    if (firstSeparatorAt_ > 0)
        help->setText(help->text().left(fixedPartLength_) + QString::number(lngLastCharPos / firstSeparatorAt_));
}

// ---- The configuration editor ---------------------------------------------------------------

namespace {

constexpr long kConfigurationReadTimeout = 3000;
constexpr long kClosePause = 500;
constexpr int kFramePorts = 0;
constexpr int kFrameConfiguration = 1;
constexpr int kRowPitch = 420;  // twips
constexpr int kRowMargin = 30;  // below the last row
const char* const kTag = "Tag";

// Item positions the editor treats apart.
constexpr long kFirmwareVersionItem = 0;
constexpr long kHardwareOptionsItem = 1;  // "1": no memory fitted
constexpr long kScrapieStickEntry = 9;
constexpr long kSaveReadingsItem = 20;
constexpr long kPrinterBluetoothItem = 21;
constexpr long kDisplayBluetoothItem = 22;
constexpr long kMarkCharactersItem = 26;
constexpr size_t kPrinterTypeEntry = 28;
constexpr long kLabelPrintingOnItem = 29;
constexpr long kOutputTerminationItem = 30;
constexpr long kLabelPrintingAllowedItem = 31;
constexpr long kPrintInOrderItem = 32;
constexpr long kScrapieStickEnabled = 2;
constexpr long kQL220 = 3;
constexpr int kMarkCharacters = 4;
constexpr size_t kBluetoothIDLength = 12;
// Label printing came to the Spanish, Dutch and Portuguese sticks after firmware 10.
constexpr long kLastVersionWithoutLabelPrinting = 10;
constexpr long kLanguagesWithoutLabelPrinting[] = {10, 19, 22};
constexpr long kAustralianEnglish = 3081;

// Choices of two lists that the stick cannot run together. A rule with a message puts this
// list's earlier choice back; one without chooses the other list's second entry.
struct ClickRule {
    long tag, chosen, otherTag, otherValue;
    const char* message;
};
constexpr ClickRule kClickRules[] = {
    {kDisplayFormatItem, 7, kPrintInOrderItem, 2,
     "Tag Lookup cannot be set when 'Print in Order' is set to Print in Order"},
    {kPrintInOrderItem, 2, kDisplayFormatItem, 7,
     "Print in Order cannot be set when 'EID Display Format' is set to Tag Lookup"},
    {kLabelPrintingOnItem, 1, kLabelPrintingAllowedItem, 1, nullptr},
    {kLabelPrintingAllowedItem, 1, kLabelPrintingOnItem, 1, nullptr},
};

bool Engineering() { return modCommon::EditionCode == 2; }

template <class List>
bool Holds(const List& list, long value) {
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// Numbers as the keeper reads and types them: in the locale's decimal form, ungrouped.
QLocale NumberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}
std::string NumberText(double value) { return NumberLocale().toString(value, 'g', 15).toStdString(); }
std::optional<double> NumberOf(const std::string& text) {
    bool ok = false;
    const double value = NumberLocale().toDouble(Q(text).trimmed(), &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// An entry's position: decimal digits naming a place in the table.
long EntryPosition(const std::string& field) {
    if (field.empty() || field.size() > 9 || !std::all_of(field.begin(), field.end(), [](unsigned char c) {
            return std::isdigit(c) != 0;
        }))
        throw RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch");
    return std::stol(field);
}

// A stored value from a shown one: shown x the whole scale, halves to even.
std::string ScaledValue(const std::string& shown, const std::string& scale) {
    const std::optional<double> number = NumberOf(shown);
    if (!number) throw RuntimeError(ErrorNumber::TypeMismatch, "Type mismatch");
    const double stored = std::nearbyint(*number * std::lround(modHandheld::LeadingNumber(scale)));
    if (!(std::fabs(stored) < 2147483648.0)) throw RuntimeError(ErrorNumber::Overflow, "Overflow");
    return std::to_string(static_cast<long long>(stored));
}

// What would split a write command on its way: its field and item separators and line ends.
bool SplitsCommand(const std::string& value) { return value.find_first_of("|#\r\n") != std::string::npos; }

std::optional<long> SelectedValue(const QComboBox* list) {
    if (list->currentIndex() < 0) return std::nullopt;
    return static_cast<long>(list->currentData().toLongLong());
}

void ShowInvalid(QWidget* editor) {
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, Qt::red);
    palette.setColor(QPalette::ButtonText, Qt::red);
    editor->setPalette(palette);
}

}  // namespace

// Reads the stick's configuration and builds one row per item it holds, in the order the stick
// gives them; the rows on show are laid out by item id.
void frmStickReader::DoConfiguration() {
    ClearConfigRows();
    bool built = false;
    Trap("DoConfiguration", kObject, [&] {
        ComPort.CommOpen(exchange_.Port, modStickReader::StickSettings, kConfigurationReadTimeout, false);
        std::string configuration, identity;
        if (!ReadStickConfiguration(configuration, identity)) {
            Message(T("Failed to get configuration data from the stick") + ".", Prompts::Exclamation,
                    T("Configuration Data NOT Received"));
            return;
        }
        built = BuildConfigRows(modHandheld::SplitText(configuration, modHandheld::ItemSeparator), identity);
    });
    if (built) {
        ClickRulesActive = true;
    } else {
        // Nothing half-built is left to be saved.
        ClearConfigRows();
        ShowFrame(kFramePorts);
        cboSerialPorts->setFocus();
    }
    if (ComPort.IsOpen()) ComPort.CommClose(kClosePause);
}

// c, then n, whose answer the firmware row shows.
bool frmStickReader::ReadStickConfiguration(std::string& configuration, std::string& identity) {
    if (!exchange_.Send(modStickReader::ReadConfigurationCommand) || !modStickReader::IsReplyOK(exchange_.LastReply))
        return false;
    configuration = modStickReader::StripReplyStatus(exchange_.LastReply);
    if (!exchange_.Send(modStickReader::IdentifyCommand)) return false;
    identity = modStickReader::StripReplyStatus(exchange_.LastReply);
    if (!identity.empty()) identity.pop_back();
    return true;
}

bool frmStickReader::BuildConfigRows(const std::vector<std::string>& entries, const std::string& identity) {
    const std::string first = entries.empty() ? std::string{} : entries[0];
    if (!modStickReader::IsStickVersionSupported(first)) {
        Message(T("This stick is a later version than this program can handle." + CRLF +
                  "You will need to get an updated version of this program."),
                Prompts::Exclamation, T("New Program Required"));
        return false;
    }
    const double version = modHandheld::LeadingNumber(EntryValue(first));
    modStickReader::InitialiseStickConfigurationStrings(static_cast<long>(version));
    if (!(version > 0)) {
        Message("This stick has no memory fitted - this application must use a stick with memory fitted.",
                Prompts::Exclamation, "New Program Required");
        return false;
    }
    ConfigBuild build{entries, identity, static_cast<long>(version), false, false, {}};
    for (size_t k = 0; k < entries.size(); ++k) AddConfigRow(build, k);
    LayOutConfigRows(build.shown);
    if (build.anyInvalid)
        Message(T("One or more configuration items read from your stick were invalid." + CRLF +
                  "Any such items are displayed in red and a default value has been" + CRLF +
                  "substituted. Please check each item and ensure that you set the" + CRLF +
                  "value to what you want it to be. If you can't see any configuration" + CRLF +
                  "items displayed in red then this message indicates a problem with" + CRLF +
                  "your stick's current configuration. Even if you don't (or can't) " + CRLF +
                  "change a value you MUST save the configuration to your stick to" + CRLF + "eliminate the problem."),
                Prompts::Exclamation, T("Invalid Configuration Item(s)"));
    return true;
}

// The row of entry k: a label and a text box or list from the templates, the stick's value (or
// the item's default, in red, when the stick's fails the item's pattern).
void frmStickReader::AddConfigRow(ConfigBuild& build, size_t k) {
    const auto fields = modHandheld::SplitText(build.entries[k], modHandheld::FieldSeparator);
    const long position = EntryPosition(fields.empty() ? std::string{} : fields[0]);
    const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(position);
    const std::string value = EntryValue(build.entries[k]);
    if (position == kHardwareOptionsItem)
        build.memoryFitted = modStickReader::ValidateStickConfigItem(value, kHardwareOptionsItem).Value != "1";
    const modStickReader::StickConfigItemResult result = modStickReader::ValidateStickConfigItem(value, position);

    auto* label = new QLabel(picInner);
    label->setGeometry(lblConfig[0]->geometry());
    label->hide();
    QWidget* editor = nullptr;
    char kind = 'T';
    int index = 0;
    if (definition.IsList()) {
        kind = 'L';
        index = static_cast<int>(cboConfig.size());
        QComboBox* list = NewConfigList(index);
        FillConfigList(list, definition, k, build.entries, result.Value);
        PreviousListIndex.resize(cboConfig.size(), -1);
        PreviousListIndex[index] = list->currentIndex();
        list->setEnabled(!definition.locked || Engineering());
        editor = list;
    } else {
        index = static_cast<int>(txbConfig.size());
        auto* text = new QLineEdit(picInner);
        txbConfig.push_back(text);
        std::string shown = result.Value;
        if (!definition.scale.empty())
            shown = NumberText(modHandheld::LeadingNumber(result.Value) / modHandheld::LeadingNumber(definition.scale));
        if (position == kFirmwareVersionItem) {
            FirmwareVersionValue = shown;
            shown = build.identity;
        }
        text->setText(Q(shown));
        text->setReadOnly(definition.locked && !Engineering());
        editor = text;
    }
    editor->setGeometry(txbConfig[0]->geometry());
    editor->hide();
    editor->setProperty(kTag, QVariant::fromValue<long long>(position));
    if (!ConfigRows.empty()) ConfigRows += "|";
    ConfigRows += std::string(1, kind) + ";" + std::to_string(index) + ";" + std::to_string(position);
    lblConfig.push_back(label);
    if (!result.Valid) {
        build.anyInvalid = true;
        ShowInvalid(editor);
    }
    if (!ConfigRowShown(position, definition.visible, build)) return;
    std::string caption = T(definition.name);
    if (!definition.unit.empty()) caption += " (" + T(definition.unit) + ")";
    if (!definition.min.empty()) caption += " " + T("from") + " " + definition.min + " " + T("to") + " " + definition.max;
    label->setText(Q(caption));
    build.shown.push_back({definition.id, label, editor});
}

QComboBox* frmStickReader::NewConfigList(int index) {
    auto* list = new QComboBox(picInner);
    cboConfig.push_back(list);
    connect(list, &QComboBox::currentIndexChanged, this, [this, index] { cboConfig_Click(index); });
    return list;
}

// The list's entries, translated, each with the value it stores; the printer only a scrapie
// stick drives is offered on such a stick alone. The stick's value is chosen, or nothing when
// no entry stores it.
void frmStickReader::FillConfigList(QComboBox* list, const modStickReader::StickConfigDefinition& definition,
                                    size_t k, const std::vector<std::string>& entries, const std::string& value) {
    for (const modStickReader::StickConfigChoice& choice : definition.choices)
        list->addItem(Q(T(choice.label)), QVariant::fromValue<long long>(choice.value));
    if (k == kPrinterTypeEntry && entries.size() > kScrapieStickEntry &&
        modHandheld::LeadingNumber(EntryValue(entries[kScrapieStickEntry])) == kScrapieStickEnabled)
        list->addItem("QL220", QVariant::fromValue<long long>(kQL220));
    list->setCurrentIndex(
        list->findData(QVariant::fromValue<long long>(static_cast<long long>(modHandheld::LeadingNumber(value)))));
}

// Whether a row is on show: its item visible (every item in the engineering edition), and by
// position what the stick and the keeper's language make of it.
bool frmStickReader::ConfigRowShown(long position, bool visible, const ConfigBuild& build) const {
    if (!visible && !Engineering()) return false;
    const clsTranslator& translator = modCommon::Translator();
    if (position == kSaveReadingsItem) return build.memoryFitted;
    if (position == kLabelPrintingOnItem || position == kLabelPrintingAllowedItem || position == kPrintInOrderItem)
        return !(build.version <= kLastVersionWithoutLabelPrinting &&
                 Holds(kLanguagesWithoutLabelPrinting, translator.menLBaseLanguage));
    if (position == kOutputTerminationItem) return translator.menLLanguage == kAustralianEnglish;
    return true;
}

// The rows on show one under another by item id, in a box that scrolls when they overflow it.
void frmStickReader::LayOutConfigRows(std::vector<ShownConfigRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    int top = lblConfig[0]->y();
    int bottom = top;
    for (const ShownConfigRow& row : rows) {
        row.label->move(lblConfig[0]->x(), top);
        row.editor->move(txbConfig[0]->x(), top);
        row.label->show();
        row.editor->show();
        bottom = top + txbConfig[0]->height();
        top += Pixels(kRowPitch);
    }
    picInner->setGeometry(0, 0, picInner->width(), bottom + Pixels(kRowMargin));
    const int over = picInner->height() - picOuter->height();
    fsbVScroll->setRange(0, std::max(0, over));
    fsbVScroll->setPageStep(picOuter->height());
    fsbVScroll->setSingleStep(Pixels(kRowPitch));
    fsbVScroll->setValue(0);
    fsbVScroll->setEnabled(over > 0);
    fraSequence[kFrameConfiguration]->setTitle(
        Q(over > 0 ? T("Configuration (use the scrollbar on the right to view all configuration items)")
                   : T("Configuration")));
}

void frmStickReader::ClearConfigRows() {
    ClickRulesActive = false;
    auto clear = [](auto& controls) {
        for (size_t i = 1; i < controls.size(); ++i) delete controls[i];
        controls.resize(1);
    };
    clear(lblConfig);
    clear(txbConfig);
    clear(cboConfig);
    PreviousListIndex.assign(1, -1);
    ConfigRows.clear();
    FirmwareVersionValue.clear();
    fsbVScroll->setValue(0);
}

std::vector<frmStickReader::ConfigRow> frmStickReader::ConfigRowList() const {
    std::vector<ConfigRow> rows;
    for (const std::string& text : modHandheld::SplitText(ConfigRows, '|')) {
        const auto fields = modHandheld::SplitText(text, ';');
        rows.push_back({fields.at(0).at(0), std::stoi(fields.at(1)), std::stol(fields.at(2))});
    }
    return rows;
}

QComboBox* frmStickReader::ConfigListAt(long position) const {
    for (size_t i = 1; i < cboConfig.size(); ++i)
        if (cboConfig[i]->property(kTag).toLongLong() == position) return cboConfig[i];
    return nullptr;
}

// A choice the program makes in a list runs no rules of its own.
void frmStickReader::SelectConfigListEntry(QComboBox* list, int entry) {
    ClickRulesActive = false;
    list->setCurrentIndex(entry);
    ClickRulesActive = true;
}

void frmStickReader::cboConfig_Click(int Index) {
    if (!ClickRulesActive) return;
    Trap("cboConfig_Click", kObject, [&] {
        QComboBox* list = cboConfig.at(static_cast<size_t>(Index));
        const long tag = static_cast<long>(list->property(kTag).toLongLong());
        const std::optional<long> chosen = SelectedValue(list);
        for (const ClickRule& rule : kClickRules) {
            if (rule.tag != tag || chosen != rule.chosen) continue;
            QComboBox* other = ConfigListAt(rule.otherTag);
            if (!other || SelectedValue(other) != rule.otherValue) continue;
            if (rule.message) {
                SelectConfigListEntry(list, PreviousListIndex.at(static_cast<size_t>(Index)));
                Message(T(rule.message), Prompts::OKOnly, T("Conflicting Options"));
            } else {
                SelectConfigListEntry(other, 1);
            }
            break;
        }
        PreviousListIndex.at(static_cast<size_t>(Index)) = list->currentIndex();
    });
}

// ---- Saving the configuration ---------------------------------------------------------------

// Checks every row, then writes the items back to the stick and has it load them. The window
// stays as edited whatever the end.
void frmStickReader::cmdConfigSave_Click() {
    if (jobs_.Running()) return;
    JobGuard::Job job(jobs_);
    SetHourglass(true);
    QCoreApplication::processEvents();
    setEnabled(false);
    bool saved = false;
    std::string message;
    QWidget* focus = nullptr;
    const bool ran = Trap("cmdConfigSave_Click", kObject, [&] {
        if (CheckConfigRows(message, focus)) saved = WriteConfiguration(message);
    });
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    SetHourglass(false);
    if (ran && saved)
        Message(T("Configuration updated OK") + ".", Prompts::OKOnly, T("Configuration saved"));
    else if (ran)
        Message(message, Prompts::OKOnly, T("Configuration Error"));
    setEnabled(true);
    cmdQuit->setEnabled(true);
    if (focus) focus->setFocus();
}

// Every row in order: a list on show must have a choice (a hidden one without gets its first
// entry); a text the keeper can edit must be what its item takes, in the form it is written.
bool frmStickReader::CheckConfigRows(std::string& message, QWidget*& focus) {
    for (const ConfigRow& row : ConfigRowList()) {
        const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(row.position);
        if (row.kind == 'L') {
            QComboBox* list = cboConfig.at(static_cast<size_t>(row.index));
            if (list->currentIndex() >= 0) continue;
            if (list->isHidden()) {
                if (list->count() > 0) list->setCurrentIndex(0);
                continue;
            }
            message = T("A configuration parameter") + " (" + T(definition.name) + ") " +
                      T(" has not been selected. Please select it", true) + ".";
            focus = list;
            return false;
        }
        if (txbConfig.at(static_cast<size_t>(row.index))->isReadOnly()) continue;
        if (!ConfigTextValid(row, definition)) {
            message = T("A configuration parameter") + " (" + T(definition.name) + ") " +
                      T("is invalid. Please re-enter it") + ".";
            return false;
        }
    }
    return true;
}

bool frmStickReader::ConfigTextValid(const ConfigRow& row, const modStickReader::StickConfigDefinition& definition) const {
    const std::string text = ConfigRowText(row);
    if (SplitsCommand(text)) return false;
    if (definition.min.empty()) return modStickReader::ValidateStickConfigItem(text, row.position).Valid;
    const std::optional<double> number = NumberOf(text);
    if (!number || *number < modHandheld::LeadingNumber(definition.min)) return false;
    if (Engineering()) return true;
    const double stored = definition.scale.empty() ? *number : *number * modHandheld::LeadingNumber(definition.scale);
    return modStickReader::ValidateStickConfigItem(NumberText(stored), row.position).Valid;
}

// A text row's value as it goes to the stick, before any scale: an empty Bluetooth ID is none
// (twelve zeros), the stick keeps four mark characters, and the firmware version goes back as
// it was read, whatever the row shows.
std::string frmStickReader::ConfigRowText(const ConfigRow& row) const {
    const QString text = txbConfig.at(static_cast<size_t>(row.index))->text();
    switch (row.position) {
        case kFirmwareVersionItem:
            return FirmwareVersionValue;
        case kPrinterBluetoothItem:
        case kDisplayBluetoothItem:
            return text.isEmpty() ? std::string(kBluetoothIDLength, '0') : text.toStdString();
        case kMarkCharactersItem:
            return text.left(kMarkCharacters).toStdString();
        default:
            return text.toStdString();
    }
}

// The value a w command carries: a list's stored value, a text scaled to the stored unit, and
// the texts the stick reads up to a NUL with that NUL after them.
std::string frmStickReader::ConfigRowValue(const ConfigRow& row, const modStickReader::StickConfigDefinition& definition) const {
    if (row.kind == 'L')
        return std::to_string(SelectedValue(cboConfig.at(static_cast<size_t>(row.index))).value_or(0));
    std::string value = ConfigRowText(row);
    if (!definition.scale.empty()) value = ScaledValue(value, definition.scale);
    if (row.position == kPrinterBluetoothItem || row.position == kDisplayBluetoothItem ||
        row.position == kMarkCharactersItem)
        value += '\0';
    return value;
}

// n, then a w for every item the edition writes, then l. Each counts only when the stick says
// it succeeded; the first that does not ends the save, and the items written before it stay
// written (but not loaded) on the stick.
bool frmStickReader::WriteConfiguration(std::string& message) {
    if (ComPort.CommOpen(exchange_.Port, modStickReader::StickSettings, kPortReadTimeout, false) != 0 ||
        !ComPort.IsOpen() || !exchange_.Send(modStickReader::IdentifyCommand)) {
        message = StickNotFoundText();
        return false;
    }
    for (const ConfigRow& row : ConfigRowList()) {
        const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(row.position);
        if (!definition.userItem && !Engineering()) continue;
        std::string argument = std::to_string(row.position) + modHandheld::FieldSeparator + ConfigRowValue(row, definition);
        if (Engineering() && modStickReader::StickAccessCodeRequired(row.position))
            argument += modHandheld::FieldSeparator + modStickReader::StickAccessCode;
        if (!exchange_.Send(modStickReader::WriteConfigurationCommand, argument) ||
            !modStickReader::IsReplyOK(exchange_.LastReply)) {
            message = T("Failed to write a configuration parameter") + " (" + T(definition.name) + ")";
            return false;
        }
    }
    if (!exchange_.Send(modStickReader::LoadConfigurationCommand) || !modStickReader::IsReplyOK(exchange_.LastReply)) {
        message = T("Failed to load the new configuration");
        return false;
    }
    return true;
}

void frmStickReader::fsbVScroll_Change() { picInner->move(picInner->x(), -fsbVScroll->value()); }

// ---- Closing --------------------------------------------------------------------------------

void frmStickReader::cmdQuit_Click() { tmrUnload->start(); }
void frmStickReader::cmdImportExit_Click() { tmrUnload->start(); }
void frmStickReader::cmdConfigExit_Click() { tmrUnload->start(); }

void frmStickReader::Form_Unload() {
    if (!StartUnload(ComPort)) return;
    if (Loaded() == this) DefaultInstance<frmStickReader>::UnloadLater();
    FinishUnload();
}

void RegisterStickReaderWindow() {
    modMainWindowServices::RegisterStickReaderWindow(
        [](int HHAction, QWidget* owner) { frmStickReader::Open(HHAction, owner); });
}
