// The main window's frame: its controls and their places, loading, resizing, the tabs, the
// progress frame, the device windows' way back, and unloading.
#include "register/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <array>

#include "core/Trap.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "register/DetailPane.h"
#include "register/NotesPane.h"
#include "register/PedigreePane.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TabControl.h"
#include "widgets/WrappingButton.h"

namespace {

const char* const kObject = "frmMain";

// Design places, in twips.
constexpr int kGridLeft = 1665;
constexpr int kPanelGap = 30;  // between the controls left of the grid, one under the other
constexpr int kTabLeft = 75;
constexpr int kTabWidth = 11730, kTabHeight = 5355;
constexpr int kTabRowHeight = 500;
constexpr int kFrameLeft = 75;
constexpr int kFrameHeight = 4755;
constexpr int kFrameBottom = kTabHeight - kTabRowHeight - 30 - kFrameHeight;  // below the frames
constexpr int kHelpLeft = 2850;
// The date-change frames' buttons: the first's top, the gap between them, below the last.
constexpr int kDateButtonTop = 240, kDateButtonGap = 180, kDateButtonBottom = 75;
// A tag as long as the register holds them: the tag search box shows one whole.
const char* const kLongTag = "UK0123456 000000";

using DesignGeometry::Make;
using DesignGeometry::Pixels;
using DesignGeometry::Twips;

int Bottom(const QWidget* control) { return control->y() + control->height(); }

}  // namespace

frmMain& frmMain::Instance() {
    frmMain& window = DefaultInstance<frmMain>::Get();
    // Loading runs once the instance is the default one, so that whatever it calls finds it.
    if (!window.loaded_) {
        window.loaded_ = true;
        window.Form_Load();
    }
    return window;
}

frmMain::frmMain() : QMainWindow(nullptr) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmMain"));
    modCommon::SetFormIcon(this);
    // The twip layout is designed around an 8 point font.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);
    canvas = new QWidget(this);
    canvas->setObjectName(QStringLiteral("canvas"));
    setCentralWidget(canvas);
    BuildFrame();
    BuildMenu();
    BuildGrid();
    BuildLists();
    BuildPanes();
    BuildImportMenu();
    SetTabOrder();
    LayOutPanel();
    HoldPaneDesigns();
    RegisterWithCore();
    canvas->resize(Pixels(14400), Pixels(8565));
    resize(Pixels(14400), Pixels(8565) + menuBar()->sizeHint().height());
    canvas->installEventFilter(this);
    txbTagSearch->installEventFilter(this);
}

frmMain::~frmMain() { modMainWindowServices::RegisterMainWindow(nullptr); }

void frmMain::BuildFrame() {
    fraTagSearch = Make<QGroupBox>("fraTagSearch", {30, 0, 1575, 705}, QStringLiteral("Select by Tag"), canvas);
    txbTagSearch = Make<QLineEdit>("txbTagSearch", {60, 285, 1440, 300}, fraTagSearch);

    cmdSelectAll = Make<WrappingButton>("cmdSelectAll", {45, 735, 1560, 570},
                                        QStringLiteral("Select Everything in the Grid"), canvas);
    cmdDeSelectAll = Make<WrappingButton>("cmdDeSelectAll", {45, 1335, 1560, 570},
                                          QStringLiteral("Deselect Everything in the Grid"), canvas);

    fraDisplay = Make<QGroupBox>("fraDisplay", {45, 1935, 1500, 1095}, QStringLiteral("Show Animals"), canvas);
    // A style may draw the frame's top line lower than the design's caption: the options start
    // under it and the frame grows by as much, into the gap above the tabs.
    const int lower = std::max(0, Twips(fraDisplay->contentsRect().top()) - 225);
    fraDisplay->resize(fraDisplay->width(), Pixels(1095 + lower));
    const std::pair<QRadioButton**, const char*> options[] = {
        {&optCurrent, "Current"}, {&optGone, "Gone"}, {&optNoLocation, "No Location"}, {&optAllAnimals, "All"}};
    int top = 225 + lower;
    for (auto [option, caption] : options) {
        *option = new QRadioButton(QString::fromLatin1(caption), fraDisplay);
        DesignGeometry::Place(*option, {75, top, 1320, 200});
        top += 205;
    }
    optCurrent->setObjectName(QStringLiteral("optCurrent"));
    optGone->setObjectName(QStringLiteral("optGone"));
    optNoLocation->setObjectName(QStringLiteral("optNoLocation"));
    optAllAnimals->setObjectName(QStringLiteral("optAllAnimals"));
    optAllAnimals->setChecked(true);

    tabDetails = new TabControl(canvas);
    tabDetails->setObjectName(QStringLiteral("tabDetails"));
    tabDetails->SetTabHeight(Pixels(kTabRowHeight));
    DesignGeometry::Place(tabDetails, {kTabLeft, 3120, kTabWidth, kTabHeight});
    const std::pair<const char*, const char*> tabs[] = {
        {"Management Groups", "Management Groups"},
        {"Locations/Moves", "Locations"},
        {"Genders", "Genders"},
        {"Breeds", "Breeds"},
        {"Change DoBs", "Change Date of Birth for all Selected Animals in the Grid"},
        {"Change Tagging Date", "Change Tagging Date for all Selected Animals in the Grid"},
        {"Tag changes", "Tag Changes for Selected Animals"},
        {"Treatments", "Add, View or Delete Treatments for Selected Animals"},
        {"Movement History", "Movement History for Selected Animals"},
        {"Notes", "Notes (you can edit, delete or add to any notes for an animal in the window below)"},
        {"Parentage", "Pedigree"},
    };
    for (std::size_t i = 0; i < fraTab.size(); ++i) {
        tabDetails->AddTab(QString::fromLatin1(tabs[i].first));
        fraTab[i] = new QGroupBox(QString::fromLatin1(tabs[i].second), tabDetails);
        fraTab[i]->setObjectName(QStringLiteral("fraTab_%1").arg(i));
        DesignGeometry::Place(fraTab[i], {kFrameLeft, kTabRowHeight + 30, kTabWidth - 2 * kFrameLeft, kFrameHeight});
        fraTab[i]->setVisible(i == 0);
    }
    connect(tabDetails, &TabControl::Click, this, [this](int previous) { tabDetails_Click(previous); });

    rtbHelp = new QTextEdit(fraTab[0]);
    rtbHelp->setObjectName(QStringLiteral("rtbHelp"));
    rtbHelp->setReadOnly(true);
    DesignGeometry::Place(rtbHelp, {kHelpLeft, 225, 6975, 4455});

    fraProgress = new QFrame(canvas);
    fraProgress->setObjectName(QStringLiteral("fraProgress"));
    fraProgress->setFrameShape(QFrame::Box);
    fraProgress->setAutoFillBackground(true);
    QPalette yellow = fraProgress->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 128));
    fraProgress->setPalette(yellow);
    DesignGeometry::Place(fraProgress, {6315, 1380, 6270, 600});
    lblProgress = Make<QLabel>("lblProgress", {90, 30, 6090, 240}, fraProgress);
    pbrProgress = new QProgressBar(fraProgress);
    pbrProgress->setObjectName(QStringLiteral("pbrProgress"));
    pbrProgress->setTextVisible(false);
    DesignGeometry::Place(pbrProgress, {90, 300, 6090, 240});
    fraProgress->hide();

    tmrZOrder = new QTimer(this);
    tmrZOrder->setObjectName(QStringLiteral("tmrZOrder"));
    tmrZOrder->setInterval(250);
    connect(tmrZOrder, &QTimer::timeout, this, [this] { tmrZOrder_Timer(); });
}

// Tab goes through the window as it reads: the panel, the grid, the tabs, what the tabs hold
// (the shown tab's alone: hidden controls are passed over) and the help.
void frmMain::SetTabOrder() {
    QWidget* const order[] = {txbTagSearch,
                              cmdSelectAll,
                              cmdDeSelectAll,
                              optCurrent,
                              optGone,
                              optNoLocation,
                              optAllAnimals,
                              &grdAnimals->View(),
                              &tabDetails->Bar(),
                              lstGroups,
                              lstLocations,
                              lstGenders,
                              lstBreeds,
                              cmdChangeDoBs,
                              cmdCheckMovements,
                              cmdChangeTaggingDates,
                              &grdTagChanges->View(),
                              cmdRecordTagChange,
                              cmdDeleteTagChange,
                              &grdTreatments->View(),
                              cmdRecordTreatment,
                              cmdDeleteTreatments,
                              &grdMovements->View(),
                              rtbNotes,
                              rtbPedigree,
                              &grdPedigree->View(),
                              rtbHelp};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmMain::RegisterWithCore() { modMainWindowServices::RegisterMainWindow(this); }

void frmMain::StartZOrderTimer() { tmrZOrder->start(); }

// ---- Loading ---------------------------------------------------------------------------------

void frmMain::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        tabDetails->SetCurrentTab(0);
        ShowIntroductoryHelp();
        SetHelpTags();
        WatchHover();
        InitialiseForSpecies();
    });
}

// Every control that explains itself in the help pane keeps its text in its "Tag"; the frame
// of each tab and the controls that share a text get a copy. The grid's comes with the species.
void frmMain::SetHelpTags() {
    auto tag = [](QObject* control, const std::string& text) {
        control->setProperty("Tag", QString::fromStdString(text));
    };
    auto own = [&](QObject* control, std::initializer_list<QObject*> copies = {}) {
        const std::string text = GetHelpText(control);
        tag(control, text);
        for (QObject* copy : copies) tag(copy, text);
    };
    own(tabDetails);
    own(lstGroups, {fraTab[0]});
    own(lstLocations, {fraTab[1]});
    own(lstGenders, {fraTab[2]});
    own(lstBreeds, {fraTab[3]});
    own(fraDoBChange, {fraTab[4], cmdChangeDoBs});
    own(fraTaggingDateChange, {fraTab[5], cmdChangeTaggingDates});
    tag(cmdCheckMovements, fraDoBChange->property("Tag").toString().toStdString());
    own(grdTagChanges, {fraTab[6]});
    own(grdTreatments, {fraTab[7]});
    own(grdMovements, {fraTab[8]});
    own(rtbNotes, {fraTab[9]});
    own(rtbPedigree, {grdPedigree, fraTab[10]});
    own(fraTagSearch, {txbTagSearch});
    for (QObject* control :
         std::initializer_list<QObject*>{cmdSelectAll, cmdDeSelectAll, mnuFile, mnuGetTagBucket, mnuDataTransfer})
        own(control);
}

// The grid's help speaks of the tagging date only where the species has it; it is set with the
// species, so it follows every change of species.
void frmMain::SetGridHelp() {
    std::string gridHelp = GetHelpText(grdAnimals);
    if (modCommon::Species != modCommon::Sheep) {
        const QString text = QString::fromStdString(gridHelp);
        const int at = text.indexOf(QStringLiteral(" or Tagging Date"), 0, Qt::CaseInsensitive);
        if (at >= 0) gridHelp = QString(text).remove(at, 16).toStdString();
    }
    grdAnimals->setProperty("Tag", QString::fromStdString(gridHelp));
}

// ---- Resizing and the tabs -------------------------------------------------------------------

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas && event->type() == QEvent::Resize) Form_Resize();
    if (TagSearchKey(watched, event) || ListMenuKey(watched, event)) return true;
    ListMouseUp(watched, event);
    return QMainWindow::eventFilter(watched, event);
}

// The grid fills the window right of the panel and above the tabs; the tabs sit on the bottom
// edge at their design height while the window has room, and below that give up height, down
// to what their panes need, rather than cover the panel.
void frmMain::Form_Resize() {
    if (resizing_) return;  // the yield below may deliver the next resize: it lays out afresh
    resizing_ = true;
    Trap("Form_Resize", kObject, [&] {
        if (isMinimized()) return;
        const int innerWidth = canvas->width();
        const int innerHeight = canvas->height();
        const int tabMinimum = TabAreaMinimum();
        StackPanel(innerHeight - Pixels(120) - tabMinimum < StackPanel(false));
        const int room = innerHeight - Bottom(fraDisplay) - Pixels(120);
        const int tabHeight = std::max(tabMinimum, std::min(Pixels(kTabHeight), room));
        const int gridWidth = std::max(0, innerWidth - gridLeft_);
        const int gridHeight = std::max(0, innerHeight - tabHeight - Pixels(120));
        grdAnimals->setGeometry(gridLeft_, grdAnimals->y(), gridWidth, gridHeight);
        QCoreApplication::processEvents();
        const int tabTop = std::max(0, innerHeight - tabHeight);
        const int tabWidth = std::max(0, innerWidth - Pixels(120));
        tabDetails->setGeometry(tabDetails->x(), tabTop, tabWidth, tabHeight);
        ResizeTabFrame();
    });
    resizing_ = false;
}

void frmMain::ResizeTabFrame() {
    Trap("ResizeTabFrame", kObject, [&] {
        const int tab = tabDetails->CurrentTab();
        if (tab < 0) return;
        QGroupBox* frame = fraTab[tab];
        const int frameWidth = std::max(0, tabDetails->width() - 2 * frame->x());
        const int frameTop = tabDetails->TabHeight() + Pixels(30);
        const int frameHeight = std::min(Pixels(kFrameHeight), tabDetails->height() - frameTop - Pixels(kFrameBottom));
        frame->setGeometry(Pixels(kFrameLeft), frameTop, frameWidth, std::max(0, frameHeight));
        FitPanes(frame->height());
        auto rightOf = [](const QWidget* control) { return control->x() + control->width() + Pixels(30); };
        // The pane's grid or list shows its columns or entries whole where the frame has room: the
        // help gives way.
        auto widen = [&](QWidget* control, int wanted) {
            wanted = std::min(wanted, frameWidth - control->x() - Pixels(30));
            if (!control->isHidden() && wanted > control->width()) control->resize(wanted, control->height());
        };
        int helpLeft = Pixels(kHelpLeft);
        DataGrid* grid = tab == kMovementHistoryTab ? grdMovements
                         : tab == kTagChangesTab    ? grdTagChanges
                         : tab == kTreatmentsTab    ? grdTreatments
                                                    : nullptr;
        QListWidget* list = tab < 4 ? std::array{lstGroups, lstLocations, lstGenders, lstBreeds}[tab] : nullptr;
        if (grid) {
            widen(grid, grid->ColumnsWidth());
            helpLeft = rightOf(grid);
        } else if (list) {
            const int designed = list->width();  // as FitPanes put it back
            widen(list,
                  list->sizeHintForColumn(0) + 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width());
            helpLeft += list->width() - designed;
        } else if (tab == kParentageTab) {
            pedigree_->FitToFrame(kTabWidth - 2 * kFrameLeft);
            helpLeft = rightOf(rtbPedigree);
        }
        const int helpWidth = std::max(0, frameWidth - helpLeft - Pixels(30));
        rtbHelp->setGeometry(helpLeft, rtbHelp->y(), helpWidth, rtbHelp->height());
    });
}

// ---- Room for the texts ------------------------------------------------------------------------

// The tag search box holds a whole tag and its frame the box; the grid starts right of the
// widest control of the panel.
void frmMain::LayOutPanel() {
    const int box = DesignGeometry::TextBoxWidth(txbTagSearch, QString::fromLatin1(kLongTag) + " ");
    if (box > txbTagSearch->width()) {
        fraTagSearch->resize(fraTagSearch->width() + box - txbTagSearch->width(), fraTagSearch->height());
        txbTagSearch->resize(box, txbTagSearch->height());
    }
    int right = 0;
    for (QRadioButton* option : {optCurrent, optGone, optNoLocation, optAllAnimals})
        right = std::max(right, option->x() + option->width());
    if (right + Pixels(75) > fraDisplay->width()) fraDisplay->resize(right + Pixels(75), fraDisplay->height());
    for (QWidget* control : std::initializer_list<QWidget*>{fraTagSearch, cmdSelectAll, cmdDeSelectAll, fraDisplay})
        gridLeft_ = std::max(gridLeft_, control->x() + control->width());
    gridLeft_ = std::max(Pixels(kGridLeft), gridLeft_ + Pixels(60));
    grdAnimals->move(gridLeft_, grdAnimals->y());
    StackPanel(false);
}

// The panel's controls one under the other, each below the one above whatever its text made
// it grow to; when the window is short (`tight`) the two buttons keep only the room their
// captions need. The panel's bottom.
int frmMain::StackPanel(bool tight) {
    int top = fraTagSearch->y();
    for (QWidget* control : std::initializer_list<QWidget*>{fraTagSearch, cmdSelectAll, cmdDeSelectAll, fraDisplay}) {
        auto* button = qobject_cast<QPushButton*>(control);
        const int caption = button ? button->heightForWidth(button->width()) : 0;
        const int height = !button ? control->height() : tight ? caption : std::max(caption, Pixels(570));
        control->setGeometry(control->x(), top, control->width(), height);
        top = Bottom(control) + Pixels(kPanelGap);
    }
    return Bottom(fraDisplay);
}

void frmMain::HoldPaneDesigns() {
    auto hold = [this](QWidget* control, double move, double grow) {
        paneFits_.push_back({control, control->geometry(), move, grow});
    };
    for (QWidget* stretching :
         std::initializer_list<QWidget*>{lstGroups, lstLocations, lstGenders, lstBreeds, rtbHelp, fraDoBChange,
                                         fraTaggingDateChange, grdTagChanges, grdTreatments, grdMovements, rtbNotes})
        hold(stretching, 0, 1);
    for (QWidget* below : std::initializer_list<QWidget*>{cmdRecordTagChange, cmdDeleteTagChange, cmdRecordTreatment,
                                                          cmdDeleteTreatments})
        hold(below, 1, 0);
    hold(rtbPedigree, 0, 0.5);
    hold(grdPedigree, 0.5, 0.5);
}

// What the tab frames hold follows their height where it is below the design's.
void frmMain::FitPanes(int frameHeight) {
    const int change = std::min(0, frameHeight - Pixels(kFrameHeight));
    for (const PaneFit& fit : paneFits_) {
        const QRect& d = fit.design;
        const int top = d.y() + static_cast<int>(std::lround(fit.move * change));
        const int height = d.height() + static_cast<int>(std::lround(fit.grow * change));
        fit.control->setGeometry(d.x(), top, d.width(), std::max(0, height));
    }
    for (QGroupBox* frame : {fraDoBChange, fraTaggingDateChange}) FitDateButtons(frame);
}

// The date-change buttons share their frame's height: the design's heights and gaps while it
// has room; else each keeps the room its caption needs, and the gaps close up to a quarter.
void frmMain::FitDateButtons(QGroupBox* frame) {
    const QList<QPushButton*> buttons = frame->findChildren<QPushButton*>();
    const int count = static_cast<int>(buttons.size());
    int captions = 0;
    for (const QPushButton* button : buttons) captions += button->heightForWidth(button->width());
    const int gaps = Pixels(kDateButtonTop + kDateButtonBottom + kDateButtonGap * (count - 1));
    const double gapShare = std::clamp((frame->height() - captions) / double(gaps), 0.25, 1.0);
    const int share = (frame->height() - static_cast<int>(gaps * gapShare)) / std::max(1, count);
    int top = static_cast<int>(Pixels(kDateButtonTop) * gapShare);
    for (QPushButton* button : buttons) {
        const int height = std::max(button->heightForWidth(button->width()), std::min(Pixels(900), share));
        button->setGeometry(button->x(), top, button->width(), height);
        top += height + static_cast<int>(Pixels(kDateButtonGap) * gapShare);
    }
}

int frmMain::TabAreaMinimum() const {
    const QList<QPushButton*> buttons = fraDoBChange->findChildren<QPushButton*>();
    int captions = 0;
    for (const QPushButton* button : buttons) captions += button->heightForWidth(button->width());
    const int gaps = Pixels(kDateButtonTop + kDateButtonBottom + kDateButtonGap * int(buttons.size() - 1)) / 4;
    return tabDetails->TabHeight() + Pixels(30) + fraDoBChange->y() + captions + gaps + Pixels(kFrameBottom);
}

int frmMain::CurrentTab() const { return tabDetails->CurrentTab(); }

void frmMain::tabDetails_Click(int PreviousTab) {
    Trap("tabDetails_Click", kObject, [&] {
        const int tab = tabDetails->CurrentTab();
        if (tab == PreviousTab || tab < 0) return;
        UpdateFrameCaptions();
        if (PreviousTab >= 0 && PreviousTab < static_cast<int>(fraTab.size())) fraTab[PreviousTab]->hide();
        rtbHelp->setParent(fraTab[tab]);
        rtbHelp->show();
        fraTab[tab]->show();
        ResizeTabFrame();
        if (DetailPane* pane = panes_[static_cast<std::size_t>(tab)]; pane && pane->OutOfDate()) pane->Display();
    });
}

// ---- Progress, imports and the device windows ---------------------------------------------------

void frmMain::InitialiseProgressbar(long steps, const std::string& caption) {
    Trap("InitialiseProgressbar", kObject, [&] {
        lblProgress->setText(QString::fromStdString(caption));
        pbrProgress->setValue(0);
        pbrProgress->setRange(0, static_cast<int>(std::max(0L, steps)));
        fraProgress->move((frameGeometry().width() - fraProgress->width()) / 2, 0);
        fraProgress->show();
        fraProgress->raise();
        QCoreApplication::processEvents();
    });
}

// One action: a database that cannot be read is reported once, not by each list and the grid.
void frmMain::UpdateAfterImport() {
    Trap("UpdateAfterImport", kObject, [&] {
        DisplayGroups();
        DisplayLocations();
        tmrSetGridRecords_Timer();
    });
    QCoreApplication::processEvents();
}

void frmMain::tmrZOrder_Timer() {
    Trap("tmrZOrder_Timer", kObject, [&] {
        tmrZOrder->stop();
        raise();
        activateWindow();
        setEnabled(true);
        canvas->setEnabled(true);
        menuBar()->setEnabled(true);
    });
}

// ---- Unloading -------------------------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* event) {
    if (!notes_->SaveBeforeClosing()) {  // the keeper keeps a note the database would not take yet
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    Trap("Form_Unload", kObject, [&] {
        SaveNote();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != this) window->close();
        mrsGridClone.Close();
        grdAnimals->SetRecordset(Recordset());
    });
}
