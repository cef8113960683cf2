// The AV object's record of play data, shared by its operations on the
// browser's main thread and the player's event handler on the service
// thread.
#ifndef SERVICE_AVOBJMEMBER_H
#define SERVICE_AVOBJMEMBER_H

#include <atomic>
#include <cstdint>
#include <string>

namespace NSPlRuvoAVObject {

enum eAVObjPlayState : int32_t {
  eAVOBJ_PLAYSTATE_STOP = 0,
  eAVOBJ_PLAYSTATE_PLAY = 1,
  eAVOBJ_PLAYSTATE_PAUSE = 2,
  eAVOBJ_PLAYSTATE_CONNECTING = 3,
  eAVOBJ_PLAYSTATE_BUFFERING = 4,
  eAVOBJ_PLAYSTATE_FINISHED = 5,
  eAVOBJ_PLAYSTATE_ERROR = 6,
};

// The state and position are written by the service thread while the main
// thread reads and writes them: both must be whole-word atomic on the TV's
// 32-bit processor too.
static_assert(std::atomic<int32_t>::is_always_lock_free,
              "play state and position must be lock-free atomics");

struct stDisplayArea {
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
};

struct stAVObjMember_t {
  std::atomic<int32_t> mplayPosition{0};  // milliseconds
  std::atomic<int32_t> mplayState{eAVOBJ_PLAYSTATE_STOP};
  int32_t mspeed = 1;
  std::string mmediaURL;
  std::string mplayerURL;
  bool mfullScreen = false;
  stDisplayArea mdisplayArea{0, 0, 1920, 1080};
  uint32_t mcurTrackId = 0;  // holds an unsigned 16-bit id
  int32_t mmaxPrerollBufferSize = 0;
};

}  // namespace NSPlRuvoAVObject

#endif  // SERVICE_AVOBJMEMBER_H
