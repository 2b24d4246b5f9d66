#pragma once
#include <QDialog>
#include <array>
#include <string>

#include "core/DefaultInstance.h"

class QLabel;
class QListWidget;
class QPushButton;

// The small modal window through which the keeper names the holding's country and the
// species to work with. It stores the country, gives a new database its DataSourceGUID, sets
// the program-wide country values and species, and on closing asks for the numbers the
// country requires.
class frmSpecies : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally and returns when it has closed; modCommon::Species then holds
    // the species chosen (0 = none). With countryOnly (the main window's change of
    // country) the window closes as soon as a country is chosen and the species stays.
    static void ShowModal(QWidget* owner = nullptr, bool countryOnly = false);
    // The window while it is shown, else nullptr.
    static frmSpecies* Loaded() { return DefaultInstance<frmSpecies>::Loaded(); }

    QListWidget* lstCountries;
    std::array<QLabel*, 2> lblInfo;          // the instruction and its shadow, same text
    std::array<QPushButton*, 3> cmdSpecies;  // index = species chosen: 0 Exit, 1 Cattle, 2 Sheep
    QLabel* picCopy;                         // drawing surface of the picture buttons

    void SetCountryDetails(const std::string& countryName);
    void SetUpForSpeciesSelection(const std::string& countryName);
    void lstCountries_Click();
    void cmdSpecies_Click(int Index);

    // The farm picture the window shows behind its controls.
    static QPixmap BackgroundPicture();

protected:
    void reject() override;  // the close box and Escape
    void paintEvent(QPaintEvent* event) override;

private:
    friend class DefaultInstance<frmSpecies>;
    frmSpecies(QWidget* owner, bool countryOnly);
    void Form_Load();
    void Form_Unload();
    void Unload();
    void SetInfo(const QString& text);

    bool countryOnly_;
    bool unloaded_ = false;
};
