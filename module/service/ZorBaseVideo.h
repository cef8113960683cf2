// The module's connection to the platform's video service: opened with a few
// retries, and deaf to the service's events.
#ifndef SERVICE_ZORBASEVIDEO_H
#define SERVICE_ZORBASEVIDEO_H

#include <string>

#include "service/ZorCommandFamily.h"

struct _NPPluginObjInfoVideo;  // opaque; never read

namespace NSPlRuvoAVObject {

class CZorBaseVideo : public CZorCommandFamily<_NPPluginObjInfoVideo> {
 public:
  CZorBaseVideo();
  ~CZorBaseVideo() override;

  // Up to five attempts, each failed one followed by a 10 ms pause.
  int Open(std::string service, std::string version, std::string name);
  void Close();
  int OnEvent(int type, std::string param1, std::string param2) override;
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_ZORBASEVIDEO_H
