#include <cstring>
#include <deque>
#include <utility>

#include "host/mfc/file_chooser_api.h"

namespace {

struct Chooser {
  FileChooser custom;
  std::deque<std::optional<std::string>> answers;
  std::vector<FileChooserCall> calls;
};

Chooser& State() {
  static Chooser chooser;
  return chooser;
}

std::vector<std::string> FilterTexts(const char* filter) {
  std::vector<std::string> texts;
  for (const char* text = filter; text && *text; text += std::strlen(text) + 1) texts.emplace_back(text);
  return texts;
}

std::optional<std::string> QueuedAnswer() {
  if (State().answers.empty()) return std::nullopt;
  std::optional<std::string> answer = State().answers.front();
  State().answers.pop_front();
  return answer;
}

}  // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog) {
  if (!dialog || !dialog->lpstrFile || dialog->nMaxFile == 0) return FALSE;
  const FileChooserCall call{dialog->hwndOwner,
                             FilterTexts(dialog->lpstrFilter),
                             dialog->nFilterIndex,
                             dialog->nMaxFile,
                             dialog->nMaxFileTitle,
                             dialog->Flags,
                             dialog->lpstrDefExt ? dialog->lpstrDefExt : ""};
  State().calls.push_back(call);
  const std::optional<std::string> chosen = State().custom ? State().custom(call) : QueuedAnswer();
  if (!chosen || chosen->empty() || chosen->size() >= dialog->nMaxFile) return FALSE;
  std::memcpy(dialog->lpstrFile, chosen->c_str(), chosen->size() + 1);
  const std::size_t slash = chosen->find_last_of("/\\");
  const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  dialog->nFileOffset = static_cast<WORD>(nameAt);
  if (dialog->lpstrFileTitle && dialog->nMaxFileTitle > 0) {
    const std::string title = chosen->substr(nameAt).substr(0, dialog->nMaxFileTitle - 1);
    std::memcpy(dialog->lpstrFileTitle, title.c_str(), title.size() + 1);
  }
  return TRUE;
}

void HostSetFileChooser(FileChooser chooser) { State().custom = std::move(chooser); }

void HostQueueFileChoice(const std::string& shiftJisPath) { State().answers.emplace_back(shiftJisPath); }

void HostQueueFileChoiceCancel() { State().answers.emplace_back(std::nullopt); }

std::vector<FileChooserCall> HostTakeFileChooserCalls() { return std::exchange(State().calls, {}); }
