// Answers queued per command, first in first out. Not locked: the owner
// guards it.
#ifndef ZORCLIENT_ANSWERQUEUES_H
#define ZORCLIENT_ANSWERQUEUES_H

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace zor {

// One queued answer, and how long the service holds it back (negative:
// for ever).
struct QueuedAnswer {
  std::string result;
  std::chrono::milliseconds delay{0};
};

class AnswerQueues {
 public:
  void Push(const std::string& command, std::string result,
            std::chrono::milliseconds delay = {}) {
    m_queues[command].push_back(QueuedAnswer{std::move(result), delay});
  }

  std::optional<QueuedAnswer> Pop(const std::string& command) {
    auto it = m_queues.find(command);
    if (it == m_queues.end() || it->second.empty()) return std::nullopt;
    QueuedAnswer answer = std::move(it->second.front());
    it->second.pop_front();
    return answer;
  }

 private:
  std::map<std::string, std::deque<QueuedAnswer>> m_queues;
};

}  // namespace zor

#endif  // ZORCLIENT_ANSWERQUEUES_H
