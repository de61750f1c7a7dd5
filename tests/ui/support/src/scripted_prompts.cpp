#include "uitest/scripted_prompts.h"

#include <QEventLoop>
#include <QTimer>

#include "ui/dialog.h"

namespace uitest {

ScriptedPrompts::ScriptedPrompts() { previous = InstallPrompts(this); }
ScriptedPrompts::~ScriptedPrompts() { InstallPrompts(previous); }

void ScriptedPrompts::QueueFile(std::string path) { answers.emplace_back(std::move(path)); }
void ScriptedPrompts::QueueCancel() { answers.emplace_back(std::nullopt); }
void ScriptedPrompts::OnMessage(std::function<void(const MessageRecord&)> callback) { onMessage = std::move(callback); }
void ScriptedPrompts::KeepMessagesOpenFor(int ms) { keepOpenMs = ms; }

std::vector<std::string> ScriptedPrompts::MessageTexts() const {
  std::vector<std::string> texts;
  for (const MessageRecord& m : messages) texts.push_back(m.text);
  return texts;
}

void ScriptedPrompts::Clear() {
  messages.clear();
  files.clear();
  answers.clear();
}

void ScriptedPrompts::ShowMessage(Dialog* owner, const std::string& text, const std::string& caption) {
  MessageRecord record;
  record.owner = owner;
  record.text = text;
  record.caption = caption;
  if (owner != nullptr) {
    record.ownerTimers = owner->RunningTimers();
    record.ownerVisible = owner->IsVisible();
  }
  messages.push_back(record);
  if (onMessage) onMessage(record);
  if (keepOpenMs > 0) {
    QEventLoop loop;
    QTimer::singleShot(keepOpenMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

std::optional<std::string> ScriptedPrompts::ChooseFile(const FileRequest& request) {
  files.push_back(FileRecord{request, QtFilterFromFilterString(request.filter)});
  if (answers.empty()) return std::nullopt;
  std::optional<std::string> answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace uitest
