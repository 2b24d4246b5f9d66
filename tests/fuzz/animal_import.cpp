// The animal import file (its first byte choosing the separator, by the locale's decimal mark,
// and the species worked in) imported by the main window into the register as a keeper's file
// would be: its animals, dams and sires found or added, their genders, breeds and EIDs, the
// import's groups, and what the keeper is told; rolled back after.
#include <QLocale>

#include "core/modCommon.h"
#include "fuzz/Fuzz.h"
#include "platform/Connection.h"
#include "platform/TextFile.h"
#include "register/frmMain.h"

const Fuzz::Prepare prepared([] {
    Fuzz::Database();
    modCommon::Species = modCommon::Sheep;
    frmMain::Instance();
});

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Connection& db = Fuzz::Database();
    QLocale::setDefault(QLocale(data[0] % 2 ? "de_DE" : "en_GB"));
    modCommon::Species = data[0] & 2 ? modCommon::Cattle : modCommon::Sheep;
    static frmMain& window = frmMain::Instance();
    db.Begin();
    window.ImportAnimals(TextFile::Decode(Fuzz::Text(data + 1, size - 1)));
    db.Rollback();
    return 0;
}
