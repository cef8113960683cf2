#include "players/VideoService.h"

#include <vector>

namespace players {

namespace {

class VideoSession : public zor::ServiceSession {
 public:
  explicit VideoSession(int osdResolution) : m_osdResolution(osdResolution) {}
  std::string Execute(const std::string& command,
                      const std::vector<std::string>&) override {
    return command == "GetOSDResolution" ? "I" + std::to_string(m_osdResolution) : "E";
  }

 private:
  int m_osdResolution;
};

}  // namespace

std::unique_ptr<zor::ServiceSession> VideoService::Connect(
    const std::string&, const std::string&, std::shared_ptr<zor::EventSink>) {
  return std::make_unique<VideoSession>(m_osdResolution);
}

}  // namespace players
