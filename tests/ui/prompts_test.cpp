#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/dialog.h"
#include "ui/prompts.h"
#include "ui/qt_bridge.h"
#include "resources/dialog_templates.h"
#include "uitest/dialog_driver.h"
#include "uitest/scripted_prompts.h"

using testing::ElementsAre;

TEST(FileFilter, ConvertsToQtNameFilters) {
  struct Case {
    const char* in;
    const char* out;
  } const cases[] = {
      {"rom image file(*.bin)|*.bin||", "rom image file(*.bin) (*.bin)"},
      {"rom image file(*.bin)|*.bin|", "rom image file(*.bin) (*.bin)"},
      {"images|*.bin;*.rom|all files|*.*||", "images (*.bin *.rom);;all files (*.*)"},
      {"", ""},
      {"no pattern", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(QtFilterFromFilterString(c.in), c.out) << c.in;
}

TEST(ScriptedPrompts, AnswersFileDialogsInOrderAndRecordsEachRequest) {
  uitest::ScriptedPrompts prompts;
  prompts.QueueFile("/tmp/a/rom.bin");
  prompts.QueueCancel();
  FileRequest save;
  save.kind = FileDialogKind::Save;
  save.title = "save as rom(*.bin) file";
  save.filter = "rom image file(*.bin)|*.bin||";
  save.initialName = "rom.bin";
  save.confirmOverwrite = true;
  save.hideReadOnly = true;
  FileDialog first(save);
  EXPECT_EQ(first.DoModal(), IDOK);
  EXPECT_EQ(first.GetPathName(), "/tmp/a/rom.bin");
  FileDialog second(save);
  EXPECT_EQ(second.DoModal(), IDCANCEL);
  EXPECT_EQ(second.GetPathName(), "");
  FileDialog third(save);  // queue empty: cancelled
  EXPECT_EQ(third.DoModal(), IDCANCEL);
  ASSERT_EQ(prompts.FileRequests().size(), 3u);
  const uitest::FileRecord& r = prompts.FileRequests()[0];
  EXPECT_EQ(r.request.kind, FileDialogKind::Save);
  EXPECT_EQ(r.request.title, "save as rom(*.bin) file");
  EXPECT_EQ(r.request.initialName, "rom.bin");
  EXPECT_TRUE(r.request.confirmOverwrite);
  EXPECT_FALSE(r.request.fileMustExist);
  EXPECT_EQ(r.qtFilter, "rom image file(*.bin) (*.bin)");
}

TEST(ScriptedPrompts, RecordsMessagesRunsTheCallbackAndUninstallsItself) {
  Prompts* before = &CurrentPrompts();
  {
    uitest::ScriptedPrompts prompts;
    EXPECT_EQ(&CurrentPrompts(), &prompts);
    std::vector<std::string> seen;
    prompts.OnMessage([&](const uitest::MessageRecord& m) { seen.push_back(m.text); });
    EXPECT_EQ(MessageBox("save config info error！"), IDOK);
    MessageBox("save data error！", "error");
    ASSERT_EQ(prompts.Messages().size(), 2u);
    EXPECT_EQ(prompts.Messages()[0].owner, nullptr);
    EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
    EXPECT_EQ(prompts.Messages()[1].caption, "error");
    EXPECT_THAT(seen, ElementsAre("save config info error！", "save data error！"));
  }
  EXPECT_EQ(&CurrentPrompts(), before);
}

// The Qt prompts, looked at while they are up, then closed as a user would.
TEST(QtPrompts, MessageBoxHasNoIconAndOnlyAnOkButton) {
  Dialog owner(DIALOG_CONNECT);
  bool looked = false;
  uitest::RunModal(owner, [&] {
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("Morvane 1.0"));
      EXPECT_EQ(box->text(), QString::fromUtf8("no answer！\nsecond line"));
      EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      EXPECT_EQ(box->parentWidget(), DialogAccess::Window(owner));
      looked = true;
      box->button(QMessageBox::Ok)->click();
    });
    owner.MessageBox("no answer！\r\nsecond line");
    owner.EndDialog(IDCANCEL);
  });
  EXPECT_TRUE(looked);
}

TEST(QtPrompts, FileDialogIsQtsOwnWithFilterNameAndMode) {
  struct Case {
    FileDialogKind kind;
    bool mustExist;
    bool confirm;
  } const cases[] = {{FileDialogKind::Open, true, true}, {FileDialogKind::Save, false, true}};
  for (const Case& c : cases) {
    FileRequest request;
    request.kind = c.kind;
    request.title = "open rom(*.bin) file";
    request.filter = "rom image file(*.bin)|*.bin||";
    request.initialName = "rom.bin";
    request.fileMustExist = c.mustExist;
    request.confirmOverwrite = c.confirm;
    bool looked = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
      EXPECT_EQ(dialog->windowTitle(), QStringLiteral("open rom(*.bin) file"));
      EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("rom image file(*.bin) (*.bin)")});
      EXPECT_EQ(dialog->acceptMode(),
                c.kind == FileDialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      EXPECT_EQ(dialog->fileMode(), c.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
      EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      EXPECT_TRUE(dialog->selectedFiles().value(0).endsWith(QStringLiteral("/rom.bin")));
      looked = true;
      dialog->reject();
    });
    FileDialog fileDialog(request);
    EXPECT_EQ(fileDialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(looked);
  }
}
