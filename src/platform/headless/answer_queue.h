#pragma once
#include <deque>
#include <optional>
#include <string>

namespace talvon {

// The operator's answers, queued before the questions come: one queue for
// message boxes, one for file-open dialogs. Each box or dialog takes the
// answer at the front of its queue.
class AnswerQueue {
 public:
  // IDOK, IDYES, IDNO or IDCANCEL.
  void QueueBoxAnswer(int answer) { boxes_.push_back(answer); }
  // A chosen file (full controller path), or a cancelled dialog.
  void QueueFile(std::string path) { files_.push_back(std::move(path)); }
  void QueueFileCancel() { files_.push_back(std::nullopt); }

  std::optional<int> TakeBoxAnswer();
  // No value: nothing queued. A value holding no path: cancel.
  std::optional<std::optional<std::string>> TakeFileAnswer();

  std::size_t PendingBoxAnswers() const { return boxes_.size(); }
  std::size_t PendingFileAnswers() const { return files_.size(); }
  void Clear() {
    boxes_.clear();
    files_.clear();
  }

 private:
  std::deque<int> boxes_;
  std::deque<std::optional<std::string>> files_;
};

}  // namespace talvon
