// The video-service connection.
#include "service/ZorBaseVideo.h"

#include <unistd.h>

namespace NSPlRuvoAVObject {

namespace {
constexpr int kOpenAttempts = 5;
constexpr useconds_t kOpenRetryPauseUs = 10000;
}  // namespace

CZorBaseVideo::CZorBaseVideo()
    : CZorCommandFamily<_NPPluginObjInfoVideo>(zor::CClientAppFactory::ZOR_CLIENT_TYPE) {}

void CZorBaseVideo::OpenVideo() { Open("Video", "1.000", "Video"); }

CZorBaseVideo::~CZorBaseVideo() { Close(); }

int CZorBaseVideo::Open(std::string service, std::string version, std::string name) {
  // The video service may still be starting: a few short retries, each
  // failed attempt (the last too) followed by a pause.
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (CZorPluginWrapper::Open(service, version, name) != 0) return 1;
    usleep(kOpenRetryPauseUs);
  }
  return 0;
}

void CZorBaseVideo::Close() { CZorPluginWrapper::Close(); }

int CZorBaseVideo::OnEvent(int, std::string, std::string) { return 1; }

}  // namespace NSPlRuvoAVObject
