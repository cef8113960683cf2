// The module's connection to the platform's video service: opened with a few
// retries, and deaf to the service's events.
#ifndef SERVICE_ZORBASEVIDEO_H
#define SERVICE_ZORBASEVIDEO_H

#include <string>

#include "service/ZorCommandFamily.h"

struct _NPPluginObjInfoVideo;  // opaque; never read

namespace NSPlRuvoAVObject {

// Like the player connection, it does not open itself: the most-derived
// class opens it once its own construction is done and closes it first
// thing in its destructor, so that OnEvent never meets a half-built or
// half-destroyed object.
class CZorBaseVideo : public CZorCommandFamily<_NPPluginObjInfoVideo> {
 public:
  CZorBaseVideo();
  ~CZorBaseVideo() override;

  // Up to five attempts, each failed one followed by a 10 ms pause.
  int Open(std::string service, std::string version, std::string name);
  void Close();
  int OnEvent(int type, std::string param1, std::string param2) override;

 protected:
  // "Video", version "1.000", with the retries of Open; the result ignored.
  void OpenVideo();
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_ZORBASEVIDEO_H
