#include "devices/frmMobilePhone.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/MobilePhoneExport.h"
#include "devices/MobilePhoneImport.h"
#include "devices/modHandheld.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WaitPointer.h"

namespace {

const char* const kObject = "frmMobilePhone";
const char* const kPhoneSettings = "baud=19200 parity=N data=8 stop=1";
constexpr int kPhoneDevice = 3;  // the device index of the last port used
constexpr long kProbeTimeout = 5000, kCommandTimeout = 5000, kOpenTimeout = 30000;
constexpr int kPauseBeforeImport = 2000;
constexpr qint64 kPassingPaintMs = 30;  // a passing line is painted at most this often
constexpr int kFrameProgress[] = {-1, -1, 2, 3};

// Design places, in twips: every frame at left 75, top 0.
constexpr int kFrameLeft = 75, kFrameWidth = 9000, kFrameHeight = 5550;
constexpr int kButtonTop = 4950, kButtonHeight = 420;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QLabel* WrappingLabel(QLabel* label) {
    label->setWordWrap(true);
    return label;
}

long Count(const std::string& sql) {
    Recordset rs = modCommon::Database().OpenRecordset(sql);
    return rs.Rows() > 0 && !rs.At(0, 0).IsNull() ? static_cast<long>(rs.At(0, 0).ToLong()) : 0;
}

bool AnyRow(const std::string& sql) { return modCommon::Database().OpenRecordset(sql).Rows() > 0; }

}  // namespace

frmMobilePhone& frmMobilePhone::Instance() { return DefaultInstance<frmMobilePhone>::Get(); }

void frmMobilePhone::Open(int HHAction, QWidget* owner) {
    frmMobilePhone& window = Instance();
    window.SetHHAction(HHAction);
    window.ShowOver(owner);
}

frmMobilePhone::frmMobilePhone() { BuildControls(); }

frmMobilePhone::~frmMobilePhone() = default;

void frmMobilePhone::BuildControls() {
    setWindowTitle("Tarrovin");
    const char* const titles[] = {"Select Com Port", "Animal/Tag export selection", "Exporting...  ", "Importing...  "};
    for (size_t n = 0; n < fraSequence.size(); ++n) {
        fraSequence[n] = new QGroupBox(titles[n], this);
        DesignGeometry::Place(fraSequence[n], {kFrameLeft, 0, kFrameWidth, kFrameHeight});
        fraSequence[n]->setAutoFillBackground(true);
        fraSequence[n]->hide();
    }
    QGroupBox* ports = fraSequence[0];
    lblHelp[0] = WrappingLabel(HelpLabel(ports, {180, 360, 8640, 1800}));
    cboSerialPorts = new QComboBox(ports);
    DesignGeometry::Place(cboSerialPorts, {180, 2280, 2400, 390});
    cmdRefreshComportList = Button("Refresh COM Port List", ports, {2760, 2265, 2850, kButtonHeight});
    cmdQuit = Button("Quit", ports, {7470, kButtonTop, 1350, kButtonHeight});

    QGroupBox* choice = fraSequence[1];
    lblHelp[1] = WrappingLabel(HelpLabel(choice, {180, 330, 8640, 3060}));
    const char* const options[] = {
        "Export ALL animals && tags", "Export all animals && tags currently displayed in the grid",
        "Export only animals && tags that are selected in the grid", "Export with NO animals or tags"};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        // Qt shows a doubled "&" as one, as the option captions want.
        optExport[i] = new QRadioButton(options[i], choice);
        DesignGeometry::Place(optExport[i], {360, 3450 + 360 * i, 7200, 330});
        group->addButton(optExport[i], i);
        connect(optExport[i], &QRadioButton::clicked, this, [this, i] { optExport_Click(i); });
    }
    cmdExport = Button("Export", choice, {5970, kButtonTop, 1350, kButtonHeight});
    cmdQuit1 = Button("Quit", choice, {7470, kButtonTop, 1350, kButtonHeight});
    for (int n : {2, 3}) lblHelp[n] = WrappingLabel(HelpLabel(fraSequence[n], {180, 360, 8640, kFrameHeight - 480}));

    lblInitialSearch = new QLabel("Please wait - trying to contact your mobile phone...", this);
    DesignGeometry::Place(lblInitialSearch, {kFrameLeft, 2100, kFrameWidth, 450});
    lblInitialSearch->setAlignment(Qt::AlignCenter);
    rtfHidden = new QTextEdit(this);
    rtfHidden->hide();

    resize(DesignGeometry::Pixels(kFrameLeft * 2 + kFrameWidth), DesignGeometry::Pixels(kFrameHeight + 60));
    connect(tmrInitialise, &QTimer::timeout, this, [this] { tmrInitialise_Timer(); });
    connect(cboSerialPorts, &QComboBox::activated, this, [this] { cboSerialPorts_Click(); });
    connect(cmdRefreshComportList, &QPushButton::clicked, this, [this] { cmdRefreshComportList_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(cmdQuit1, &QPushButton::clicked, this, [this] { cmdQuit1_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
}

void frmMobilePhone::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        modCommon::SetFormIcon(this);
        MakeRoomForTexts({fraSequence.begin(), fraSequence.end()},
                         {{cboSerialPorts, cmdRefreshComportList}, {cmdExport, cmdQuit1}});
        tmrInitialise->start();
    });
}

// ---- Frames and help ----------------------------------------------------------------------

void frmMobilePhone::ShowFrame(long n) {
    lblInitialSearch->hide();
    for (long i = 0; i < static_cast<long>(fraSequence.size()); ++i) fraSequence[i]->setVisible(i == n);
    if (n == 1) ExportChoicesFound();
    DisplayHelp(n);
}

// The choices within the phone's capacity, none ticked; Export waits for one.
void frmMobilePhone::ExportChoicesFound() {
    using namespace modMainWindowServices;
    const long grid = GridAnimalsAndTags(), selected = SelectedAnimalsAndTags();
    optExport[0]->setEnabled(Count("SELECT Count(AnimalID) FROM Animals WHERE Species=" +
                                   std::to_string(modCommon::Species)) <= PhoneCapacity);
    optExport[1]->setEnabled(grid > 0 && grid < PhoneCapacity + 1);
    optExport[2]->setEnabled(selected > 0 && selected < PhoneCapacity + 1);
    optExport[3]->setEnabled(true);
    optExport[0]->group()->setExclusive(false);
    for (QRadioButton* option : optExport) option->setChecked(false);
    optExport[0]->group()->setExclusive(true);
    cmdExport->setEnabled(false);
    ExportOptionsShown_ = true;
}

void frmMobilePhone::DisplayHelp(long n) {
    std::string text;
    auto line = [&](const std::string& more) { text += (text.empty() ? "" : CRLF) + more; };
    switch (n) {
        case 0:
            text = "Please ensure you have done the following:" + CRLF + "     1. Turned on your mobile phone." + CRLF +
                   "     2. Run its Tarrovin application." + CRLF +
                   "     3. Selected the Bluetooth Transfer option in that application." + CRLF +
                   "     4. Clicked the 'Refresh COM Port' button." + CRLF +
                   "Then select the COM port to which it is connected from the list below.";
            break;
        case 1: {
            const long grid = modMainWindowServices::GridAnimalsAndTags();
            const long selected = modMainWindowServices::SelectedAnimalsAndTags();
            int unavailable = 0;
            if (!optExport[0]->isEnabled()) {
                ++unavailable;
                line("Your mobile phone cannot handle more than " + std::to_string(PhoneCapacity) +
                     " animals and tags so you cannot export ALL your animals/tags to your mobile phone.");
            }
            if (!optExport[1]->isEnabled()) {
                ++unavailable;
                line("The option to export the currently DISPLAYED animals/tags is not available as there are " +
                     std::string(grid == 0 ? "no" : "too many") + " animals/tags displayed in the grid.");
            }
            if (!optExport[2]->isEnabled()) {
                ++unavailable;
                line("The option to export the currently SELECTED animals/tags is not available as there are " +
                     std::string(selected == 0 ? "no" : "too many") + " selected animals/tags displayed in the grid.");
            }
            if (unavailable == 3) {
                optExport[3]->setChecked(true);
                optExport_Click(3);
                line(
                    "If you want to export any of your exisiting animals/tags then you will need to click the 'Quit' "
                    "button and use the grid to set up the animals/tags to export.");
                line(
                    "Your only export option has been selected. Click 'Export' to proceed with the export or 'Quit' to "
                    "cancel exporting.");
            } else {
                line("Please select the type of export from the choices below then click the 'Export' button.");
            }
            line("");
            line(
                "WARNING - Exporting your data will delete any existing data on your mobile phone.  "
                "If you have data on your mobile phone that has not yet been imported please click the "
                "'Quit' button now and import the data before you carry out the export.");
            break;
        }
        case 2: text = "Preparing to save data to your mobile phone..." + CRLF; break;
        case 3: text = "Preparing to get data from your mobile phone..." + CRLF; break;
        default: return;
    }
    lblHelp[static_cast<size_t>(n)]->setText(Q(text));
}

void frmMobilePhone::optExport_Click(int Index) {
    if (!ExportOptionsShown_) return;
    cmdExport->setEnabled(true);
    ExportChoice_ = Index;
}

// ---- Progress -----------------------------------------------------------------------------

void frmMobilePhone::StartProgress(long frame, const std::string& text) {
    progress_ = lblHelp[static_cast<size_t>(kFrameProgress[frame])];
    progress_->setText(Q(text));
    baseLength_ = static_cast<int>(progress_->text().size());
    Repaint();
}

void frmMobilePhone::AppendProgress(const std::string& line) {
    if (!progress_) return;
    progress_->setText(progress_->text().left(baseLength_) + Q(CRLF + line));
    baseLength_ = static_cast<int>(progress_->text().size());
    Repaint();
}

// The item being worked on: painted at once unless the last one was painted a moment ago, so a
// quick run of items costs the keeper nothing he could have read. The text is always the
// current item's: a phone that keeps the program waiting shows it with the next paint.
void frmMobilePhone::PassingLine(const std::string& line) {
    if (!progress_) return;
    progress_->setText(progress_->text().left(baseLength_) + Q(CRLF + line));
    if (QDateTime::currentMSecsSinceEpoch() - lastPaint_ >= kPassingPaintMs) Repaint();
}

void frmMobilePhone::Repaint() {
    lastPaint_ = QDateTime::currentMSecsSinceEpoch();
    if (progress_->isVisible()) progress_->repaint();
}

// ---- Start-up and the port list -----------------------------------------------------------

void frmMobilePhone::tmrInitialise_Timer() {
    tmrInitialise->stop();
    QCoreApplication::processEvents();
    Trap("tmrInitialise_Timer", kObject, [&] {
        if (Action_ != modMainWindowServices::MobilePhoneExport && Action_ != modMainWindowServices::MobilePhoneImport)
            return;
        cmdQuit->setEnabled(false);
        GetComportList();
        if (unloading_) return;
        if (cboSerialPorts->count() == 0) {
            Prompts::MsgBox("No serial ports were detected on your computer. Access to your mobile phone" + CRLF +
                                "is not possible without a working serial port.",
                            Prompts::Exclamation, "No serial ports found");
            Form_Unload();
            return;
        }
        if (!PhoneFound_) ShowFrame(0);
        cboSerialPorts->setEnabled(true);
    });
    cmdQuit->setEnabled(true);
}

void frmMobilePhone::GetComportList() {
    if (jobs_.Running()) return;
    int match = -1;
    {
        WaitPointer pointer;
        cboSerialPorts->clear();
        QCoreApplication::processEvents();
        match = FillPortList(cboSerialPorts, kPhoneDevice);
        cboSerialPorts->setCurrentIndex(match);
    }
    // The remembered port is probed at once, as if the keeper had chosen it.
    if (match >= 0) cboSerialPorts_Click();
}

void frmMobilePhone::cmdRefreshComportList_Click() { GetComportList(); }

long frmMobilePhone::SelectedPort() const {
    const int index = cboSerialPorts->currentIndex();
    return index < 0 ? 0 : static_cast<long>(cboSerialPorts->itemData(index).toLongLong());
}

bool frmMobilePhone::OpenSelectedPort(long readTimeoutMs) {
    ComPort.CommOpen(SelectedPort(), kPhoneSettings, readTimeoutMs, true);
    return ComPort.IsOpen();
}

// ---- The command exchange -----------------------------------------------------------------

bool frmMobilePhone::SendPhoneCommand(const std::string& command, const std::string& replyPattern, long timeoutMs) {
    bool opened = false;
    bool result = false;
    try {
        if (ComPort.IsOpen()) {
            if (ComPort.GetReadTimeout() != timeoutMs) ComPort.SetReadTimeout(timeoutMs);
        } else {
            opened = OpenSelectedPort(timeoutMs);
        }
        if (!ComPort.IsOpen()) return false;
        ReplyPayload_.clear();
        const std::string reply = ComPort.CommSendCommandAndGetReply(command + modHandheld::CR, replyPattern, false);
        const size_t open = reply.rfind('(');
        if (reply.size() >= 3 && reply[reply.size() - 3] == 'S' && open != std::string::npos) {
            ReplyPayload_ = reply.substr(0, open);
            result = true;
        }
    } catch (...) {
        // The exchange reports any failure inside it as no answer.
        ReplyPayload_.clear();
        result = false;
    }
    if (opened && ComPort.IsOpen()) ComPort.CommClose(0);
    return result;
}

// ---- The probe ----------------------------------------------------------------------------

void frmMobilePhone::cboSerialPorts_Click() {
    if (jobs_.Running() || unloading_ || cboSerialPorts->currentIndex() < 0) return;
    JobGuard::Job job(jobs_);
    Trap("cboSerialPorts_Click", kObject, [&] {
        cmdQuit->setEnabled(false);
        {
            WaitPointer pointer;
            QCoreApplication::processEvents();
            if (ComPort.IsOpen()) ComPort.CommClose(0);
        }
        QCoreApplication::processEvents();
        if (!SendPhoneCommand("v", modHandheld::ReplyPattern("v"), kProbeTimeout)) {
            Prompts::MsgBox("Can't find your mobile phone on serial port " +
                                cboSerialPorts->currentText().toStdString() + "." + CRLF +
                                "Please check that your mobile phone is powered on." + ComPort.OpenRefusalLine(),
                            Prompts::Information, "Mobile not found");
            ShowFrame(0);
            QCoreApplication::processEvents();
            cboSerialPorts->setFocus();
            return;
        }
        modCommon::SetLastUsedComPort(kPhoneDevice, static_cast<int>(SelectedPort()));
        PhoneFound_ = true;
        cboSerialPorts->hide();
        if (Action_ != modMainWindowServices::MobilePhoneExport) {
            DoImport();
            tmrUnload->start();
            return;
        }
        const std::string species = std::to_string(modCommon::Species);
        if (AnyRow("SELECT * FROM Breeds WHERE Species=" + species) &&
            AnyRow("SELECT * FROM Genders WHERE Species=" + species)) {
            ShowFrame(1);
            return;
        }
        Prompts::MsgBox("You cannot export data until you have defined at least one breed and at least one gender.",
                        Prompts::OKOnly, "No Breeds or Genders");
        tmrUnload->start();
    });
    cmdQuit->setEnabled(true);
}

// ---- The import ---------------------------------------------------------------------------

// Whatever the end, the port is closed and the keeper is told.
bool frmMobilePhone::DoImport() {
    JobGuard::Job job(jobs_);
    ShowFrame(3);
    bool result = false;
    Trap("DoImport", kObject, [&] {
        result = ImportSteps();
        if (modCommon::EditionCode == modCommon::FullEdition) modMainWindowServices::UpdateAfterImport();
    });
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    AppendProgress(result ? "Your data import has completed successfully." : "Your data import has failed.");
    if (result) Prompts::MsgBox("Data import successful", Prompts::OKOnly, "Data Import Successful");
    else Prompts::MsgBox("Data import failed", Prompts::OKOnly, "Data Import Failed");
    return result;
}

// The three payloads, each filed as it comes, all in one transaction that is committed only
// once the last is filed; then done, which tells the phone its records are in the register.
// A done that fails leaves the register as committed: the phone sends the same records again
// next time, and they find the same animals and add nothing that is there already.
bool frmMobilePhone::ImportSteps() {
    struct Phase {
        const char* word;
        const char* getting;
        const char* none;
        const char* integrating;
        void (MobilePhoneImport::*file)(const std::string&);
    };
    static const Phase phases[] = {
        {"getanim", nullptr, "No new or changed animal details.", "Integrating new and changed animal details...",
         &MobilePhoneImport::Animals},
        {"getmangrp", "Getting management group details from your phone...",
         "No new or changed management group details.", "Integrating new and changed management group details...",
         &MobilePhoneImport::Groups},
        {"getcom", "Getting comments from your phone...", "No new or changed comments.",
         "Integrating new and changed comments...", &MobilePhoneImport::Comments}};
    MobilePhoneImport import(
        modCommon::Database().GetConnection(), [this](const std::string& line) { PassingLine(line); },
        {[] { return modCommon::GetSingleAnimalID(); }, [](int id) { modCommon::SetSingleAnimalID(id); }});
    StartProgress(3, "Starting import..." + CRLF + "Getting new/changed animal details from your phone...");
    Pause(kPauseBeforeImport);
    if (!OpenSelectedPort(kOpenTimeout)) return false;
    for (const Phase& phase : phases) {
        if (phase.getting) AppendProgress(phase.getting);
        if (!SendPhoneCommand(phase.word, modHandheld::ReplyPattern(phase.word), kCommandTimeout)) return false;
        if (phase.file == &MobilePhoneImport::Animals) import.Begin();
        if (ReplyPayload_.empty()) {
            AppendProgress(phase.none);
            continue;
        }
        AppendProgress(phase.integrating);
        (import.*phase.file)(ReplyPayload_);
    }
    import.Commit();
    return SendPhoneCommand("done", modHandheld::ReplyPattern("done"), kCommandTimeout);
}

// ---- The export ---------------------------------------------------------------------------

bool frmMobilePhone::DoExport() {
    JobGuard::Job job(jobs_);
    ShowFrame(2);
    bool result = false;
    bool started = false;
    Trap("DoExport", kObject, [&] {
        if (!OpenSelectedPort(kOpenTimeout)) return;
        started = true;
        MobilePhoneExport::Link link;
        link.Send = [this](const std::string& word, const std::string& record, long timeoutMs) {
            return SendPhoneCommand(record.empty() ? word : word + " " + record, modHandheld::ReplyPattern(word),
                                    timeoutMs);
        };
        link.Start = [this](const std::string& text) { StartProgress(2, text); };
        link.Phase = [this](const std::string& line) { AppendProgress(line); };
        link.Passing = [this](const std::string& line) { PassingLine(line); };
        MobilePhoneExport exporter(modCommon::Database().GetConnection(), modCommon::Species, link);
        if (exporter.SendPickLists() && exporter.ClearStores() && exporter.SendRows(ExportChoice_) && ComPort.IsOpen())
            result = SendPhoneCommand("done", modHandheld::ReplyPattern("done"), kCommandTimeout);
    });
    // Nothing more goes to the phone after a failure: it keeps what it cleared and received.
    // The export is complete only once the phone has confirmed done.
    if (started) AppendProgress(result ? "Export completed" : "Export failed");
    if (ComPort.IsOpen()) ComPort.CommClose(0);
    return result;
}

void frmMobilePhone::cmdExport_Click() {
    if (jobs_.Running()) return;
    Trap("cmdExport_Click", kObject, [&] {
        cmdExport->setEnabled(false);
        cmdQuit1->setEnabled(false);
        if (DoExport())
            Prompts::MsgBox("The data export to your mobile phone completed OK.", Prompts::OKCancel,
                            "Export Successful");
        else
            Prompts::MsgBox("The data export to your mobile phone failed to complete correctly.",
                            Prompts::OKCancel | Prompts::Exclamation, "Export Failed");
    });
    tmrUnload->start();
}

// ---- Closing ------------------------------------------------------------------------------

void frmMobilePhone::cmdQuit_Click() {
    if (!jobs_.Running()) Form_Unload();
}

void frmMobilePhone::cmdQuit1_Click() { tmrUnload->start(); }

void frmMobilePhone::Form_Unload() {
    if (!StartUnload(ComPort)) return;
    if (Loaded() == this) DefaultInstance<frmMobilePhone>::UnloadLater();
    FinishUnload();
}

void RegisterMobilePhoneWindow() {
    modMainWindowServices::RegisterMobilePhoneWindow(
        [](int HHAction, QWidget* owner) { frmMobilePhone::Open(HHAction, owner); });
}
