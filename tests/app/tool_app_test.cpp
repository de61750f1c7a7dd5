// The whole run of InitInstance against the real globals: load before the
// panel opens, save to the start-up path after it closes, false returned.

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/globals.h"
#include "resources/dialog_templates.h"
#include "temp_dir.h"
#include "uitest/dialog_driver.h"
#include "uitest/scripted_prompts.h"

using namespace uitest;
using namespace std::string_literals;

namespace {

class ToolAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path.empty());
    previousDirectory = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    startDirectory = std::filesystem::current_path().string();
    configFile = startDirectory + "/Tovel.cfg";
  }
  void TearDown() override {
    std::filesystem::current_path(previousDirectory);
    ClearPendingModalActions();
  }

  TempDir dir;
  TempDir elsewhere;
  ScriptedPrompts prompts;
  std::filesystem::path previousDirectory;
  std::string startDirectory;
  std::string configFile;
};

TEST_F(ToolAppTest, LoadsBeforeThePanelAndSavesToTheStartPathAfterIt) {
  WriteBytes(configFile, "\x07\0\0\0"s);
  bool panelRan = false;
  WhenModal(DIALOG_CONTROL_PANEL, [&](Dialog& panel) {
    panelRan = true;
    EXPECT_EQ(&panel, &g_controlPanel);
    EXPECT_EQ(g_app.MainWindow(), &g_controlPanel);
    EXPECT_EQ(g_portSettings.configPath, configFile);
    EXPECT_EQ(g_portSettings.portIndex, 7);
    g_portSettings.portIndex = 2;  // as the port setup would
    std::filesystem::current_path(elsewhere.path);  // as browsing in a file dialog may
    PressKey(panel, VK_ESCAPE);
    EXPECT_EQ(ReadBytes(configFile), "\x07\0\0\0"s);
  });

  EXPECT_FALSE(g_app.InitInstance());

  EXPECT_TRUE(panelRan);
  EXPECT_EQ(ReadBytes(configFile), "\x02\0\0\0"s);
  EXPECT_FALSE(std::filesystem::exists(elsewhere.path + "/Tovel.cfg"));
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(ToolAppTest, FirstRunWritesComOneAfterExit) {
  WhenModal(DIALOG_CONTROL_PANEL, [](Dialog& panel) {
    EXPECT_EQ(g_portSettings.portIndex, 0);
    Click(panel, IDCANCEL);
  });
  EXPECT_FALSE(g_app.InitInstance());
  EXPECT_EQ(ReadBytes(configFile), "\0\0\0\0"s);
}

TEST_F(ToolAppTest, SaveErrorIsShownOnceAfterThePanelHasClosed) {
  std::filesystem::create_directory(configFile);
  WhenModal(DIALOG_CONTROL_PANEL, [](Dialog& panel) { ClickCloseBox(panel); });
  prompts.OnMessage([](const MessageRecord&) { EXPECT_FALSE(g_controlPanel.HasWindow()); });

  EXPECT_FALSE(g_app.InitInstance());

  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "save config info error！");
  EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
  EXPECT_EQ(prompts.Messages()[0].owner, nullptr);
}

TEST_F(ToolAppTest, RemovedWorkingDirectoryKeepsTheFileOutOfTheRoot) {
  const std::string gone = dir.path + "/gone";
  std::filesystem::create_directory(gone);
  std::filesystem::current_path(gone);
  std::filesystem::remove(gone);
  const bool rootFileBefore = std::filesystem::exists("/Tovel.cfg");
  WhenModal(DIALOG_CONTROL_PANEL, [](Dialog& panel) { Click(panel, IDCANCEL); });

  EXPECT_FALSE(g_app.InitInstance());

  EXPECT_EQ(g_portSettings.configPath, "./Tovel.cfg");
  EXPECT_EQ(std::filesystem::exists("/Tovel.cfg"), rootFileBefore);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "save config info error！");
}

}  // namespace
