// The plug-in instance: construction and teardown, the window lifecycle, the
// scriptable object, and the element's geometry on the video plane.
#include "script/plugin.h"

#include <cstdio>

#include "host/np_log.h"
#include "script/NumberConversion.h"
#include "script/ScriptMembers.h"
#include "script/WidgetSize.h"

using NSPlRuvoAVObject::CPlRuvoAVObject;
using NSPlRuvoAVObject::CPlRuvoVideo;
using NSPlRuvoAVObject::stDisplayArea;

namespace {

constexpr char kLogSource[] = "plugin";

// Host-specific browser variables: the application's number and name.
constexpr NPNVariable kAppIdVariable = static_cast<NPNVariable>(19);
constexpr NPNVariable kAppNameVariable = static_cast<NPNVariable>(20);
constexpr size_t kAppNameSize = 1024;
// The number's text keeps at most seven characters; a longer one is cut.
constexpr size_t kAppIdTextSize = 8;

}  // namespace

CPlugin::CPlugin(NPP instance) : m_pNPInstance(instance) {
  m_PlRuvoAVObject = std::make_unique<CPlRuvoAVObject>();
  m_PlRuvoVideo = std::make_unique<CPlRuvoVideo>();
  SendAppId();
  FetchWindowObject();
  script::CreateScriptIdentifiers();
  m_PlRuvoAVObject->mwindowObj = m_pWindowObj.get();
  m_PlRuvoAVObject->mnpInstance = m_pNPInstance;
  NPLOG(nplog::kTrace, "CPlRuvoTVControl::CPlRuvoTVControl to get width/height ratio");
  ComputeRatios();
  if (!m_pWindowObj) NPLOG(nplog::kTrace, "sWindowObj is NULL");
  if (m_pNPInstance == nullptr) NPLOG(nplog::kTrace, "m_pNPInstance is NULL");
}

CPlugin::~CPlugin() {
  // Script may keep the scriptable object after the element is gone.
  if (m_pScriptableObject != nullptr) {
    static_cast<ScriptablePluginObjectBase*>(m_pScriptableObject)->Detach();
  }
  m_PlRuvoAVObject.reset();  // closes the player connection, drops callbacks
  m_PlRuvoVideo.reset();
  m_pWindowObj.reset();
  if (m_pScriptableObject != nullptr) NPNFuncs.releaseobject(m_pScriptableObject);
}

void CPlugin::SendAppId() {
  // Zeroed first: the browser may answer neither variable.
  int32_t appId = 0;
  NPNFuncs.getvalue(m_pNPInstance, kAppIdVariable, &appId);
  char appName[kAppNameSize] = {};
  NPNFuncs.getvalue(m_pNPInstance, kAppNameVariable, appName);
  appName[kAppNameSize - 1] = '\0';
  char appIdText[kAppIdTextSize];
  snprintf(appIdText, sizeof appIdText, "%d", static_cast<int>(appId));
  m_PlRuvoAVObject->Execute("SetAppID", appIdText, appName, "", "");
}

void CPlugin::FetchWindowObject() {
  NPObject* window = nullptr;
  const NPError error = NPNFuncs.getvalue(m_pNPInstance, NPNVWindowNPObject, &window);
  NPLOG_AS("CPlugin", nplog::kTrace, "NPNFuncs.getvalue@NPNVWindowNPObject nperr::(%d)\n",
        static_cast<int>(error));
  // A failed call hands over no reference.
  if (error == NPERR_NO_ERROR) m_pWindowObj.reset(window);
}

void CPlugin::ComputeRatios() {
  const int32_t width = script::ReadWidgetWidth(m_pNPInstance, m_pWindowObj.get());
  m_ratioX = static_cast<double>(script::kVideoPlaneWidth) / width;
  const int32_t height = script::ReadWidgetHeight(m_pNPInstance, m_pWindowObj.get());
  m_PlRuvoAVObject->mscreenHeight = height;
  m_ratioY = static_cast<double>(script::kVideoPlaneHeight) / height;
  NPLOG_AS("CPlugin", nplog::kInfo, "ratio:[%f][%f]", m_ratioX, m_ratioY);
}

bool CPlugin::init(NPWindow* window) {
  if (window == nullptr) return false;
  m_bInitialized = true;
  return true;
}

void CPlugin::shut() {
  m_bInitialized = false;
  if (m_PlRuvoAVObject) m_PlRuvoAVObject->AVObject_Shutdown();
}

int16_t CPlugin::handleEvent(void*) { return 0; }

NPObject* CPlugin::GetScriptableObject() {
  if (m_pScriptableObject == nullptr) {
    m_pScriptableObject = NPNFuncs.createobject(m_pNPInstance, ScriptablePluginObject::Class());
    if (m_pScriptableObject == nullptr) return nullptr;
  }
  // The creation's reference stays with the instance; this one is the
  // caller's.
  return NPNFuncs.retainobject(m_pScriptableObject);
}

int32_t CPlugin::*CPlugin::EdgeMember(GeometryEdge edge) {
  switch (edge) {
    case GeometryEdge::kLeft:
      return &CPlugin::m_left;
    case GeometryEdge::kTop:
      return &CPlugin::m_top;
    case GeometryEdge::kWidth:
      return &CPlugin::m_width;
    case GeometryEdge::kHeight:
      return &CPlugin::m_height;
  }
  return &CPlugin::m_left;
}

int32_t CPlugin::Edge(GeometryEdge edge) const { return this->*EdgeMember(edge); }

stDisplayArea CPlugin::PlaneArea() const {
  return {script::ScaleToPlane(m_left, m_ratioX), script::ScaleToPlane(m_top, m_ratioY),
          script::ScaleToPlane(m_width, m_ratioX), script::ScaleToPlane(m_height, m_ratioY)};
}

void CPlugin::MoveEdge(GeometryEdge edge, int32_t pixels) {
  this->*EdgeMember(edge) = pixels;
  if (!m_PlRuvoAVObject) return;
  const stDisplayArea a = PlaneArea();
  // Only the moved edge is recorded; the video gets the whole area at once,
  // in full screen too.
  stDisplayArea& saved = m_PlRuvoAVObject->stAVObjMember.mdisplayArea;
  switch (edge) {
    case GeometryEdge::kLeft:
      saved.x = a.x;
      NPLOG_AS("SetProperty", nplog::kInfo, "[RuvoAVObject::plugin_left_id]:[%d][%d][%d][%d][%f][%f]\n", a.x, a.y,
            a.w, a.h, m_ratioX, m_ratioY);
      break;
    case GeometryEdge::kTop:
      saved.y = a.y;
      NPLOG_AS("SetProperty", nplog::kInfo, "[RuvoAVObject::plugin_top_id]:[%d][%d][%d][%d][%f][%f]\n", a.x, a.y, a.w,
            a.h, m_ratioX, m_ratioY);
      break;
    case GeometryEdge::kWidth:
      saved.w = a.w;
      NPLOG_AS("SetProperty", nplog::kInfo, "[RuvoAVObject::plugin_width_id]:[%d][%d][%d][%d][%f][%f]\n", a.x, a.y,
            a.w, a.h, m_ratioX, m_ratioY);
      break;
    case GeometryEdge::kHeight:
      saved.h = a.h;
      NPLOG_AS("SetProperty", nplog::kInfo, "[RuvoAVObject::plugin_height_id]:[%d][%d][%d][%d][%f][%f]\n", a.x, a.y,
            a.w, a.h, m_ratioX, m_ratioY);
      break;
  }
  m_PlRuvoAVObject->SetDisplayArea(a.x, a.y, a.w, a.h);
}
