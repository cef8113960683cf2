// One connection of a ScriptedService: what the test sees of it
// (ScriptedConnection) and what the service's session uses.
#ifndef ZORCLIENT_SCRIPTEDCONNECTIONIMPL_H
#define ZORCLIENT_SCRIPTEDCONNECTIONIMPL_H

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "AnswerQueues.h"
#include "ServiceWorker.h"
#include "zor/ScriptedService.h"

namespace zor {

class ScriptedConnectionImpl
    : public ScriptedConnection,
      public std::enable_shared_from_this<ScriptedConnectionImpl> {
 public:
  ScriptedConnectionImpl(std::shared_ptr<EventSink> sink,
                         std::shared_ptr<ServiceWorker> worker);

  void Answer(const std::string& command, std::string result,
              std::chrono::milliseconds delay) override;
  void End() override;
  std::vector<ReceivedCommand> Received() const override;
  void ClearReceived() override;
  void Emit(int type, std::string param1, std::string param2) override;
  bool WaitDelivered(std::chrono::milliseconds timeout) override;
  bool IsOpen() const override;

  // Service side: notes a command, then takes this connection's queued
  // answer for it, if any.
  std::optional<QueuedAnswer> Receive(const std::string& command,
                                      const std::vector<std::string>& params);
  // Waits out an answer's delay; false when the connection was ended (or
  // the service released it) first.
  bool Hold(std::chrono::milliseconds delay);
  // Ends every hold, now and later: the service object is going.
  void Release();
  void MarkClosed();

 private:
  void MarkPassed();

  const std::shared_ptr<EventSink> m_sink;
  const std::shared_ptr<ServiceWorker> m_worker;

  mutable std::mutex m_mutex;
  std::condition_variable m_passedChanged;
  std::condition_variable m_released;
  AnswerQueues m_answers;
  std::vector<ReceivedCommand> m_received;
  bool m_open = true;
  bool m_ended = false;  // by End, or released
  // Events handed to the worker, and those it passed on to the sink (or
  // dropped because the service was gone).
  uint64_t m_posted = 0;
  uint64_t m_passed = 0;
};

}  // namespace zor

#endif  // ZORCLIENT_SCRIPTEDCONNECTIONIMPL_H
