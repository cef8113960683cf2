// The properties page script reads and writes on the element.
#include <cstdint>
#include <string>

#include "host/np_log.h"
#include "script/ScriptHandlers.h"
#include "script/VariantConversion.h"

namespace script {

namespace {

constexpr char kLogSource[] = "plugin";
// Every line here is written on behalf of the script operation that the
// browser called.
constexpr char kSetProperty[] = "SetProperty";

// A copy of a string value for the AV object; null, after logging, when the
// browser cannot allocate it.
BrowserText CopyStringValue(const NPVariant& value) {
  BrowserText copy = CopyToBrowserText(value.value.stringValue);
  if (!copy) NPLOG_AS(kSetProperty, nplog::kTrace, "Memory Allocation Failed!!!");
  return copy;
}

// A registered callback as script reads it back: the name if there is one,
// else the function object, else nothing.
bool GetCallback(const char* name, NPObject* function, NPVariant* result) {
  if (name != nullptr) return SetStringResult(name, result);
  if (function != nullptr) SetObjectResult(function, result);
  return true;
}

}  // namespace

bool GetData(ScriptTarget& target, NPVariant* result) {
  std::string url;
  target.av.GetMediaURL(nullptr, url);
  return SetStringResult(url.c_str(), result);
}

bool GetPlayPosition(ScriptTarget& target, NPVariant* result) {
  // The last position the player reported; the player is not asked.
  SetInt32Result(target.av.stAVObjMember.mplayPosition, result);
  return true;
}

bool GetPlayTime(ScriptTarget& target, NPVariant* result) {
  unsigned long duration = 0;
  target.av.GetPlayTime(nullptr, &duration);
  SetInt32Result(static_cast<int32_t>(static_cast<uint32_t>(duration)), result);
  return true;
}

bool GetPlayState(ScriptTarget& target, NPVariant* result) {
  SetInt32Result(target.av.stAVObjMember.mplayState, result);
  return true;
}

bool GetSpeed(ScriptTarget& target, NPVariant* result) {
  SetInt32Result(target.av.stAVObjMember.mspeed, result);
  return true;
}

bool GetFullScreen(ScriptTarget& target, NPVariant* result) {
  SetInt32Result(target.av.isFullScreen(nullptr), result);
  return true;
}

bool GetConstantOne(ScriptTarget&, NPVariant* result) {
  SetInt32Result(1, result);
  return true;
}

bool GetOnPlayStateChange(ScriptTarget& target, NPVariant* result) {
  return GetCallback(target.av.monPlayStateChangeName, target.av.monPlayStateChangeObj, result);
}

bool GetOnUpdateProgress(ScriptTarget& target, NPVariant* result) {
  return GetCallback(target.av.monUpdateProgressName, target.av.monUpdateProgressObj, result);
}

bool SetData(ScriptTarget& target, const NPVariant& value) {
  if (value.type != NPVariantType_String) return false;
  BrowserText url = CopyStringValue(value);
  if (!url) return false;
  NPLOG_AS(kSetProperty, nplog::kTrace, "urlTemp: %s", url.get());
  target.av.SetMediaURL(nullptr, url.get());  // the AV object keeps a copy
  return true;
}

bool SetOnPlayStateChange(ScriptTarget& target, const NPVariant& value) {
  if (value.type == NPVariantType_String) {
    BrowserText name = CopyStringValue(value);
    if (!name) return false;
    NPLOG_AS(kSetProperty, nplog::kTrace, "urlTemp: %s\n", name.get());
    // The AV object owns the name from here on.
    target.av.SetonPlayStateChange(nullptr, name.release(), nullptr);
  } else if (value.type == NPVariantType_Object) {
    NPLOG_AS(kSetProperty, nplog::kTrace, "plugin_onPlayStateChange_id : NPVARIANT_IS_OBJECT\n");
    target.av.SetonPlayStateChange(nullptr, nullptr, value.value.objectValue);
  }
  return true;
}

bool SetOnUpdateProgress(ScriptTarget& target, const NPVariant& value) {
  if (value.type == NPVariantType_String) {
    BrowserText name = CopyStringValue(value);
    if (!name) return false;
    NPLOG_AS(kSetProperty, nplog::kTrace, "urlTemp: %s\n", name.get());
    target.av.SetonUpdateProgress(nullptr, name.release(), nullptr);
  } else if (value.type == NPVariantType_Object) {
    NPLOG_AS(kSetProperty, nplog::kTrace, "plugin_onUpdateProgress_id : NPVARIANT_IS_OBJECT\n");
    target.av.SetonUpdateProgress(nullptr, nullptr, value.value.objectValue);
  }
  return true;
}

bool SetOnFullScreenChange(ScriptTarget& target, const NPVariant& value) {
  if (value.type == NPVariantType_String) {
    BrowserText name = CopyStringValue(value);
    if (!name) return false;
    NPLOG_AS(kSetProperty, nplog::kTrace, "urlTemp: %s", name.get());
    // The AV object keeps nothing; the copy is freed here.
    target.av.SetonFullScreenChange(nullptr, name.get(), nullptr);
  } else if (value.type == NPVariantType_Object) {
    target.av.SetonFullScreenChange(nullptr, nullptr, value.value.objectValue);
  }
  return true;
}

bool SetPersist(ScriptTarget& target, const NPVariant& value) {
  int32_t number = 0;
  const bool on = value.type == NPVariantType_Bool ? value.value.boolValue
                                                   : ReadInt32(value, &number) && number != 0;
  target.av.SetPersist(nullptr, on);
  return true;
}

}  // namespace script
