#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "backup/frmRVBSBackupRestore.h"
#include "backup/modRVBS.h"
#include "core/modCommon.h"
#include "fixtures/WindowTest.h"

namespace {

// The fake online service as a person runs it from the build, its output read as they read it.
class RvbsSimTool : public WindowTest {
protected:
    pid_t tool = -1;
    int output = -1;

    void SetUp() override {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        tool = fork();
        if (tool == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            execl(KELVO_RVBS_SIM, KELVO_RVBS_SIM, "--port", "0", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        output = pipeFds[0];
    }
    void TearDown() override {
        if (tool > 0 && waitpid(tool, nullptr, WNOHANG) == 0) kill(tool, SIGKILL);
        if (tool > 0) waitpid(tool, nullptr, 0);
        if (output >= 0) close(output);
    }
    // The tool's output read a line at a time up to the first line that begins with `start`:
    // that line, or "" when the output ends first. Every line read goes to `seen`.
    std::string seen;
    std::string LineStarting(const std::string& start) {
        std::string line;
        pollfd in{output, POLLIN, 0};
        char c = 0;
        while (poll(&in, 1, 20000) == 1 && read(output, &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            seen += line + "\n";
            if (line.starts_with(start)) return line;
            line.clear();
        }
        return "";
    }
    std::unique_ptr<frmRVBSBackupRestore> SignedIn(bool restoring) {
        auto window = std::make_unique<frmRVBSBackupRestore>();
        window->SetForRestore(restoring);
        window->show();
        window->txbUserName->setText("keeper");
        window->txbPassword->setText("secret");
        return window;
    }
};

}  // namespace

// The settings line it prints points the program at it; what the backup window sends, the
// restore brings back; Ctrl-C stops it with the backup listed.
TEST_F(RvbsSimTool, PrintedSettingPointsTheProgramAtABackupThatComesBackThroughTheRestore) {
    const std::string setting = std::string(modRVBS::EndpointSetting) + "=";
    const std::string line = LineStarting(setting);
    ASSERT_FALSE(line.empty()) << seen;
    home.SetMachineSetting(modRVBS::EndpointSetting, line.substr(setting.size()));
    modCommon::SetKelvoData("HoldingNumber", "12/345/6789");
    modCommon::SetKelvoData("DataSourceGUID", "G-LIVE");
    modCommon::SetKelvoData("Marker", "backed up");

    auto up = SignedIn(false);
    prompts.Answer(Prompts::OK);
    up->cmdContinue_Click();
    ASSERT_EQ(prompts.LastText(), "Data backed up OK");
    modCommon::SetKelvoData("Marker", "changed since");
    auto down = SignedIn(true);
    down->cmdContinue_Click();
    ASSERT_EQ(down->lstBackups->count(), 2);
    prompts.Answer(Prompts::OK);
    down->lstBackups->setCurrentRow(1);
    down->lstBackups_Click();
    EXPECT_EQ(prompts.LastText(), "Your data has been successfully restored");
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "backed up");

    kill(tool, SIGINT);
    EXPECT_NE(LineStarting("  Backup for holding 12/345/6789 ("), "") << seen;
    EXPECT_NE(seen.find("Stopped; 1 backup held:"), std::string::npos) << seen;
    int status = 0;
    ASSERT_EQ(waitpid(tool, &status, 0), tool);
    tool = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
