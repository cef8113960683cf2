// Answers queued per command, first in first out. Not locked: the owner
// guards it.
#ifndef ZORCLIENT_ANSWERQUEUES_H
#define ZORCLIENT_ANSWERQUEUES_H

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace zor {

class AnswerQueues {
 public:
  void Push(const std::string& command, std::string result) {
    m_queues[command].push_back(std::move(result));
  }

  std::optional<std::string> Pop(const std::string& command) {
    auto it = m_queues.find(command);
    if (it == m_queues.end() || it->second.empty()) return std::nullopt;
    std::string result = std::move(it->second.front());
    it->second.pop_front();
    return result;
  }

 private:
  std::map<std::string, std::deque<std::string>> m_queues;
};

}  // namespace zor

#endif  // ZORCLIENT_ANSWERQUEUES_H
