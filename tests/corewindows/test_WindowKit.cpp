#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>

#include <filesystem>
#include <new>
#include <stdexcept>

#include "core/DefaultInstance.h"
#include "core/JobGuard.h"
#include "core/Trap.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "widgets/WaitPointer.h"

namespace {

// A window with what the kit serves: a default instance and a job that keeps it open.
class frmKit : public QDialog {
public:
    explicit frmKit(int tag = 0) : tag(tag) {}
    int tag;
    JobGuard jobs;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (jobs.RefuseClose(event)) return;
        QDialog::closeEvent(event);
    }
};

// The log's lines without their time stamps.
std::vector<std::string> Logged(const TempHome& home) {
    std::vector<std::string> lines;
    std::string log = FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt");
    for (std::size_t at = 0; (at = log.find('\t', at)) != std::string::npos; ++at)
        lines.push_back(log.substr(at + 1, log.find("\r\n", at) - at - 1));
    return lines;
}

}  // namespace

TEST(Trap, EveryKindOfFailureIsLoggedAlikeAndTheProcedureGoesOn) {
    TempHome home;
    ScriptedPrompts prompts;
    prompts.AcceptAllOK();
    int reached = 0;
    EXPECT_TRUE(Trap("Quiet", "frmKit", [&] { ++reached; }));
    EXPECT_FALSE(Trap("Runtime", "frmKit", [&] {
        ++reached;
        throw RuntimeError(3021, "No current record");
        ++reached;
    }));
    EXPECT_FALSE(
        Trap("Files", "frmKit", [&] { std::filesystem::copy_file(home.root() + "/missing", home.root() + "/copy"); }));
    EXPECT_FALSE(Trap("Other", "modX", [&] { throw std::out_of_range("vector index"); }));
    EXPECT_EQ(reached, 2);
    auto lines = Logged(home);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "No current record (Error number 3021) in procedure Runtime in frmKit");
    EXPECT_NE(lines[1].find("(Error number 5) in procedure Files in frmKit"), std::string::npos);
    EXPECT_NE(lines[1].find("missing"), std::string::npos) << "the system's own text";
    EXPECT_EQ(lines[2], "vector index (Error number 5) in procedure Other in modX");
    ASSERT_EQ(prompts.Messages().size(), 3u);
    EXPECT_EQ(prompts.Messages()[2],
              "An error occurred in procedure Other in modX\r\nThe error was 'vector index' (Error number 5)");

    // The program's end is no failure: it passes through.
    EXPECT_THROW(Trap("Ending", "frmKit", [] { Program::End(); }), Program::Ended);
}

TEST(Trap, ResultsLogOnlyFailuresAndFailuresCaughtBelowGoTheSameWay) {
    TempHome home;
    ScriptedPrompts prompts;
    prompts.AcceptAllOK();
    EXPECT_EQ(TrapOr("Count", "clsX", -1L, []() -> long { throw std::bad_alloc(); }), -1);
    std::string step = "Execute - Using ";
    const auto why = [](const RuntimeError& e) { return "why: " + e.description; };
    EXPECT_EQ(TrapOr(step, "clsX", why,
                     [&]() -> std::string {
                         step += "DELETE";
                         throw RuntimeError(3704, "closed");
                     }),
              "why: closed");
    EXPECT_FALSE(Trap(
        "Compact", "clsX", [] { throw RuntimeError(5, "busy"); }, TrapShows::LogOnly));
    TrapHandler("grdX_Edit", "frmX")(std::length_error("too long"));
    EXPECT_EQ(Logged(home),
              (std::vector<std::string>{"std::bad_alloc (Error number 5) in procedure Count in clsX",
                                        "closed (Error number 3704) in procedure Execute - Using DELETE in clsX",
                                        "busy (Error number 5) in procedure Compact in clsX",
                                        "too long (Error number 5) in procedure grdX_Edit in frmX"}));
    EXPECT_EQ(prompts.Messages().size(), 3u) << "all but the log-only failure shown";
}

TEST(DefaultInstance, MadeOnFirstUseAndForgottenWhenDeleted) {
    EnsureTestApplication();
    EXPECT_EQ(DefaultInstance<frmKit>::Loaded(), nullptr);
    frmKit& first = DefaultInstance<frmKit>::Get(7);
    EXPECT_EQ(&DefaultInstance<frmKit>::Get(8), &first) << "arguments count only when it is made";
    EXPECT_EQ(first.tag, 7);
    delete &first;
    EXPECT_EQ(DefaultInstance<frmKit>::Loaded(), nullptr);

    QPointer<frmKit> second = &DefaultInstance<frmKit>::Get(2);
    DefaultInstance<frmKit>::UnloadLater();
    EXPECT_EQ(DefaultInstance<frmKit>::Loaded(), nullptr) << "forgotten at once";
    EXPECT_NE(DefaultInstance<frmKit>::Get(3).tag, 2) << "the next use makes a fresh one";
    EXPECT_FALSE(second.isNull()) << "deleted only from the event loop";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    DefaultInstance<frmKit>::Unload();
    EXPECT_EQ(DefaultInstance<frmKit>::Loaded(), nullptr);
}

TEST(JobGuard, AWindowStaysOpenUntilItsJobsEndAndTakesInputAgainHoweverTheyEnd) {
    EnsureTestApplication();
    frmKit window;
    window.show();
    {
        JobGuard::Job job(window.jobs);
        { JobGuard::Job inner(window.jobs); }
        EXPECT_FALSE(window.close());
        EXPECT_TRUE(window.isVisible());
    }
    try {
        JobGuard::Job job(window.jobs);
        WaitPointer pointer(&window);
        EXPECT_FALSE(window.isEnabled());
        throw RuntimeError(5, "failed transfer");
    } catch (const RuntimeError&) {
    }
    EXPECT_FALSE(window.jobs.Running());
    EXPECT_TRUE(window.isEnabled()) << "nor is it left under the hourglass";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}
