// Parentage at the size of a big holding: a register of 50,000 sheep, each with a dam and a
// sire (a ram to every thousand). The animal import file of 10,000 lines, each naming a dam and a sire (2,000 dams and
// 100 sires among them, dates in the keeper's format), imported into that register; and the
// three-generation chart with its progeny list for one animal of it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLocale>

#include <memory>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "platform/Connection.h"
#include "platform/Prompts.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/TabControl.h"

namespace {

constexpr int kAnimals = 50000, kLines = 10000;

// Answers the import's two questions No: new dams and sires are owned and placed on the holding.
class AnswerNo : public Prompts::Handler {
public:
    int MsgBox(const std::string&, int, const std::string&) override { return Prompts::No; }
    bool InputBox(const std::string&, const std::string&, std::string&, bool) override { return false; }
    bool OpenFile(Prompts::FileDialog&) override { return false; }
    bool SaveFile(Prompts::FileDialog&) override { return false; }
};

struct Register {
    BenchHome home;
    long lastAnimal = 0;
    Register() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Prompts::SetHandler(std::make_unique<AnswerNo>());
        modCommon::VersionCheck();
        Connection& db = modCommon::Database().GetConnection();
        Connection::Transaction transaction(db);
        db.Execute("INSERT INTO Genders (GenderName, Species) VALUES ('Ewe',2), ('Ram',2)");
        db.Execute("INSERT INTO Breeds (BreedName, Species) VALUES ('Texel',2), ('Suffolk',2)");
        db.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + std::to_string(kAnimals) +
                   ") INSERT INTO Animals (AnimalType, TagNumber, TagSort, DateOfBirth, GenderID, BreedID, Species, "
                   "DamID, SireID) SELECT 1, 'UK0123456 ' || printf('%05d', i), i, '2020-04-01 00:00:00', 1 + i % 2, "
                   "1 + i % 2, 2, max(i - 1000, 0), max((i / 1000 - 1) * 1000, 0) FROM n");
        db.Execute(
            "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) SELECT 3, AnimalID, DateOfBirth FROM Animals");
        transaction.Commit();
        lastAnimal = static_cast<long>(db.Query("SELECT max(AnimalID) FROM Animals").Field(0).ToLong());
        modCommon::CountryName = "England";
        modCommon::Species = 2;
    }
    ~Register() { DefaultInstance<frmMain>::Unload(); }

    // Takes out what an import added, so that each run meets the same register.
    void Reset() {
        Connection& db = modCommon::Database().GetConnection();
        const std::string after = " WHERE AnimalID>" + std::to_string(lastAnimal);
        db.Execute("DELETE FROM Animals" + after + "; DELETE FROM LocationLink" + after + "; DELETE FROM EIDs" + after +
                   "; DELETE FROM GroupLink");
    }
};

std::unique_ptr<Register> gRegister;  // made on first use, gone before the application

Register& Shared() {
    if (!gRegister) gRegister = std::make_unique<Register>();
    return *gRegister;
}

// New lambs with an EID each; their dams are recorded ewes, half of them named in the file
// with their details, their sires new rams.
std::string ImportFile() {
    std::string text;
    for (int i = 0; i < kLines; ++i) {
        const std::string born = std::to_string(1 + i % 28) + "/0" + std::to_string(3 + i % 3) + "/2024";
        text += "UK0765432 " + std::to_string(10000 + i) + "," + born + ",Ewe,Texel,826 0" +
                std::to_string(12345600000LL + i) + ",UK0123456 " + std::to_string(10000 + i % 2000) +
                ",01/03/2019,Ewe,Texel,,UK0999999 " + std::to_string(20000 + i % 100) + ",01/03/2018,Ram,Suffolk\r\n";
    }
    return text;
}

frmMain& Window() {
    Shared();
    frmMain& form = frmMain::Instance();
    return form;
}

void AnimalImport10000LinesWithDamsAndSires(benchmark::State& state) {
    frmMain& form = Window();
    const std::string text = ImportFile();
    for (auto _ : state) {
        form.ImportAnimals(text);
        state.PauseTiming();
        if (modCommon::Database()
                .GetConnection()
                .Query("SELECT count(*) FROM GroupLink WHERE GroupID=1")
                .Field(0)
                .ToLong() != kLines)
            state.SkipWithError("the lambs are not all in group 1");
        Shared().Reset();
        state.ResumeTiming();
    }
}
BENCHMARK(AnimalImport10000LinesWithDamsAndSires)->Unit(benchmark::kMillisecond)->MinTime(5);

// The chart and the progeny list of an animal with three generations above it and 1,000 offspring.
void PedigreeChartOf1In50000(benchmark::State& state) {
    frmMain& form = Window();
    form.tabDetails->SetCurrentTab(frmMain::kParentageTab);  // a pane not on show is not filled
    form.tmrSetGridRecords_Timer();
    const Recordset& rows = form.mrsAnimalEID();
    form.grdAnimals->SelClear();
    form.grdAnimals->SelAdd(rows.BookmarkAt(kAnimals / 2 - 1));
    form.grdAnimals_PostEvent(1);
    for (auto _ : state) form.DisplayPedigree();
    if (form.grdPedigree->Rows().RecordCount() != 1000) state.SkipWithError("wrong progeny count");
}
BENCHMARK(PedigreeChartOf1In50000)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarksInApplication(argc, argv, [] { gRegister.reset(); });
}
