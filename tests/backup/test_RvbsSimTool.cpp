#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "backup/frmRVBSBackupRestore.h"
#include "backup/modRVBS.h"
#include "core/modCommon.h"
#include "fixtures/WindowTest.h"
#include "platform/Text.h"

namespace {

// The tool's output read a line at a time up to the first line that begins with `start`: that
// line without its end, or "" when the output ends first. Every line read goes to `seen`.
std::string LineStarting(FILE* output, const std::string& start, std::string& seen) {
    char line[512];
    while (fgets(line, sizeof line, output)) {
        seen += line;
        if (std::string(line).starts_with(start)) return std::string(line, std::strlen(line) - 1);
    }
    return "";
}

// The tool run from the build with its output read here; killed when the test ends early.
struct Tool {
    FILE* output = popen("echo $$; exec " KELVO_RVBS_SIM " --port 0", "r");
    std::string seen;
    pid_t pid = output ? std::stoi("0" + LineStarting(output, "", seen)) : 0;
    ~Tool() {
        if (pid > 0) kill(pid, SIGKILL);
        if (output) pclose(output);
    }
    int Stop() {
        if (pid > 0) kill(std::exchange(pid, 0), SIGINT);
        LineStarting(output, "\x01", seen);  // to its end
        return pclose(std::exchange(output, nullptr));
    }
};

std::unique_ptr<frmRVBSBackupRestore> SignedIn(bool restoring) {
    auto window = std::make_unique<frmRVBSBackupRestore>();
    window->SetForRestore(restoring);
    window->show();
    window->txbUserName->setText("keeper");
    window->txbPassword->setText("secret");
    return window;
}

}  // namespace

// The fake online service as a person runs it from the build: the settings line it prints points
// the program at it, what the backup window sends the restore brings back, and Ctrl-C stops it
// with the backup listed.
TEST_F(WindowTest, RvbsSimToolServesABackupAndItsRestore) {
    Tool tool;
    ASSERT_GT(tool.pid, 0) << tool.seen;
    const std::string setting = std::string(modRVBS::EndpointSetting) + "=";
    const std::string line = LineStarting(tool.output, setting, tool.seen);
    ASSERT_FALSE(line.empty()) << tool.seen;
    home.SetMachineSetting(modRVBS::EndpointSetting, line.substr(setting.size()));
    modCommon::SetKelvoData("DataSourceGUID", "G-LIVE");
    modCommon::SetKelvoData("HoldingNumber", "12/345/6789");
    modCommon::SetKelvoData("Marker", "backed up");

    prompts.Answer(Prompts::OK);
    SignedIn(false)->cmdContinue_Click();
    ASSERT_EQ(prompts.LastText(), "Data backed up OK");
    modCommon::SetKelvoData("Marker", "changed since");
    auto restore = SignedIn(true);
    restore->cmdContinue_Click();
    ASSERT_EQ(restore->lstBackups->count(), 2);
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    restore->lstBackups->setCurrentRow(1);
    restore->lstBackups_Click();
    EXPECT_EQ(Split(prompts.LastText(), "\r\n").at(0), "Your data has been successfully restored");
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "backed up");

    EXPECT_EQ(tool.Stop(), 0);
    EXPECT_NE(tool.seen.find("Stopped; 1 backup held:\n  Backup for holding 12/345/6789 ("), std::string::npos)
        << tool.seen;
}
