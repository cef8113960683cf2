// A service that answers every command "I1" at once and leaves its events
// to the benchmark's thread, which stands for the service's own: nothing of
// a test service's own threads between the benchmark and the module.
#ifndef BENCHMARKS_DIRECTSERVICE_H
#define BENCHMARKS_DIRECTSERVICE_H

#include <memory>
#include <string>
#include <vector>

#include "zor/ServiceRegistry.h"

class DirectService : public zor::Service {
 public:
  class Session : public zor::ServiceSession {
   public:
    std::string Execute(const std::string&, const std::vector<std::string>&) override {
      return "I1";
    }
  };
  std::unique_ptr<zor::ServiceSession> Connect(
      const std::string&, const std::string&, std::shared_ptr<zor::EventSink> events) override {
    sink = std::move(events);
    return std::make_unique<Session>();
  }
  std::shared_ptr<zor::EventSink> sink;
};

#endif  // BENCHMARKS_DIRECTSERVICE_H
