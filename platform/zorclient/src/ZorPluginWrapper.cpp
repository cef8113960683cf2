#include "zor/ZorPluginWrapper.h"

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "CommandWorker.h"
#include "EventDelivery.h"
#include "ServiceLookup.h"

namespace zor {

// The state behind one client object. The wrapper creates it once and keeps
// it for life, so the wrapper's own member is never written concurrently;
// what changes on Open and Close is guarded here.
class CZorPluginWrapper::Connection {
 public:
  explicit Connection(CZorPluginWrapper& owner) : m_owner(owner) {}

  // What the service's Connect, an allocation or the delivery thread's
  // creation throws reaches the caller unchanged, and leaves the connection
  // closed: nothing installed, the service's session gone, no thread.
  int Open(const std::string& service, const std::string& version,
           const std::string& name) {
    if (OnOwnDeliveryThread()) return 0;  // the old thread still runs OnEvent
    Close();
    std::shared_ptr<Service> target = FindService(service);
    if (!target) return 0;
    auto delivery = std::make_shared<EventDelivery>();
    std::shared_ptr<ServiceSession> session;
    try {
      // The shared owner is made here, so that installing cannot fail.
      session = target->Connect(version, name, delivery);
    } catch (...) {
      delivery->Stop();  // what the service emitted into it is dropped
      throw;
    }
    if (!session) {
      delivery->Stop();
      return 0;
    }
    auto worker = std::make_shared<CommandWorker>(std::move(session));
    Install(worker, delivery);
    CZorPluginWrapper* owner = &m_owner;
    try {
      worker->Start();
      delivery->Start([owner](int type, std::string param1, std::string param2) {
        owner->OnEvent(type, std::move(param1), std::move(param2));
      });
    } catch (...) {
      Uninstall(delivery);
      throw;
    }
    return 1;
  }

  // A command not answered within the bound closes the connection that
  // sent it, unless another Open or Close came between.
  std::string Execute(const std::string& command,
                      std::vector<std::string> params) {
    std::shared_ptr<CommandWorker> worker;
    std::shared_ptr<EventDelivery> delivery;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      worker = m_worker;
      delivery = m_delivery;
    }
    if (!worker || delivery->EndedByService()) return "E";
    std::optional<std::string> answer =
        worker->Execute(command, std::move(params), CommandTimeout());
    if (answer) return std::move(*answer);
    CloseIfCurrent(worker);
    return "E";
  }

  void Close() {
    std::shared_ptr<CommandWorker> worker;
    std::shared_ptr<EventDelivery> delivery;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      worker = std::move(m_worker);
      // The delivery stays: a later Close from another thread must still
      // wait for it when this one came from inside OnEvent.
      delivery = m_delivery;
    }
    End(worker, delivery);
  }

 private:
  bool OnOwnDeliveryThread() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_delivery && m_delivery->IsDeliveryThread();
  }

  // Delivery first, then the commands: the service learns of the close
  // (its session goes) after delivery ended, and at once unless a command
  // it never answered still runs.
  static void End(const std::shared_ptr<CommandWorker>& worker,
                  const std::shared_ptr<EventDelivery>& delivery) {
    if (delivery) delivery->Stop();
    if (worker) worker->Stop().reset();
  }

  void CloseIfCurrent(const std::shared_ptr<CommandWorker>& worker) {
    std::shared_ptr<EventDelivery> delivery;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_worker != worker) return;
      m_worker = nullptr;
      delivery = m_delivery;
    }
    End(worker, delivery);
  }

  // Makes a new connection current. Another Open racing on the same object
  // may have installed one meanwhile; it is closed like any old one.
  void Install(std::shared_ptr<CommandWorker> worker,
               std::shared_ptr<EventDelivery> delivery) {
    std::shared_ptr<CommandWorker> oldWorker;
    std::shared_ptr<EventDelivery> oldDelivery;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      oldWorker = std::exchange(m_worker, std::move(worker));
      oldDelivery = std::exchange(m_delivery, std::move(delivery));
    }
    End(oldWorker, oldDelivery);
  }

  // Closes the connection Install made current with `delivery`, whose
  // threads did not both start. A Close or another Open that came between
  // has already ended it.
  void Uninstall(const std::shared_ptr<EventDelivery>& delivery) {
    std::shared_ptr<CommandWorker> worker;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_delivery != delivery) return;
      worker = std::move(m_worker);
    }
    End(worker, delivery);  // nothing was delivered or run: returns at once
  }

  CZorPluginWrapper& m_owner;
  std::mutex m_mutex;
  // Shared so that an Execute running on another thread, and a command the
  // service never answered, keep the session alive through a Close.
  std::shared_ptr<CommandWorker> m_worker;  // null while not open
  std::shared_ptr<EventDelivery> m_delivery;  // the last one, even closed
};

CZorPluginWrapper::CZorPluginWrapper(int /*clientType*/)
    : m_connection(std::make_shared<Connection>(*this)) {}

CZorPluginWrapper::~CZorPluginWrapper() { Close(); }

int CZorPluginWrapper::Open(std::string service, std::string version,
                            std::string name) {
  return m_connection->Open(service, version, name);
}

std::string CZorPluginWrapper::Execute(std::string command, std::string a1,
                                       std::string a2, std::string a3,
                                       std::string a4) {
  return m_connection->Execute(
      command, {std::move(a1), std::move(a2), std::move(a3), std::move(a4)});
}

std::string CZorPluginWrapper::Execute(std::string command, std::string a1,
                                       std::string a2, std::string a3,
                                       std::string a4, std::string a5,
                                       std::string a6, std::string a7,
                                       std::string a8, std::string a9,
                                       std::string a10) {
  return m_connection->Execute(
      command, {std::move(a1), std::move(a2), std::move(a3), std::move(a4),
                std::move(a5), std::move(a6), std::move(a7), std::move(a8),
                std::move(a9), std::move(a10)});
}

void CZorPluginWrapper::Close() { m_connection->Close(); }

int CZorPluginWrapper::OnEvent(int /*type*/, std::string /*param1*/,
                               std::string /*param2*/) {
  return 0;  // a client without a handler ignores events
}

}  // namespace zor
