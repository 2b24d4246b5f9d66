#include "sticktool/frmSimple.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

#include "core/Trap.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/clsKRComm.h"
#include "devices/frmStickReader.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "platform/DateTime.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "platform/Value.h"
#include "sticktool/EartagFileTransfer.h"
#include "sticktool/frmTags.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WaitPointer.h"
#include "widgets/WindowRules.h"
#include "widgets/WrappingButton.h"

namespace {

using DesignGeometry::Pixels;

const char* const kObject = "frmSimple";
constexpr int kStickDevice = 2;      // the stick's entry of the last ports used
constexpr int kTagFileFirmware = 8;  // the first firmware that keeps an eartag list
constexpr int kAustralianEnglish = 3081;

constexpr int kAustralianPortFrameHeight = 1245;  // twips: the baud rate row shows too

const char* const kBaudRates[] = {"110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
                                  "14400", "19200", "38400", "57600", "115200", "128000", "256000"};
constexpr int kDefaultBaudRate = 8;  // 19200

using modCommon::Translate;

std::string SearchingText() { return Translate("Please wait - searching for your stick reader") + "..."; }

std::string PickPortText() {
    return Translate(
               "If you have not yet enabled the Bluetooth connection from your stick reader\r\n"
               "to your PC please do so now and turn the stick reader on. Then select the COM port\r\n"
               "to which it is connected from the list alongside. If the COM port is not showing in the list\r\n"
               "please click the Refresh COM Port List button") +
           ".";
}

// A button's or a frame's caption replaced by its translation.
void TranslateText(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(QString::fromStdString(Translate(button->text().toStdString())));
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(QString::fromStdString(Translate(frame->title().toStdString())));
}

using WindowRules::MakeNoDefault;

// The action buttons, off for the length of a read and all on again however it ends; the help
// line goes with them.
struct ActionButtonsOff {
    frmSimple& window;
    explicit ActionButtonsOff(frmSimple& off) : window(off) {
        for (QPushButton* button : window.cmdStickAction) button->setEnabled(false);
    }
    ~ActionButtonsOff() {
        for (QPushButton* button : window.cmdStickAction) button->setEnabled(true);
        window.lblHelp->clear();
        window.lblHelp->hide();
    }
};

}  // namespace

frmSimple& frmSimple::Instance() { return DefaultInstance<frmSimple>::Get(); }

QString frmSimple::DesignCaption() {
    const std::string name = modCommon::EditionCode == modCommon::EngineeringEdition ? "Stick reader (engineering)"
                                                                                     : Program::ExecutableName();
    return QString::fromStdString(name + " v" + modCommon::ProgramVersion() + " (c) 2009-" +
                                  std::to_string(DateTime::Today().year) + " the Kelvo makers");
}

// Tab visits the controls in the order they are made: the window's own, then the engineering
// frame's tools.
frmSimple::frmSimple() {
    CreateControls();
    fraTolvane->CreateControls();
    ReachFrameControls();
    LayOut();
    ConnectHandlers();
    Form_Load();
}

frmSimple::~frmSimple() = default;

// ---- Controls as designed -------------------------------------------------------------------

void frmSimple::CreateControls() {
    const char* captions[] = {
        "Read Tags from Stick",     "Erase Tags from Stick", "Configure Stick", "Exit",
        "Show Tag Read Options",    "Show Tag File Options", "Set up Tag File", "Send Tag File to Stick",
        "Erase Tag File from Stick"};
    fraTagFileOptions = new QGroupBox("Tag File Options", this);
    for (int i = 0; i <= 8; ++i) {
        QWidget* parent = i >= 6 ? static_cast<QWidget*>(fraTagFileOptions) : this;
        // A translated caption may be longer than the English one the size was made for.
        cmdStickAction[i] = new WrappingButton(captions[i], parent);
    }
    fraTolvane = new EngineeringFrame(this);
    for (int i = 9; i <= 12; ++i) cmdStickAction[i] = fraTolvane->actions[i - 9];
    for (int i : {0, 1, 2, 7, 8}) cmdStickAction[i]->setEnabled(false);
    cmdStickAction[5]->hide();

    fraComPortSelection = new QGroupBox(this);
    cboSerialPorts = new QComboBox(fraComPortSelection);
    cmdRefreshComportList = new QPushButton("Refresh COM Port List", fraComPortSelection);
    MakeNoDefault(cmdRefreshComportList);
    baudRateLabel = new QLabel("Change Baud Rate", fraComPortSelection);
    cboBaudRate = new QComboBox(fraComPortSelection);
    for (const char* rate : kBaudRates) cboBaudRate->addItem(rate);

    fraTagReadOptions = new TagReadOptionsFrame(this);
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

// The frames' controls under the names the window has always given them.
void frmSimple::ReachFrameControls() {
    TagReadOptionsFrame& options = *fraTagReadOptions;
    fraWhenReading = options.fraWhenReading;
    ckbSortTags = options.ckbSortTags;
    ckbIncludeGroupLabels = options.ckbIncludeGroupLabels;
    ckbIncludeTimeScanned = options.ckbIncludeTimeScanned;
    ckbSeparateGroups = options.ckbSeparateGroups;
    fraTagsToSave = options.fraTagsToSave;
    optTagsToSave = options.optTagsToSave;
    fraDisplayApp = options.fraDisplayApp;
    optDisplayApplication = options.optDisplayApplication;
    EngineeringFrame& frame = *fraTolvane;
    rtbText = frame.rtbText;
    configFilesLabel = frame.configFilesLabel;
    cboConfigFiles = frame.cboConfigFiles;
    optBattery = frame.optBattery;
    optAgricultural = frame.optAgricultural;
    ckbAllowMemory = frame.ckbAllowMemory;
    serialNumberLabel = frame.serialNumberLabel;
    txbSerialNumber = frame.txbSerialNumber;
    rtcValueLabel = frame.rtcValueLabel;
    txbRTCValue = frame.txbRTCValue;
    lstConfiguration = frame.lstConfiguration;
    pageNumberLabel = frame.pageNumberLabel;
    txbPageNumber = frame.txbPageNumber;
    writePatternLabel = frame.writePatternLabel;
    txbWritePattern = frame.txbWritePattern;
    lblStickPageCount = frame.lblStickPageCount;
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
    Place(baudRateLabel, {120, 900, 1440, 300});
    Place(cboBaudRate, {1560, 870, 960, 330});

    Place(fraTagReadOptions, {150, 2430, 9600, 2250});
    fraTagReadOptions->LayOut();
    Place(fraTagFileOptions, {9840, 2430, 2640, 1890});
    for (int i = 6; i <= 8; ++i) Place(cmdStickAction[i], {120, 330 + 510 * (i - 6), 2400, 450});

    Place(fraTolvane, {150, 4830, 12330, 4650});
    fraTolvane->LayOut();
}

// Once the captions are in the keeper's language: every control grows to its text, those
// beyond make way, and the window widens with them.
void frmSimple::MakeRoomForTexts() {
    using namespace DesignGeometry;
    for (QWidget* control : findChildren<QWidget*>()) GrowToText(control);
    StackColumns({{baudRateLabel}, {cboBaudRate}}, 0);
    HoldChildren(fraComPortSelection, 120, true);
    StackRows({{cmdStickAction[6]}, {cmdStickAction[7]}, {cmdStickAction[8]}}, 60);
    HoldChildren(fraTagFileOptions, 120);
    fraTagReadOptions->MakeRoomForTexts();
    fraTolvane->MakeRoomForTexts();
    StackColumns({{lblHelp, fraTagReadOptions}, {fraComPortSelection, fraTagFileOptions}}, 90);
    StackRows({{cmdStickAction[0], cmdStickAction[1], cmdStickAction[2], cmdStickAction[3]},
               {cmdStickAction[4], cmdStickAction[5]},
               {lblHelp, fraComPortSelection},
               {fraTagReadOptions, fraTagFileOptions},
               {fraTolvane}},
              90);
    width_ = ControlsWidth();
    SetClientHeight(fraTolvane, fraTolvane->height() + Pixels(120));
}

// The engineering frame counts only where it shows.
int frmSimple::ControlsWidth() {
    int width = Pixels(12600);
    for (QWidget* control : DesignGeometry::Page(this)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!control->isWindow() && (control != fraTolvane || modCommon::EditionCode == modCommon::EngineeringEdition))
            width = std::max(width, control->x() + control->width() + Pixels(120));
    return width;
}

// The engineering window has its console as wide as a row of a page dump where its screen
// has room for that; on a narrower screen the console gives way and scrolls sideways, so that
// the window stays on the screen.
void frmSimple::showEvent(QShowEvent* event) {
    if (modCommon::EditionCode == modCommon::EngineeringEdition) {
        const int room = DesignGeometry::Room(this).width();
        fraTolvane->NarrowConsole(0);
        if (room > 0) fraTolvane->NarrowConsole(ControlsWidth() - room);
        width_ = ControlsWidth();
        if (const QWidget* page = DesignGeometry::Page(this); width_ != page->width())
            SetClientHeight(heightFrom_, heightBelow_);
    }
    QWidget::showEvent(event);
}

void frmSimple::ConnectHandlers() {
    for (int i = 0; i < 13; ++i)
        connect(cmdStickAction[i], &QPushButton::clicked, this, [this, i] { cmdStickAction_Click(i); });
    connect(cmdRefreshComportList, &QPushButton::clicked, this, [this] { GetComportList(); });
    connect(cboSerialPorts, &QComboBox::activated, this, [this] { cboSerialPorts_Click(); });
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
    stick_ = std::make_unique<StickConnection>([this] { return ChosenPort(); });
    cboBaudRate->setCurrentIndex(kDefaultBaudRate);
    fraTagReadOptions->Load();
    if (modCommon::EditionCode == modCommon::EngineeringEdition) {
        fraTolvane->show();
        SetClientHeight(fraTolvane, fraTolvane->height() + Pixels(120));
        fraTolvane->ListConfigurationFiles();
    }
    fraTagReadOptions->SelectStoredOptions();
    CloseUpRows();
    for (const DesignGeometry::Row& row : Rows())
        for (QWidget* control : row.controls) control->installEventFilter(this);
    tmrInitialise->start();
}

void frmSimple::TranslateCaptions() {
    TranslateText(cmdRefreshComportList);
    for (QPushButton* button : cmdStickAction) TranslateText(button);
    for (QWidget* control : std::initializer_list<QWidget*>{
             fraTagReadOptions, fraWhenReading, ckbSortTags, ckbIncludeGroupLabels, ckbIncludeTimeScanned,
             ckbSeparateGroups, fraTagsToSave, optTagsToSave[0], optTagsToSave[1], fraDisplayApp,
             optDisplayApplication[0], optDisplayApplication[1], optDisplayApplication[2], fraTagFileOptions})
        TranslateText(control);
}

// The normal program cuts the window off above the engineering frame; the partner's has no
// tag reading, so its window ends below the buttons.
void frmSimple::LayOutForMode() {
    if (modCommon::OxbrelMode != 1) {
        SetClientHeight(fraTolvane, -Pixels(30));
        return;
    }
    for (int i : {0, 1, 4}) cmdStickAction[i]->hide();
    cmdStickAction[2]->move(cmdStickAction[0]->x(), cmdStickAction[2]->y());
    cmdStickAction[2]->show();
    SetClientHeight(fraTagReadOptions, Pixels(30));
}

// The client area ends `below` the top of a control, and goes on doing so as the rows close
// up. Where the screen has no room for the window, its controls stand on a page that scrolls
// inside it: the page takes the size.
void frmSimple::SetClientHeight(const QWidget* from, int below) {
    heightFrom_ = from;
    heightBelow_ = below;
    QWidget* page = DesignGeometry::Page(this);
    if (page == this) return setFixedSize(width_, from->y() + below);
    page->resize(width_, from->y() + below);
    DesignGeometry::KeepOnScreenOnce(this);
}

// The help line and the port frame take room only while one of them shows, and in the
// engineering window the option frames only while one of them shows, so that the window's
// controls stand together.
std::vector<DesignGeometry::Row> frmSimple::Rows() const {
    const bool keepOptions = modCommon::EditionCode != modCommon::EngineeringEdition || modCommon::OxbrelMode == 1;
    using DesignGeometry::Group;
    return {{Group(cmdStickAction.begin(), cmdStickAction.begin() + 6)},
            {{lblHelp, fraComPortSelection}},
            {{fraTagReadOptions, fraTagFileOptions}, keepOptions},
            {{fraTolvane}, true}};
}

void frmSimple::CloseUpRows() {
    DesignGeometry::CloseUpRows(Rows(), 90);
    SetClientHeight(heightFrom_, heightBelow_);
}

bool frmSimple::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) CloseUpRows();
    return QWidget::eventFilter(watched, event);
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

// The data of the port list's selected entry, at the selected baud rate.
StickConnection::Port frmSimple::ChosenPort() const {
    return {cboSerialPorts->currentData().toLongLong(),
            "baud=" + cboBaudRate->currentText().toStdString() + " parity=N data=8 stop=1"};
}

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
        stick_->Open();
        if (!IdentifyStick()) {
            NotFoundEnding();
            return;
        }
        modCommon::SetLastUsedComPort(kStickDevice, static_cast<int>(stick_->Comm().CommPort()));
        if (!CheckStickType()) {
            wrongStick = true;
            return;
        }
        LayOutForStick(stick_->FirmwareVersionOf());
        bool ok = stick_->SetClock();
        ShowComPortSelection(false);
        lblHelp->hide();
        if (modCommon::EditionCode == modCommon::EngineeringEdition) ok = ReadMemorySize();
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

bool frmSimple::IdentifyStick() {
    if (stick_->Identify()) return true;
    Prompts::MsgBox(Translate("Can't find the stick reader on serial port") + " " +
                        cboSerialPorts->currentText().toStdString() + "." + CRLF +
                        Translate("Please check that the stick reader is powered up") + "." +
                        stick_->Comm().OpenRefusalLine(),
                    Prompts::Information, Translate("Stick reader not found"));
    stick_->Close();
    ShowComPortSelection(true);
    return false;
}

// The stick's configuration must come and name the stick type this program is for: a normal
// stick for the normal program, the partner's for the partner's.
bool frmSimple::CheckStickType() {
    const StickConnection::StickType type = stick_->ReadStickType(modCommon::OxbrelMode);
    if (type.configured && modStickReader::TagLookupEnabled()) cmdStickAction[5]->show();
    return type.suits;
}

void frmSimple::LayOutForStick(long firmwareVersion) {
    QPushButton* const tagFileButton = cmdStickAction[5];
    if (modCommon::OxbrelMode == 1) {
        for (int i : {0, 1, 4}) cmdStickAction[i]->hide();
        cmdStickAction[2]->move(cmdStickAction[0]->x(), cmdStickAction[2]->y());
        SetClientHeight(fraTagReadOptions, Pixels(30));
    } else {
        cmdStickAction[0]->show();
        cmdStickAction[1]->show();
        const int left1 = cmdStickAction[1]->x(), left3 = cmdStickAction[3]->x();
        cmdStickAction[2]->move(left1 + (left3 - left1) / 2, cmdStickAction[2]->y());
        cmdStickAction[4]->show();
        if (!tagFileButton->isHidden()) {
            tagFileButton->setVisible(firmwareVersion >= kTagFileFirmware);
            ShowTagFileOptions(!tagFileButton->isHidden());
        }
        if (modCommon::EditionCode != modCommon::EngineeringEdition)
            SetClientHeight(fraTagReadOptions, fraTagReadOptions->height() + Pixels(30));
    }
    if (!tagFileButton->isHidden()) {
        tagFileButton->setVisible(modStickReader::TagLookupEnabled());
        ShowTagFileOptions(!tagFileButton->isHidden());
    }
}

bool frmSimple::ReadMemorySize() {
    const std::optional<long> pages = stick_->ReadMemorySize();
    if (!pages)
        Prompts::MsgBox("Failed to get memory size from the stick.", Prompts::OKOnly, "Memory Size NOT Received");
    fraTolvane->ShowMemorySize(pages);
    if (!pages) cmdStickAction[3]->setFocus();
    return pages.has_value();
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
    stick_->Close();
    setEnabled(true);
    if (cmdStickAction[0]->isEnabled() && modCommon::OxbrelMode != 1 &&
        modCommon::EditionCode != modCommon::EngineeringEdition)
        cmdStickAction[0]->setFocus();
}

void frmSimple::tmrStickTypeMismatch_Timer() {
    tmrStickTypeMismatch->stop();
    Trap("tmrStickTypeMismatch_Timer", kObject, [&] {
        stick_->Close();
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
            if (window.stick_) window.stick_->Close(0);
            window.setEnabled(true);
        }
    } end{*this};
    Trap("cmdStickAction_Click", kObject, [&] {
        switch (Index) {
            case 1: EraseTagsFromStick(); break;
            case 2: ConfigureStick(); break;
            case 4:
                ShowOptionFrame(fraTagReadOptions, cmdStickAction[4], fraTagReadOptions->isHidden(),
                                "Show Tag Read Options", "Hide Tag Read Options");
                break;
            case 5: ShowTagFileOptions(fraTagFileOptions->isHidden()); break;
            case 6: frmTags::ShowModal(this); break;
            case 0: {
                ActionButtonsOff buttons(*this);
                fraTagReadOptions->ReadTags(*stick_, [this](const std::string& text) { ShowHelp(text); });
                break;
            }
            case 7: SendTagFileToStick(); break;
            case 8: EraseTagFileFromStick(); break;
            case 9: fraTolvane->RunAcceptanceTest(*stick_); break;
            case 10: fraTolvane->ReadPage(*stick_); break;
            case 11: fraTolvane->WritePage(*stick_); break;
            case 12: fraTolvane->ErasePage(*stick_); break;
            default: break;
        }
    });
}

void frmSimple::EraseTagsFromStick() {
    if (Prompts::MsgBox(Translate("This will erase all animal data stored on the stick. Are you sure?"),
                        Prompts::YesNo + Prompts::Question + Prompts::DefaultButton2,
                        Translate("Erase Tag Data")) != Prompts::Yes)
        return;
    WaitPointer pointer;
    setEnabled(false);
    SendStickCommand("e", modHandheld::ReplyPattern("e"), StickConnection::EraseTimeout);
    if (StickReplyOK(LastReply()))
        Prompts::MsgBox(Translate("Animal data erased") + ".", Prompts::OKOnly, Translate("Animal Data Erased"));
    else
        Prompts::MsgBox(Translate("The animal data on the stick was not successfully erased") + ".", Prompts::OKOnly,
                        Translate("Animal Data NOT Erased"));
}

// The stick reader window edits the configuration of the stick on this window's port, which it
// opens itself.
void frmSimple::ConfigureStick() {
    stick_->Close(0);
    frmStickReader& reader = frmStickReader::Instance();
    reader.setParent(this, reader.windowFlags() | Qt::Dialog);
    reader.SetPort(stick_->Comm().CommPort());
    reader.SetHHAction(modMainWindowServices::StickReaderConfiguration);
    reader.exec();
}

// An option frame and the caption of its button, which says what the next click does.
void frmSimple::ShowOptionFrame(QGroupBox* frame, QPushButton* button, bool shown, const char* show, const char* hide) {
    frame->setVisible(shown);
    button->setText(QString::fromStdString(Translate(shown ? hide : show)));
}

void frmSimple::ShowTagFileOptions(bool shown) {
    ShowOptionFrame(fraTagFileOptions, cmdStickAction[5], shown, "Show Tag File Options", "Hide Tag File Options");
}

void frmSimple::ShowHelp(const std::string& text) {
    lblHelp->setText(QString::fromStdString(text));
    lblHelp->show();
    lblHelp->repaint();
}

void frmSimple::SendTagFileToStick() {
    setEnabled(false);
    WaitPointer pointer;
    EartagFileTransfer(*stick_).Send();
}

void frmSimple::EraseTagFileFromStick() {
    setEnabled(false);
    WaitPointer pointer;
    EartagFileTransfer(*stick_).Erase();
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
    stick_.reset();
    mismatchPointer_.reset();
}
