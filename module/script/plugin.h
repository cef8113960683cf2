// The script binding of one page element: the plug-in instance CPlugin,
// which owns the element's AV object and video-service user and carries its
// geometry, and the scriptable object through which page script reaches it.
#ifndef SCRIPT_PLUGIN_H
#define SCRIPT_PLUGIN_H

#include <cstdint>
#include <memory>

#include "avobject/plRuvoAVObject.h"
#include "npfunctions.h"
#include "script/VariantConversion.h"
#include "service/plRuvoVideo.h"

// One edge of the element's area, in page pixels.
enum class GeometryEdge { kLeft, kTop, kWidth, kHeight };

class CPlugin {
 public:
  // Opens the service connections, sends "SetAppID", fetches the page's
  // window object, creates the script identifiers and computes the
  // page-to-video-plane ratios. Browser-side failures do not fail it.
  explicit CPlugin(NPP instance);
  // Detaches the scriptable object first, so that script still holding it
  // reaches nothing of this instance.
  ~CPlugin();
  CPlugin(const CPlugin&) = delete;
  CPlugin& operator=(const CPlugin&) = delete;

  // Lifecycle, driven by the instance gate.
  bool init(NPWindow* window);  // false for a null window
  void shut();
  bool isInitialized() const { return m_bInitialized; }
  int16_t handleEvent(void* event);

  // The instance's scriptable object, created on first request; one
  // reference is added for the caller on every request. Null when the
  // browser cannot create it.
  NPObject* GetScriptableObject();

  // The element's attributes, given once at creation.
  void InitParams(int argc, char** argn, char** argv);
  void ParseLeftTop(const char* style);

  void SetComponentType(NSPlRuvoAVObject::COMPONENT_TYPE type) { m_eComponentType = type; }
  NSPlRuvoAVObject::COMPONENT_TYPE ComponentType() const { return m_eComponentType; }
  NSPlRuvoAVObject::CPlRuvoAVObject* AVObject() { return m_PlRuvoAVObject.get(); }

  // The element's geometry in page pixels, and the ratios into the
  // 1920 x 1080 video plane.
  int32_t Edge(GeometryEdge edge) const;
  // Stores one edge and sends the video plane the resulting area at once.
  void MoveEdge(GeometryEdge edge, int32_t pixels);
  double RatioX() const { return m_ratioX; }
  double RatioY() const { return m_ratioY; }

 private:
  void SendAppId();
  void FetchWindowObject();
  void ComputeRatios();
  // The element's area converted into video-plane coordinates.
  NSPlRuvoAVObject::stDisplayArea PlaneArea() const;
  static int32_t CPlugin::*EdgeMember(GeometryEdge edge);

  NPP m_pNPInstance;
  bool m_bInitialized = false;
  NPObject* m_pScriptableObject = nullptr;  // one reference held
  NSPlRuvoAVObject::COMPONENT_TYPE m_eComponentType = NSPlRuvoAVObject::eCOMPONENT_OTHER;
  std::unique_ptr<NSPlRuvoAVObject::CPlRuvoAVObject> m_PlRuvoAVObject;
  std::unique_ptr<NSPlRuvoAVObject::CPlRuvoVideo> m_PlRuvoVideo;
  // Held per instance (one reference each), so that instances of one page
  // living at once neither leak nor clear each other's reference. Owned by
  // a member, so a construction that fails later still releases it.
  script::BrowserObject m_pWindowObj;
  int32_t m_width = 0;
  int32_t m_height = 0;
  int32_t m_top = 0;
  int32_t m_left = 0;
  double m_ratioX = 1.0;
  double m_ratioY = 1.0;
};

// The NPObject that page script sees. The browser drives it through the
// class record of ScriptablePluginObject, whose static trampolines turn each
// call into the virtual operation of the same name. No exception leaves a
// trampoline: one thrown inside an operation ends it with false.
class ScriptablePluginObjectBase : public NPObject {
 public:
  explicit ScriptablePluginObjectBase(NPP instance);
  virtual ~ScriptablePluginObjectBase() = default;
  ScriptablePluginObjectBase(const ScriptablePluginObjectBase&) = delete;
  ScriptablePluginObjectBase& operator=(const ScriptablePluginObjectBase&) = delete;

  virtual void Invalidate();
  virtual bool HasMethod(NPIdentifier name);
  virtual bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                      NPVariant* result);
  virtual bool InvokeDefault(const NPVariant* args, uint32_t argCount, NPVariant* result);
  virtual bool HasProperty(NPIdentifier name);
  virtual bool GetProperty(NPIdentifier name, NPVariant* result);
  virtual bool SetProperty(NPIdentifier name, const NPVariant* value);
  virtual bool RemoveProperty(NPIdentifier name);
  virtual bool Enumerate(NPIdentifier** identifiers, uint32_t* count);
  virtual bool Construct(const NPVariant* args, uint32_t argCount, NPVariant* result);

  // Called by the instance while it is destroyed. Afterwards every
  // operation finds no instance and touches neither it nor its handle.
  void Detach() { m_Instance = nullptr; }
  bool IsAttached() const { return m_Instance != nullptr; }

  static void _Deallocate(NPObject* npobj);
  static void _Invalidate(NPObject* npobj);
  static bool _HasMethod(NPObject* npobj, NPIdentifier name);
  static bool _Invoke(NPObject* npobj, NPIdentifier name, const NPVariant* args, uint32_t argCount,
                      NPVariant* result);
  static bool _InvokeDefault(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                             NPVariant* result);
  static bool _HasProperty(NPObject* npobj, NPIdentifier name);
  static bool _GetProperty(NPObject* npobj, NPIdentifier name, NPVariant* result);
  static bool _SetProperty(NPObject* npobj, NPIdentifier name, const NPVariant* value);
  static bool _RemoveProperty(NPObject* npobj, NPIdentifier name);
  static bool _Enumerate(NPObject* npobj, NPIdentifier** identifiers, uint32_t* count);
  static bool _Construct(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                         NPVariant* result);

 protected:
  // The instance's CPlugin with its AV object, found through the handle's
  // pdata; null when there is none or the object was detached.
  CPlugin* LookUpPlugin() const;

  NPP m_Instance;
};

class ScriptablePluginObject : public ScriptablePluginObjectBase {
 public:
  using ScriptablePluginObjectBase::ScriptablePluginObjectBase;

  // The class record that NPN_CreateObject is given.
  static NPClass* Class();
  static NPObject* Allocate(NPP instance, NPClass* npclass);

  bool HasMethod(NPIdentifier name) override;
  bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
              NPVariant* result) override;
  bool InvokeDefault(const NPVariant* args, uint32_t argCount, NPVariant* result) override;
  bool HasProperty(NPIdentifier name) override;
  bool GetProperty(NPIdentifier name, NPVariant* result) override;
  bool SetProperty(NPIdentifier name, const NPVariant* value) override;
};

#endif  // SCRIPT_PLUGIN_H
