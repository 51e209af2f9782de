#include "platform/headless/answer_queue.h"

namespace talvon {

std::optional<int> AnswerQueue::TakeBoxAnswer() {
  if (boxes_.empty()) return std::nullopt;
  int answer = boxes_.front();
  boxes_.pop_front();
  return answer;
}

std::optional<std::optional<std::string>> AnswerQueue::TakeFileAnswer() {
  if (files_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(files_.front());
  files_.pop_front();
  return answer;
}

}  // namespace talvon
