// The GStreamer player service registered as "Player" for each case, with
// the generated media on disk and behind a local HTTP server.
#ifndef TESTS_PLAYERS_GST_PLAYERFIXTURE_H
#define TESTS_PLAYERS_GST_PLAYERFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "RecordingPlayer.h"
#include "TestServers.h"
#include "players/GstPlayerService.h"
#include "zor/ServiceRegistry.h"

namespace playertest {

// Deadlines, not delays: a passing case waits only as long as playback
// takes. Generous for sanitizer builds on a loaded machine.
constexpr milliseconds kStartDeadline{15000};
constexpr milliseconds kAnswerDeadline{250};
// Longer than one progress period: a stray progress event would show.
constexpr milliseconds kQuietWindow{1200};

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The settings each case's service gets.
  virtual players::GstPlayerSettings Settings() const { return {}; }

  static std::string MediaPath(const std::string& name);
  static std::string FileUrl(const std::string& name) { return "file://" + MediaPath(name); }
  std::string HttpUrl(const std::string& path) const { return m_server->Url("/" + path); }

  // Opens `player`, gives it `url` and starts playback.
  static void Play(RecordingPlayer& player, const std::string& url);
  // Waits for the playing event and then for progress past `positionMs`.
  static void WaitUntilPlayingPast(RecordingPlayer& player, long long positionMs);

  std::shared_ptr<players::GstPlayerService> m_service;
  std::unique_ptr<FileServer> m_server;
};

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_PLAYERFIXTURE_H
