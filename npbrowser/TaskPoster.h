// Where the browser side queues work for its main thread: the async-call
// queue and releases that must wait until script is done with an object.
// Each front end backs it with its own main loop.
#ifndef NPBROWSER_TASKPOSTER_H
#define NPBROWSER_TASKPOSTER_H

#include <functional>

namespace npbrowser {

class TaskPoster {
 public:
  using Task = std::function<void()>;
  // Any thread; the task runs later on the main thread.
  virtual void Post(Task task) = 0;

 protected:
  ~TaskPoster() = default;
};

}  // namespace npbrowser

#endif  // NPBROWSER_TASKPOSTER_H
