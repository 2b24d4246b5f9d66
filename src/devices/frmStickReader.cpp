#include "devices/frmStickReader.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/StickReadImport.h"
#include "devices/modHandheld.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/Program.h"
#include "platform/Prompts.h"

namespace {

const char* const kObject = "frmStickReader";
const std::string CRLF = "\r\n";
constexpr int kStickReaderDevice = 2;  // the device index of the last port used
constexpr long kPortReadTimeout = 1000;
constexpr int kPauseBeforeJob = 500;
constexpr size_t kConfigurationEntries = 20;  // the import reads entry 19
constexpr long kDisplayFormatItem = 19;
constexpr int kFrameImport = 2;

// Geometry in pixels (a twip is a fifteenth of one).
constexpr int kFrameLeft = 8, kFrameTop = 6, kFrameWidth = 600, kFrameHeight = 236;
constexpr int kButtonTop = 196, kButtonHeight = 28;

std::string T(const std::string& english) { return modCommon::Translator().Translate(english); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

QPushButton* Button(const char* caption, QWidget* parent, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(geometry);
    return button;
}

QLabel* HelpLabel(QWidget* parent, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

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

frmStickReader::frmStickReader() : QDialog(nullptr) {
    BuildControls();
    ComPort.OnDataReceived([this](const std::string& buffer, long last) { ComPort_DataReceived(buffer, last); });
}

frmStickReader::~frmStickReader() { SetHourglass(false); }

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
    lblHelp[0] = HelpLabel(ports, {12, 24, 576, 84});
    cboSerialPorts = new QComboBox(ports);
    cboSerialPorts->setGeometry(12, 120, 160, 26);
    cmdRefreshComportList = Button("Refresh COM Port List", ports, {184, 119, 190, kButtonHeight});
    cmdQuit = Button("Quit", ports, {498, kButtonTop, 90, kButtonHeight});
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
    cmdConfigSave = Button("Save Configuration", configuration, {358, kButtonTop, 130, kButtonHeight});
    cmdConfigExit = Button("Quit", configuration, {498, kButtonTop, 90, kButtonHeight});
    lblHelp[1] = HelpLabel(configuration, {12, kButtonTop, 336, kButtonHeight});
    lblHelp[1]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QGroupBox* import = fraSequence[2];
    lblHelp[2] = HelpLabel(import, {12, 24, 576, 166});
    lblHelp[2]->setWordWrap(true);
    cmdImportExit = Button("Exit", import, {498, kButtonTop, 90, kButtonHeight});

    lblInitialise = new QLabel("Please wait...Initialising...", this);
    lblInitialise->setGeometry(kFrameLeft, 100, kFrameWidth, 30);
    lblInitialise->setAlignment(Qt::AlignCenter);
    lblInitialise->lower();

    tmrInitialise = new QTimer(this);
    tmrUnload = new QTimer(this);
    for (QTimer* timer : {tmrInitialise, tmrUnload}) {
        timer->setSingleShot(true);
        timer->setInterval(1);
    }

    setFixedSize(kFrameLeft * 2 + kFrameWidth, kFrameTop * 2 + kFrameHeight);
    connect(tmrInitialise, &QTimer::timeout, this, [this] { tmrInitialise_Timer(); });
    connect(tmrUnload, &QTimer::timeout, this, [this] { tmrUnload_Timer(); });
    connect(cboSerialPorts, &QComboBox::activated, this, [this] { cboSerialPorts_Click(); });
    connect(cmdRefreshComportList, &QPushButton::clicked, this, [this] { cmdRefreshComportList_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(cmdImportExit, &QPushButton::clicked, this, [this] { cmdImportExit_Click(); });
    connect(cmdConfigExit, &QPushButton::clicked, this, [this] { cmdConfigExit_Click(); });
    connect(fsbVScroll, &QScrollBar::valueChanged, this, [this] { fsbVScroll_Change(); });
}

// The three steps share one place; the configuration's rows scroll inside picOuter.
void frmStickReader::Layout() {
    for (QGroupBox* frame : fraSequence) frame->setGeometry(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight);
    QGroupBox* configuration = fraSequence[1];
    const int outerTop = 14;  // 210 twips
    picOuter->setGeometry(2, outerTop, configuration->width() - 4, cmdConfigSave->y() - 2 - outerTop);
    const int scrollWidth = fsbVScroll->sizeHint().width();
    fsbVScroll->setGeometry(picOuter->width() - scrollWidth, 0, scrollWidth, picOuter->height());
    picInner->setGeometry(0, 0, picOuter->width() - scrollWidth, picOuter->height());
    const int innerWidth = picInner->width();
    lblConfig[0]->setGeometry(6, 4, innerWidth * 55 / 100, 24);
    txbConfig[0]->setGeometry(innerWidth * 58 / 100, 4, innerWidth * 40 / 100, 24);
    cboConfig[0]->setGeometry(txbConfig[0]->geometry());
}

void frmStickReader::TranslateCaptions() {
    for (QGroupBox* frame : {fraSequence[0], fraSequence[1]}) frame->setTitle(Q(T(frame->title().toStdString())));
    for (QPushButton* button : {cmdRefreshComportList, cmdQuit, cmdConfigSave, cmdConfigExit})
        button->setText(Q(T(button->text().toStdString())));
    lblInitialise->setText(Q(T(lblInitialise->text().toStdString())));
}

void frmStickReader::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmStickReader::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        modCommon::SetFormIcon(this);
        setWindowTitle(Q(HHAction_ == modMainWindowServices::StickReaderConfiguration ? T("Configuration")
                                                                                      : "Data Import"));
        Layout();
        TranslateCaptions();
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

void frmStickReader::SetHourglass(bool on) {
    if (on == hourglass_) return;
    hourglass_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// A fixed pause that keeps the program's windows alive.
void frmStickReader::Pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(Program::ScaledMs(milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
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
    const long lastUsed = modCommon::GetLastUsedComPort(kStickReaderDevice);
    int match = -1;
    for (const clsKRComm::SerialPortEntry& entry : clsKRComm::EnumSerialPorts()) {
        const long number = static_cast<long>(modHandheld::LeadingNumber(entry[2]));
        cboSerialPorts->addItem(Q(entry[1]), QVariant::fromValue<long long>(number));
        if (number == lastUsed) match = cboSerialPorts->count() - 1;
    }
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
            Message(T("Can't find the stick reader on serial port") + " " + cboSerialPorts->currentText().toStdString() +
                        "." + CRLF + T("Please check that the stick reader is powered up") + ".",
                    Prompts::Information, T("Stick reader not found"));
            ShowFrame(0);
            cboSerialPorts->setFocus();
        }
    });
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    SetHourglass(false);
    cmdQuit->setEnabled(true);
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

void frmStickReader::DoConfiguration() {
    // The configuration editor is not built yet: the window stays on its step.
}

void frmStickReader::fsbVScroll_Change() { picInner->move(picInner->x(), -fsbVScroll->value()); }

// ---- Closing --------------------------------------------------------------------------------

void frmStickReader::cmdQuit_Click() { tmrUnload->start(); }
void frmStickReader::cmdImportExit_Click() { tmrUnload->start(); }
void frmStickReader::cmdConfigExit_Click() { tmrUnload->start(); }

void frmStickReader::tmrUnload_Timer() {
    tmrUnload->stop();
    // The window goes only once the job that asked for it has ended.
    if (jobs_.Running()) {
        tmrUnload->start();
        return;
    }
    Form_Unload();
}

void frmStickReader::closeEvent(QCloseEvent* event) {
    if (jobs_.RefuseClose(event)) return;
    event->accept();
    Form_Unload();
}

void frmStickReader::reject() {
    if (!jobs_.RefuseClose()) Form_Unload();
}

void frmStickReader::Form_Unload() {
    if (unloading_) return;
    unloading_ = true;
    tmrInitialise->stop();
    tmrUnload->stop();
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    SetHourglass(false);
    if (Loaded() == this) DefaultInstance<frmStickReader>::UnloadLater();
    done(QDialog::Rejected);
    if (modCommon::EditionCode == 0) modMainWindowServices::StartZOrderTimer();
}

void RegisterStickReaderWindow() {
    modMainWindowServices::RegisterStickReaderWindow(
        [](int HHAction, QWidget* owner) { frmStickReader::Open(HHAction, owner); });
}
