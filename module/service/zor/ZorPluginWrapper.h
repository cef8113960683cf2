// The platform's service-client interface, as the module uses it. The
// library behind it (libZorClient) links a client object to one named
// platform service, carries string commands to it and reports the service's
// events back on a thread of its own.
#ifndef ZOR_ZORPLUGINWRAPPER_H
#define ZOR_ZORPLUGINWRAPPER_H

#include <memory>
#include <string>

#define ZOR_EXPORT __attribute__((visibility("default")))

namespace zor {

class ZOR_EXPORT CClientAppFactory {
 public:
  enum { ZOR_CLIENT_TYPE = 1 };
};

// One client connection to one platform service.
//
// Results are tagged strings: "I" and a decimal integer, "A" and text, or
// "E" for an error. A connection that is not open answers every command
// with "E" at once.
//
// A class deriving from this one must call Close in its own destructor,
// before its members go: the base destructor closes too, but only after the
// derived part is gone, while OnEvent may still be running.
class ZOR_EXPORT CZorPluginWrapper {
 public:
  explicit CZorPluginWrapper(int clientType);
  virtual ~CZorPluginWrapper();

  CZorPluginWrapper(const CZorPluginWrapper&) = delete;
  CZorPluginWrapper& operator=(const CZorPluginWrapper&) = delete;

  // Connects to the service registered under `service`. Returns non-zero
  // only when such a service exists and accepted the connection. Events may
  // reach OnEvent as soon as this returns. Opening an open connection
  // closes it first; called from inside OnEvent, Open refuses. Throws
  // std::bad_alloc or std::system_error when resources run out (what the
  // service's Connect throws passes through too); the connection is then
  // closed, as if Close had been called.
  int Open(std::string service, std::string version, std::string name);

  // Sends one command and waits for its answer on the calling thread, but
  // not for ever: a service that does not answer within a bound (5 s unless
  // the host set another) gets "E" in its place, and the connection then
  // counts as closed, as after Close: later commands answer "E" at once and
  // no more events reach OnEvent. What the platform's own library does with
  // a silent service is not known; this one never blocks its caller longer
  // than the bound. A connection the service ended itself answers "E" too.
  std::string Execute(std::string command, std::string a1, std::string a2,
                      std::string a3, std::string a4);
  std::string Execute(std::string command, std::string a1, std::string a2,
                      std::string a3, std::string a4, std::string a5,
                      std::string a6, std::string a7, std::string a8,
                      std::string a9, std::string a10);

  // Ends the connection. When Close returns, no OnEvent of this connection
  // runs or will start, so a destructor may then release what OnEvent
  // reads. Closing twice, or closing a connection never opened, is harmless.
  // Called from inside OnEvent, Close returns at once and delivery ends when
  // that OnEvent returns; a later Close from another thread waits for it.
  void Close();

  // Called for each service event, one at a time and in the order the
  // service sent them, on a thread the library owns.
  virtual int OnEvent(int type, std::string param1, std::string param2);

 private:
  class Connection;
  std::shared_ptr<Connection> m_connection;
};

}  // namespace zor

class ZOR_EXPORT CNumberToString {
 public:
  // Writes the decimal text of `value` into `out`, replacing its content.
  static void NumberToString(std::string& out, int value);
};

#endif  // ZOR_ZORPLUGINWRAPPER_H
