#pragma once
// Answers the program's prompts in tests and records what was asked. Installs
// itself for its lifetime; the previous prompts come back afterwards.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/prompts.h"

namespace uitest {

struct MessageRecord {
  Dialog* owner = nullptr;
  std::string text;
  std::string caption;
  std::vector<int> ownerTimers;  // timers of the owner running when it was shown
  bool ownerVisible = false;     // whether the owner's window was on screen then
};

struct FileRecord {
  FileRequest request;   // kind, title, filter, initial name, flags, owner
  std::string qtFilter;  // the filter as the Qt dialog would get it
};

class ScriptedPrompts : public Prompts {
 public:
  ScriptedPrompts();
  ~ScriptedPrompts() override;
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

  // File dialogs take their answers from this queue in order; an empty queue cancels.
  void QueueFile(std::string path);
  void QueueCancel();
  // Runs when a message box is shown (after it is recorded), as if the user
  // looked at the screen while it is up.
  void OnMessage(std::function<void(const MessageRecord&)> callback);
  // Keeps every message box "open" for ms by running a nested event loop, as a
  // real one does until dismissed: timers keep ticking meanwhile.
  void KeepMessagesOpenFor(int ms);

  const std::vector<MessageRecord>& Messages() const { return messages; }
  std::vector<std::string> MessageTexts() const;
  const std::vector<FileRecord>& FileRequests() const { return files; }
  void Clear();

  void ShowMessage(Dialog* owner, const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseFile(const FileRequest& request) override;

 private:
  Prompts* previous = nullptr;
  std::deque<std::optional<std::string>> answers;
  std::function<void(const MessageRecord&)> onMessage;
  int keepOpenMs = 0;
  std::vector<MessageRecord> messages;
  std::vector<FileRecord> files;
};

}  // namespace uitest
