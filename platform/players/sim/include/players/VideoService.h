// The platform's video service as tvhost provides it: "GetOSDResolution" is
// answered with the configured code, anything else with "E".
#ifndef PLAYERS_VIDEOSERVICE_H
#define PLAYERS_VIDEOSERVICE_H

#include <memory>
#include <string>

#include "zor/ServiceRegistry.h"

namespace players {

class VideoService : public zor::Service {
 public:
  explicit VideoService(int osdResolution) : m_osdResolution(osdResolution) {}
  std::unique_ptr<zor::ServiceSession> Connect(
      const std::string& version, const std::string& name,
      std::shared_ptr<zor::EventSink> events) override;

 private:
  int m_osdResolution;
};

}  // namespace players

#endif  // PLAYERS_VIDEOSERVICE_H
