#include "devices/frmStickReader.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <optional>

#include "core/TranslationTexts.h"
#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/StickReadImport.h"
#include "devices/modHandheld.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WaitPointer.h"

namespace {

const char* const kObject = "frmStickReader";
constexpr int kStickReaderDevice = 2;  // the device index of the last port used
constexpr long kPortReadTimeout = 1000;
constexpr double kStickBytesPerSecond = 1920;  // 19200 baud, ten bits a character
constexpr int kPauseBeforeJob = 500;
constexpr size_t kConfigurationEntries = 20;  // the import reads entry 19
constexpr long kDisplayFormatItem = 19;
constexpr std::size_t kSerialNumberItem = 2;
constexpr int kFrameImport = 2;

// Design places, in twips.
constexpr int kFrameLeft = 120, kFrameTop = 90, kFrameWidth = 9000, kFrameHeight = 3540;
constexpr int kButtonTop = 2940, kButtonHeight = 420;

using DesignGeometry::Pixels;

using modCommon::Translate;
QString Q(const std::string& text) { return QString::fromStdString(text); }

void Message(const std::string& text, int style, const std::string& title) { Prompts::MsgBox(text, style, title); }

std::string UnreadRecordsPath() {
    return FileSystem::Join(modCommon::GetDatabaseFilespec(), StickReadImport::UnreadRecordsFile);
}

}  // namespace

frmStickReader& frmStickReader::Instance() { return DefaultInstance<frmStickReader>::Get(); }

void frmStickReader::Open(int HHAction, QWidget* owner) {
    frmStickReader& window = Instance();
    window.SetHHAction(HHAction);
    window.ShowOver(owner);
}

// The rows' box is made first, for the names that reach its controls, and as a child, to have a
// child's size until it is laid out; BuildControls puts it in its frame.
frmStickReader::frmStickReader()
    : picOuter(new StickConfigRowsBox(this)),
      picInner(picOuter->picInner),
      fsbVScroll(picOuter->fsbVScroll),
      lblConfig(picOuter->lblConfig),
      txbConfig(picOuter->txbConfig),
      cboConfig(picOuter->cboConfig) {
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
    picOuter->setParent(configuration);
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

    for (QGroupBox* frame : fraSequence)
        DesignGeometry::Place(frame, {kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight});
    resize(Pixels(kFrameLeft * 2 + kFrameWidth), Pixels(kFrameTop * 2 + kFrameHeight));
    connect(tmrInitialise, &QTimer::timeout, this, [this] { tmrInitialise_Timer(); });
    connect(cboSerialPorts, &QComboBox::activated, this, [this] { cboSerialPorts_Click(); });
    connect(cmdRefreshComportList, &QPushButton::clicked, this, [this] { cmdRefreshComportList_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(cmdImportExit, &QPushButton::clicked, this, [this] { cmdImportExit_Click(); });
    connect(cmdConfigSave, &QPushButton::clicked, this, [this] { cmdConfigSave_Click(); });
    connect(cmdConfigExit, &QPushButton::clicked, this, [this] { cmdConfigExit_Click(); });
    connect(fsbVScroll, &QScrollBar::valueChanged, this, [this] { fsbVScroll_Change(); });
    connect(picOuter, &StickConfigRowsBox::ListChanged, this, [this](int index) { cboConfig_Click(index); });
}

// The three steps share one place; the configuration's rows scroll inside picOuter.
void frmStickReader::Layout() {
    QGroupBox* configuration = fraSequence[1];
    // 210 twips, or below the frame's caption where the style draws it lower: the rows scroll
    // under the caption, not over it.
    const int outerTop = std::max(Pixels(210), configuration->contentsRect().top());
    picOuter->setGeometry(Pixels(30), outerTop, configuration->width() - Pixels(60),
                          cmdConfigSave->y() - Pixels(30) - outerTop);
    picOuter->Layout();
}

void frmStickReader::TranslateCaptions() {
    for (QGroupBox* frame : {fraSequence[0], fraSequence[1]})
        frame->setTitle(Q(Translate(frame->title().toStdString())));
    for (QPushButton* button : {cmdRefreshComportList, cmdQuit, cmdConfigSave, cmdConfigExit})
        button->setText(Q(Translate(button->text().toStdString())));
    lblInitialise->setText(Q(Translate(lblInitialise->text().toStdString())));
}

void frmStickReader::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        modCommon::SetFormIcon(this);
        setWindowTitle(Q(HHAction_ == modMainWindowServices::StickReaderConfiguration ? Translate("Configuration")
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
    if (n == 0) text = Translate(std::string(TranslationTexts::StickReaderPortHelp));
    else if (n == 1) text = Translate("Getting configuration data from your tick reader") + "...";
    else if (n == 2) text = Translate("Preparing to get data from your stick reader") + "...";
    else return;
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
            Message(Translate("No serial ports were detected on your computer. Access to your stick reader" + CRLF +
                              "is not possible without a working serial port") +
                        ".",
                    Prompts::Exclamation, Translate("No serial ports found"));
            Form_Unload();
        } else if (!connected_) {
            ShowFrame(0);
            cboSerialPorts->setFocus();
        }
    });
    cmdQuit->setEnabled(true);
}

void frmStickReader::GetComportList() {
    if (jobs_.Running()) return;
    WaitPointer pointer;
    cboSerialPorts->clear();
    QCoreApplication::processEvents();
    const int match = FillPortList(cboSerialPorts, kStickReaderDevice);
    cboSerialPorts->setCurrentIndex(match);
    if (match >= 0) cboSerialPorts_Click();
}

void frmStickReader::cmdRefreshComportList_Click() { GetComportList(); }

// ---- The connection sequence ----------------------------------------------------------------

void frmStickReader::cboSerialPorts_Click() {
    const int index = cboSerialPorts->currentIndex();
    if (jobs_.Running() || unloading_ || index < 0) return;
    JobGuard::Job job(jobs_);
    Trap("cboSerialPorts_Click", kObject, [&] {
        cmdQuit->setEnabled(false);
        bool found = false;
        {
            WaitPointer pointer;
            QCoreApplication::processEvents();
            exchange_.Port = cboSerialPorts->itemData(index).toLongLong();
            if (!ComPort.IsOpen())
                ComPort.CommOpen(exchange_.Port, modStickReader::StickSettings, kPortReadTimeout, false);
            found = modStickReader::IdentifyStick(exchange_);
        }
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
            Message(StickNotFoundText(), Prompts::Information, Translate("Stick reader not found"));
            ShowFrame(0);
            cboSerialPorts->setFocus();
        }
    });
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    cmdQuit->setEnabled(true);
}

std::string frmStickReader::StickNotFoundText() const {
    return Translate("Can't find the stick reader on serial port") + " " + cboSerialPorts->currentText().toStdString() +
           "." + CRLF + Translate("Please check that the stick reader is powered up") + "." + ComPort.OpenRefusalLine();
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
    const std::vector<std::string> unread =
        AddReadsToRecords(payload, displayFormat, StickReadImport::GroupNameStem(DateTime::Now()));
    const bool kept = KeepUnreadRecords(unread);
    if (kept) EraseStick();
    AppendHelp("Import completed OK - click Exit to exit this screen.");
    if (kept && !unread.empty())
        AppendHelp("Unreadable records: " + std::to_string(unread.size()) + ", kept in " + UnreadRecordsPath());
    if (modCommon::EditionCode == modCommon::FullEdition) modMainWindowServices::UpdateAfterImport();
    return ImportEnd::Completed;
}

// c: the firmware version and the EID display format. A reply of fewer entries than the
// import reads counts as none.
bool frmStickReader::ReadConfiguration(long& displayFormat) {
    std::vector<std::string> entries;
    if (ComPort.IsOpen() && exchange_.Send(modStickReader::ReadConfigurationCommand) &&
        modStickReader::IsReplyOK(exchange_.LastReply))
        entries =
            modHandheld::SplitText(modStickReader::StripReplyStatus(exchange_.LastReply), modHandheld::ItemSeparator);
    if (entries.size() < kConfigurationEntries) {
        Message("Failed to get configuration data from the stick.", Prompts::OKOnly, "Configuration Data NOT Received");
        return false;
    }
    if (!modStickReader::IsStickVersionSupported(entries[0])) {
        LaterVersionMessage();
        return false;
    }
    modStickReader::InitialiseStickConfigurationStrings(modStickReader::FirmwareVersionOf(entries));
    stickSerial_ = modStickReader::ConfigEntryValue(entries, kSerialNumberItem);
    displayFormat =
        static_cast<long>(modHandheld::LeadingNumber(modStickReader::ConfiguredValue(entries, kDisplayFormatItem)));
    return true;
}

void frmStickReader::LaterVersionMessage() {
    Message(Translate("This stick is a later version than this program can handle." + CRLF +
                      "You will need to get an updated version of this program."),
            Prompts::Exclamation, Translate("New Program Required"));
}

// r, with the count of records received shown as they arrive.
bool frmStickReader::ReadRecords(std::string& payload) {
    importing_ = true;
    firstSeparatorAt_ = 0;
    const modStickReader::StoredReadsLimits limits(ComPort, kStickBytesPerSecond);
    const bool received =
        exchange_.Send(modStickReader::ReadRecordsCommand) && modStickReader::IsReplyOK(exchange_.LastReply);
    importing_ = false;
    if (received) payload = modStickReader::StripReplyStatus(exchange_.LastReply);
    return received;
}

std::vector<std::string> frmStickReader::AddReadsToRecords(const std::string& payload, long displayFormat,
                                                           const std::string& groupNameStem) {
    AppendHelp("Adding data to your records...");
    StickReadImport::Records records = StickReadImport::ParseRecords(payload);
    StickReadImport import(modCommon::Database().GetConnection(), displayFormat, groupNameStem, modCommon::Species);
    import.Import(records.reads);
    return records.unread;
}

// The records that are no read go to a file before the erase takes them off the stick; the
// stick is not erased when the file cannot take them.
bool frmStickReader::KeepUnreadRecords(const std::vector<std::string>& unread) {
    const std::string stick = "Stick " + stickSerial_ + " on " + cboSerialPorts->currentText().toStdString();
    if (unread.empty() || StickReadImport::KeepUnread(UnreadRecordsPath(), unread, stick, DateTime::Now())) return true;
    Message(Translate("Your records have been updated, but the stick's unreadable records could not be saved in") +
                " " + UnreadRecordsPath() + "." + CRLF +
                Translate("They are still on your stick reader, which was not erased."),
            Prompts::Exclamation, Translate("Stick Not Erased"));
    return false;
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
        Message(Translate("Your records have been updated, but the data could not be erased from your stick reader.") +
                    CRLF + Translate("Importing it again later adds the same reads to the same animals."),
                Prompts::Exclamation, Translate("Stick Not Erased"));
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
constexpr auto SelectedValue = StickConfigRowsBox::SelectedValue;

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
            Message(Translate("Failed to get configuration data from the stick") + ".", Prompts::Exclamation,
                    Translate("Configuration Data NOT Received"));
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
    std::vector<StickConfigEditor::RowDisplay> rows;
    switch (editor_.Build(entries, identity, rows)) {
        case StickConfigEditor::BuildEnd::LaterVersion: LaterVersionMessage(); return false;
        case StickConfigEditor::BuildEnd::NoMemory:
            Message("This stick has no memory fitted - this application must use a stick with memory fitted.",
                    Prompts::Exclamation, "New Program Required");
            return false;
        case StickConfigEditor::BuildEnd::Built: break;
    }
    const bool overflow = picOuter->ShowRows(rows);
    PreviousListIndex.resize(cboConfig.size(), -1);
    for (size_t i = 1; i < cboConfig.size(); ++i) PreviousListIndex[i] = cboConfig[i]->currentIndex();
    fraSequence[kFrameConfiguration]->setTitle(
        Q(overflow ? Translate("Configuration (use the scrollbar on the right to view all configuration items)")
                   : Translate("Configuration")));
    if (std::any_of(rows.begin(), rows.end(), [](const auto& row) { return !row.valid; }))
        Message(Translate("One or more configuration items read from your stick were invalid." + CRLF +
                          "Any such items are displayed in red and a default value has been" + CRLF +
                          "substituted. Please check each item and ensure that you set the" + CRLF +
                          "value to what you want it to be. If you can't see any configuration" + CRLF +
                          "items displayed in red then this message indicates a problem with" + CRLF +
                          "your stick's current configuration. Even if you don't (or can't) " + CRLF +
                          "change a value you MUST save the configuration to your stick to" + CRLF +
                          "eliminate the problem."),
                Prompts::Exclamation, Translate("Invalid Configuration Item(s)"));
    return true;
}

void frmStickReader::ClearConfigRows() {
    ClickRulesActive = false;
    picOuter->Clear();
    PreviousListIndex.assign(1, -1);
    editor_.Clear();
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
        const auto chosenAt = [this](long position) {
            const QComboBox* other = picOuter->ListAt(position);
            return other ? SelectedValue(other) : std::nullopt;
        };
        const StickConfigEditor::ClickRule* rule =
            StickConfigEditor::ClickRuleFor(StickConfigRowsBox::PositionOf(list), SelectedValue(list), chosenAt);
        if (rule && rule->message) {
            SelectConfigListEntry(list, PreviousListIndex.at(static_cast<size_t>(Index)));
            Message(Translate(rule->message), Prompts::OKOnly, Translate("Conflicting Options"));
        } else if (rule) {
            SelectConfigListEntry(picOuter->ListAt(rule->otherTag), 1);
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
    bool ran = false, saved = false;
    std::string message;
    QWidget* focus = nullptr;
    {
        WaitPointer pointer;
        QCoreApplication::processEvents();
        setEnabled(false);
        ran = Trap("cmdConfigSave_Click", kObject, [&] {
            if (CheckConfigRows(message, focus)) saved = WriteConfiguration(message);
        });
        if (ComPort.IsOpen()) ComPort.CommClose(0);
    }
    if (ran && saved)
        Message(Translate("Configuration updated OK") + ".", Prompts::OKOnly, Translate("Configuration saved"));
    else if (ran) Message(message, Prompts::OKOnly, Translate("Configuration Error"));
    setEnabled(true);
    cmdQuit->setEnabled(true);
    if (focus) focus->setFocus();
}

// Every row in order: a list on show must have a choice (a hidden one without gets its first
// entry); a text the keeper can edit must be what its item takes, in the form it is written.
bool frmStickReader::CheckConfigRows(std::string& message, QWidget*& focus) {
    for (const StickConfigEditor::ConfigRow& row : editor_.ConfigRows()) {
        const modStickReader::StickConfigDefinition definition = modStickReader::StickConfigDefinitionAt(row.position);
        if (row.kind == 'L') {
            QComboBox* list = cboConfig.at(static_cast<size_t>(row.index));
            if (list->currentIndex() >= 0) continue;
            if (list->isHidden()) {
                if (list->count() > 0) list->setCurrentIndex(0);
                continue;
            }
            message = Translate("A configuration parameter") + " (" + Translate(definition.name) + ") " +
                      Translate(" has not been selected. Please select it", true) + ".";
            focus = list;
            return false;
        }
        if (txbConfig.at(static_cast<size_t>(row.index))->isReadOnly()) continue;
        if (!editor_.TextValid(row, ConfigRowEntry(row))) {
            message = Translate("A configuration parameter") + " (" + Translate(definition.name) + ") " +
                      Translate("is invalid. Please re-enter it") + ".";
            return false;
        }
    }
    return true;
}

std::string frmStickReader::ConfigRowEntry(const StickConfigEditor::ConfigRow& row) const {
    const auto index = static_cast<size_t>(row.index);
    if (row.kind == 'L') return std::to_string(SelectedValue(cboConfig.at(index)).value_or(0));
    return txbConfig.at(index)->text().toStdString();
}

// n, then the rows. The n shows the stick is still there.
bool frmStickReader::WriteConfiguration(std::string& message) {
    if (ComPort.CommOpen(exchange_.Port, modStickReader::StickSettings, kPortReadTimeout, false) != 0 ||
        !ComPort.IsOpen() || !exchange_.Send(modStickReader::IdentifyCommand)) {
        message = StickNotFoundText();
        return false;
    }
    return editor_.Write(
        exchange_, [this](const auto& row) { return ConfigRowEntry(row); }, message);
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
