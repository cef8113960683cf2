// One player connection, client side: answers each command at once from
// what is known, and hands the pipeline work to the connection's loop.
#ifndef PLAYERS_PLAYERSESSION_H
#define PLAYERS_PLAYERSESSION_H

#include <memory>
#include <string>
#include <vector>

#include "LoopThread.h"
#include "PlaybackDriver.h"
#include "PlaybinPipeline.h"
#include "SessionView.h"
#include "VideoPlane.h"
#include "players/GstPlayerService.h"
#include "zor/ServiceRegistry.h"

namespace players {

class PlayerSession : public zor::ServiceSession {
 public:
  PlayerSession(const GstPlayerSettings& settings, std::shared_ptr<VideoPlane> plane,
                std::shared_ptr<zor::EventSink> events);
  ~PlayerSession() override;

  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override;

 private:
  using Params = std::vector<std::string>;

  std::string InitPlayer(const Params& params);
  std::string StartPlayback(const Params& params);
  std::string Pause(const Params& params);
  std::string Resume(const Params& params);
  std::string Stop(const Params& params);
  std::string JumpForward(const Params& params);
  std::string JumpBackward(const Params& params);
  std::string SetPlaybackSpeed(const Params& params);
  std::string GetPlayPosition(const Params& params);
  std::string GetDuration(const Params& params);
  std::string SetDisplayArea(const Params& params);
  std::string SetAppID(const Params& params);

  std::string Jump(const Params& params, int direction);
  // Runs a driver command on the loop, after the commands before it.
  void Drive(void (PlaybackDriver::*command)());

  const std::shared_ptr<VideoPlane> m_plane;
  SessionView m_view;
  PlaybinPipeline m_pipeline;
  LoopThread m_loop;
  PlaybackDriver m_driver;
};

}  // namespace players

#endif  // PLAYERS_PLAYERSESSION_H
