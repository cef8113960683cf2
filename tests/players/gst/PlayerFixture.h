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
  void SetUp() override {
    m_server = std::make_unique<FileServer>(TEST_MEDIA_DIR);
    ASSERT_TRUE(m_server->Listening());
    m_service = std::make_shared<players::GstPlayerService>(Settings());
    zor::RegisterService("Player", m_service);
  }
  // The service goes before the server: the members go in reverse order.
  void TearDown() override { zor::UnregisterAllServices(); }
  // The settings each case's service gets.
  virtual players::GstPlayerSettings Settings() const { return {}; }

  static std::string FileUrl(const std::string& name) {
    return std::string("file://" TEST_MEDIA_DIR "/") + name;
  }
  std::string HttpUrl(const std::string& path) const { return m_server->Url("/" + path); }

  // Opens `player`, gives it `url` and starts playback.
  static void Play(RecordingPlayer& player, const std::string& url) {
    ASSERT_TRUE(player.OpenPlayer());
    ASSERT_EQ(player.Do("InitPlayer", url), "I1") << url.substr(0, 200);
    ASSERT_EQ(player.Do("StartPlayback"), "I1");
  }
  // Waits for the playing event and then for progress past `positionMs`.
  static void WaitUntilPlayingPast(RecordingPlayer& player, long long positionMs) {
    ASSERT_TRUE(player.WaitFor(OfType(7), kStartDeadline)) << "never played";
    ASSERT_TRUE(player.WaitFor(ProgressAtLeast(positionMs), kStartDeadline))
        << "no progress past " << positionMs << " ms";
  }

  std::unique_ptr<FileServer> m_server;
  std::shared_ptr<players::GstPlayerService> m_service;
};

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_PLAYERFIXTURE_H
