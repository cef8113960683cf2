// The client side of one connection's events: a queue filled by the service
// (through EventSink) and a thread of its own that hands the events, one at
// a time and in order, to the client.
#ifndef ZORCLIENT_EVENTDELIVERY_H
#define ZORCLIENT_EVENTDELIVERY_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "zor/ServiceRegistry.h"

namespace zor {

class EventDelivery : public EventSink,
                      public std::enable_shared_from_this<EventDelivery> {
 public:
  using Handler = std::function<void(int, std::string, std::string)>;

  EventDelivery() = default;
  ~EventDelivery() override;

  EventDelivery(const EventDelivery&) = delete;
  EventDelivery& operator=(const EventDelivery&) = delete;

  // Queues one event. Events emitted before Start wait for it; after Stop
  // they are dropped.
  void Emit(int type, std::string param1, std::string param2) override;
  bool WaitDelivered(std::chrono::milliseconds timeout) override;
  void EndConnection() override;
  bool EndedByService() const;

  // Starts the delivery thread. Does nothing once started or stopped.
  // Throws std::system_error or std::bad_alloc when the thread cannot be
  // created; delivery is then not started, and Stop returns at once.
  void Start(Handler handler);

  // Drops what is queued and ends delivery. From any other thread, returns
  // once the handler no longer runs; from the delivery thread itself (a
  // handler closing its own connection) it only marks the end, and the
  // thread stops after the running handler returns. Safe to call again.
  void Stop();

  // True on the delivery thread, that is inside the handler.
  bool IsDeliveryThread() const;

 private:
  struct Event {
    int type;
    std::string param1;
    std::string param2;
  };

  void Run();
  void JoinThread();

  mutable std::mutex m_mutex;
  std::condition_variable m_queued;    // an event, or the stop
  std::condition_variable m_progress;  // an event done, or the thread ended
  std::deque<Event> m_queue;
  Handler m_handler;
  std::thread m_thread;
  std::thread::id m_threadId;  // kept when m_thread is moved out to join
  bool m_started = false;
  bool m_stopped = false;
  bool m_finished = false;
  bool m_endedByService = false;  // the thread passed its last handler call
  // Every accepted event ends either delivered or dropped; WaitDelivered
  // compares the two counts.
  uint64_t m_accepted = 0;
  uint64_t m_done = 0;
};

}  // namespace zor

#endif  // ZORCLIENT_EVENTDELIVERY_H
