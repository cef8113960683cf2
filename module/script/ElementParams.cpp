// The element's attributes at creation: the media URL for the AV object, and
// the element's area from "width", "height" and "style".
#include <cstring>

#include "host/np_log.h"
#include "script/NumberConversion.h"
#include "script/StyleValue.h"
#include "script/plugin.h"

namespace {
constexpr char kLogSource[] = "plugin";
}  // namespace

void CPlugin::InitParams(int argc, char** argn, char** argv) {
  m_width = m_height = m_top = m_left = 0;
  if (!m_PlRuvoAVObject) return;
  m_PlRuvoAVObject->Init(argc, argn, argv);
  if (argc <= 0 || argn == nullptr || argv == nullptr) return;
  for (int i = 0; i < argc; ++i) {
    const char* name = argn[i];
    const char* value = argv[i];
    // An attribute without a value counts as absent.
    if (name == nullptr || value == nullptr) continue;
    if (strcmp(name, "style") == 0) {
      ParseLeftTop(value);
    } else if (strcmp(name, "width") == 0) {
      m_width = script::ParseDecimal(value);
      NPLOG(nplog::kTrace, "CPlugin::InitParams:width:[%d]", m_width);
    } else if (strcmp(name, "height") == 0) {
      m_height = script::ParseDecimal(value);
      NPLOG(nplog::kTrace, "CPlugin::InitParams:height:[%d]", m_height);
    }
  }
}

void CPlugin::ParseLeftTop(const char* style) {
  if (style == nullptr || !m_PlRuvoAVObject) return;
  NPLOG(nplog::kTrace, "CPlugin::ParseLeftTop:[%s]", style);
  script::ReadStyleValue(style, "left", &m_left);
  script::ReadStyleValue(style, "top", &m_top);
  NPLOG(nplog::kInfo, "CPlugin::ParseLeftTop,top:[%d],left:[%d]", m_top, m_left);
  // A size given by an attribute met earlier wins over the style's.
  if (m_width == 0) script::ReadStyleValue(style, "width", &m_width);
  if (m_height == 0) script::ReadStyleValue(style, "height", &m_height);
  NPLOG(nplog::kInfo, "CPlugin::ParseLeftTop,width:[%d],height:[%d]", m_width, m_height);
  // Saved for the next play; no command is sent here.
  m_PlRuvoAVObject->stAVObjMember.mdisplayArea = PlaneArea();
}
