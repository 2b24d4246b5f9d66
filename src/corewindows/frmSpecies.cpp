#include "corewindows/frmSpecies.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modCommonHerdFlock.h"
#include "corewindows/GraphicalButton.h"
#include "corewindows/modCommonPictureButtons.h"
#include "widgets/DesignGeometry.h"

namespace {

const char* const kObject = "frmSpecies";
// The picture is drawn on a 560 x 400 grid, a fifteenth of its design size in twips, and
// scaled to the screen.
constexpr int kWidth = 560;
constexpr int kHeight = 400;
constexpr int kTwips = 15;

using DesignGeometry::Pixels;

// ---- The background: sky, hills with a barn, a fence and a ploughed field ----------------

void PaintSky(QPainter& p) {
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(58, 112, 186));
    sky.setColorAt(1, QColor(182, 212, 238));
    p.fillRect(0, 0, kWidth, 210, sky);

    QRadialGradient glow(QPointF(492, 112), 70);
    glow.setColorAt(0, QColor(255, 246, 205, 230));
    glow.setColorAt(1, QColor(255, 230, 150, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(492, 112), 70, 70);
    p.setBrush(QColor(255, 238, 160));
    p.drawEllipse(QPointF(492, 112), 24, 24);

    const QPointF clouds[] = {{74, 104}, {452, 150}};
    p.setBrush(QColor(255, 255, 255, 215));
    for (const QPointF& c : clouds) {
        p.drawEllipse(c, 34, 13);
        p.drawEllipse(c + QPointF(-22, 4), 20, 10);
        p.drawEllipse(c + QPointF(20, -6), 22, 14);
        p.drawEllipse(c + QPointF(38, 3), 18, 9);
    }
}

void PaintHills(QPainter& p) {
    QPainterPath far;
    far.moveTo(0, 172);
    far.cubicTo(120, 138, 220, 150, 300, 166);
    far.cubicTo(380, 182, 470, 142, kWidth, 158);
    far.lineTo(kWidth, kHeight);
    far.lineTo(0, kHeight);
    QLinearGradient farColour(0, 140, 0, 230);
    farColour.setColorAt(0, QColor(132, 170, 96));
    farColour.setColorAt(1, QColor(96, 140, 70));
    p.setPen(Qt::NoPen);
    p.fillPath(far, farColour);

    // A red barn and a few trees on the far hill.
    p.setBrush(QColor(150, 40, 34));
    p.drawRect(QRectF(62, 136, 46, 26));
    p.setBrush(QColor(88, 32, 28));
    p.drawPolygon(QPolygonF({QPointF(56, 137), QPointF(85, 118), QPointF(114, 137)}));
    p.setPen(QPen(QColor(235, 225, 205), 1.5));
    p.drawRect(QRectF(78, 146, 14, 16));
    p.drawLine(QPointF(78, 146), QPointF(92, 162));
    p.drawLine(QPointF(92, 146), QPointF(78, 162));
    p.setPen(Qt::NoPen);
    const QPointF trees[] = {{196, 144}, {214, 148}, {508, 142}, {150, 152}};
    for (const QPointF& t : trees) {
        p.setBrush(QColor(92, 64, 40));
        p.drawRect(QRectF(t.x() - 1.5, t.y(), 3, 12));
        p.setBrush(QColor(46, 92, 44));
        p.drawEllipse(t, 9, 11);
    }

    QPainterPath near;
    near.moveTo(0, 204);
    near.cubicTo(140, 182, 300, 208, kWidth, 190);
    near.lineTo(kWidth, kHeight);
    near.lineTo(0, kHeight);
    p.fillPath(near, QColor(82, 128, 56));
}

void PaintField(QPainter& p) {
    const int top = 244;
    QLinearGradient soil(0, top, 0, kHeight);
    soil.setColorAt(0, QColor(96, 66, 40));
    soil.setColorAt(1, QColor(50, 33, 21));
    p.fillRect(0, top, kWidth, kHeight - top, soil);

    // Furrows run towards a point beyond the hills.
    p.save();
    p.setClipRect(0, top, kWidth, kHeight - top);
    const QPointF vanishing(kWidth / 2.0, 170);
    for (int i = -24; i <= 24; ++i) {
        const QPointF bottom(kWidth / 2.0 + i * 42, kHeight);
        p.setPen(QPen(QColor(38, 25, 15, 200), 4));
        p.drawLine(vanishing, bottom);
        p.setPen(QPen(QColor(122, 88, 56, 150), 1));
        p.drawLine(vanishing, bottom + QPointF(9, 0));
    }
    p.restore();

    // A grass verge along the field's edge.
    p.setPen(QPen(QColor(70, 112, 44), 2));
    for (int x = 0; x < kWidth; x += 5) {
        const int h = 4 + (x * 7) % 6;
        p.drawLine(QPointF(x, top + 2), QPointF(x + 2, top + 2 - h));
    }
}

void PaintFence(QPainter& p) {
    const QColor wood(128, 92, 56), dark(86, 60, 36);
    p.setPen(QPen(dark, 1));
    p.setBrush(wood);
    for (int y : {208, 228}) p.drawRect(QRectF(0, y, kWidth, 6));
    for (int x = 12; x < kWidth; x += 46) {
        QPolygonF post(
            {QPointF(x, 202), QPointF(x + 4, 196), QPointF(x + 8, 202), QPointF(x + 8, 250), QPointF(x, 250)});
        p.drawPolygon(post);
    }
}

}  // namespace

QPixmap frmSpecies::BackgroundPicture() {
    QPixmap picture(Pixels(kWidth * kTwips), Pixels(kHeight * kTwips));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(picture.width() / double(kWidth), picture.height() / double(kHeight));
    PaintSky(p);
    PaintHills(p);
    PaintField(p);
    PaintFence(p);
    return picture;
}

frmSpecies::frmSpecies(QWidget* owner, bool countryOnly) : QDialog(owner), countryOnly_(countryOnly) {
    setWindowTitle(QStringLiteral("Kelvo"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(Pixels(kWidth * kTwips), Pixels(kHeight * kTwips));
    setProperty("Picture", BackgroundPicture());

    QFont infoFont = font();
    infoFont.setBold(true);
    infoFont.setPixelSize(Pixels(17 * kTwips));
    const QColor infoColours[2] = {QColor(255, 255, 255), QColor(24, 36, 60)};
    // The shadow label is created first so that the text label lies above it.
    for (int i : {1, 0}) {
        lblInfo[i] = new QLabel(this);
        lblInfo[i]->setObjectName(QStringLiteral("lblInfo_%1").arg(i));
        DesignGeometry::Place(lblInfo[i],
                              {(20 + 2 * i) * kTwips, (16 + 2 * i) * kTwips, (kWidth - 40) * kTwips, 54 * kTwips});
        lblInfo[i]->setAlignment(Qt::AlignCenter);
        lblInfo[i]->setWordWrap(true);
        lblInfo[i]->setFont(infoFont);
        lblInfo[i]->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(infoColours[i].name()));
    }

    lstCountries = new QListWidget(this);
    lstCountries->setObjectName(QStringLiteral("lstCountries"));
    DesignGeometry::Place(lstCountries, {150 * kTwips, 76 * kTwips, 260 * kTwips, 164 * kTwips});
    QFont listFont = font();
    listFont.setPixelSize(Pixels(15 * kTwips));
    lstCountries->setFont(listFont);
    lstCountries->hide();
    connect(lstCountries, &QListWidget::itemClicked, this, [this] { lstCountries_Click(); });
    connect(lstCountries, &QListWidget::itemActivated, this, [this] { lstCountries_Click(); });

    const char* captions[3] = {"Exit", "Cattle", "Sheep"};
    const QRect places[3] = {QRect(210, 338, 140, 44), QRect(66, 266, 194, 56), QRect(300, 266, 194, 56)};
    for (int i = 0; i < 3; ++i) {
        cmdSpecies[i] = new GraphicalButton(this);
        cmdSpecies[i]->setObjectName(QStringLiteral("cmdSpecies_%1").arg(i));
        cmdSpecies[i]->setText(QString::fromLatin1(captions[i]));
        const QRect& at = places[i];
        DesignGeometry::Place(cmdSpecies[i],
                              {at.x() * kTwips, at.y() * kTwips, at.width() * kTwips, at.height() * kTwips});
        cmdSpecies[i]->hide();
        connect(cmdSpecies[i], &QPushButton::clicked, this, [this, i] { cmdSpecies_Click(i); });
    }

    picCopy = new QLabel(this);
    picCopy->setObjectName(QStringLiteral("picCopy"));
    QFont captionFont = font();
    captionFont.setBold(true);
    captionFont.setPixelSize(Pixels(26 * kTwips));
    picCopy->setFont(captionFont);
    picCopy->hide();
}

void frmSpecies::ShowModal(QWidget* owner, bool countryOnly) {
    DefaultInstance<frmSpecies>::ShowModal(
        [](frmSpecies& form) {
            form.Form_Load();
            return !form.unloaded_;
        },
        owner, countryOnly);
}

void frmSpecies::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        bool copyBackground = true;
        modCommon::SetUpPictureButtons(this, picCopy, qRgb(0, 0, 0), qRgb(159, 166, 86), qRgb(100, 100, 40),
                                       copyBackground, true);

        if (auto stored = modCommon::FindKelvoData("CountryName")) {
            SetUpForSpeciesSelection(*stored);
            return;
        }
        SetInfo(QStringLiteral("Please choose the country you are in from the list below"));

        Recordset countries =
            modCommon::Database().OpenRecordset("SELECT CountryName FROM Countries ORDER BY CountryID");
        for (; !countries.Eof(); countries.MoveNext())
            lstCountries->addItem(QString::fromStdString(countries.Field("CountryName").ToString()));

        // A database without its own identifier is new: it gets one now. Whether only the
        // country is asked is the caller's to say, not this identifier's.
        if (!modCommon::FindKelvoData("DataSourceGUID"))
            modCommon::AddKelvoData("DataSourceGUID", modCommon::CreateGUIDString());
        lstCountries->show();
    });
}

void frmSpecies::lstCountries_Click() {
    Trap("lstCountries_Click", kObject, [&] {
        // Hidden once a country is chosen, so a click that also activates counts once.
        if (lstCountries->isHidden() || !lstCountries->currentItem()) return;
        lstCountries->hide();
        const std::string name = lstCountries->currentItem()->text().toStdString();
        modCommon::AddKelvoData("CountryName", name);
        SetUpForSpeciesSelection(name);
    });
}

void frmSpecies::SetUpForSpeciesSelection(const std::string& countryName) {
    Trap("SetUpForSpeciesSelection", kObject, [&] {
        SetCountryDetails(countryName);
        if (countryOnly_) {
            Unload();
            return;
        }
        SetInfo(QStringLiteral("Please select the species you want to work with"));
        for (QPushButton* button : cmdSpecies) button->show();
        // The keyboard starts on a species; Exit comes last and acts only when pressed.
        setTabOrder(cmdSpecies[1], cmdSpecies[2]);
        setTabOrder(cmdSpecies[2], cmdSpecies[0]);
        cmdSpecies[1]->setFocus();
    });
}

void frmSpecies::SetCountryDetails(const std::string& countryName) {
    Trap("SetCountryDetails", kObject, [&] {
        Recordset rs = modCommon::Database().OpenRecordset("SELECT * FROM Countries WHERE CountryName='" +
                                                           modCommon::SQLQuotes(countryName) + "'");
        // All three are read before any is set: a country without its row changes nothing.
        const std::string name = rs.Field("CountryName").ToString();
        const bool herdFlock = rs.Field("HerdFlockRequired").ToBool();
        const bool holding = rs.Field("HoldingNumberRequired").ToBool();
        modCommon::CountryName = name;
        modCommon::HerdFlockRequired = herdFlock;
        modCommon::HoldingNumberRequired = holding;
        rs.Close();
    });
}

void frmSpecies::cmdSpecies_Click(int Index) {
    modCommon::Species = Index;
    Unload();
}

void frmSpecies::Form_Unload() {
    if (modCommon::Species != modCommon::NoSpecies) modCommon::HerdFlockHoldingSetup(0);
}

void frmSpecies::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    Form_Unload();
    QDialog::done(QDialog::Rejected);
}

void frmSpecies::reject() { Unload(); }

void frmSpecies::SetInfo(const QString& text) {
    for (QLabel* label : lblInfo) label->setText(text);
}

void frmSpecies::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, property("Picture").value<QPixmap>());
}
