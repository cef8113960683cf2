#include "PlayerFixture.h"

namespace playertest {

void PlayerTest::SetUp() {
  m_server = std::make_unique<FileServer>(TEST_MEDIA_DIR);
  ASSERT_TRUE(m_server->Listening());
  m_service = std::make_shared<players::GstPlayerService>(Settings());
  zor::RegisterService("Player", m_service);
}

void PlayerTest::TearDown() {
  zor::UnregisterAllServices();
  m_service.reset();
  m_server.reset();
}

std::string PlayerTest::MediaPath(const std::string& name) {
  return std::string(TEST_MEDIA_DIR) + "/" + name;
}

void PlayerTest::Play(RecordingPlayer& player, const std::string& url) {
  ASSERT_TRUE(player.OpenPlayer());
  ASSERT_EQ(player.Do("InitPlayer", url), "I1") << url.substr(0, 200);
  ASSERT_EQ(player.Do("StartPlayback"), "I1");
}

void PlayerTest::WaitUntilPlayingPast(RecordingPlayer& player, long long positionMs) {
  ASSERT_TRUE(player.WaitFor(OfType(7), kStartDeadline)) << "never played";
  ASSERT_TRUE(player.WaitFor(ProgressAtLeast(positionMs), kStartDeadline))
      << "no progress past " << positionMs << " ms";
}

}  // namespace playertest
