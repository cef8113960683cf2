#include "PageGlobals.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "Document.h"
#include "JsUtil.h"
#include "MainLoop.h"
#include "ScriptBridge.h"
#include "ScriptEngine.h"

namespace tvhost {

using namespace npbrowser;

namespace {

JSObjectRef NewObject(JSContextRef ctx, JSObjectRef parent, const std::string& name) {
  JSObjectRef object = JSObjectMake(ctx, nullptr, nullptr);
  SetProperty(ctx, parent, name, object);
  return object;
}

std::string JoinArguments(JSContextRef ctx, const std::vector<JSValueRef>& args) {
  std::string line;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i != 0) line += ' ';
    line += ToStdString(ctx, args[i]);
  }
  return line + '\n';
}

// A timer delay as browsers read it: a 32-bit integer, the number taken
// modulo 2^32 (so a huge delay wraps and may come out negative), and below
// zero none.
std::chrono::milliseconds TimerDelay(double number) {
  if (!std::isfinite(number)) return std::chrono::milliseconds(0);
  double wrapped = std::fmod(std::trunc(number), 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  auto delay = static_cast<int32_t>(static_cast<uint32_t>(wrapped));
  return std::chrono::milliseconds(delay < 0 ? 0 : delay);
}

}  // namespace

PageGlobals::PageGlobals(ScriptBridge& bridge, MainLoop& loop, Document& document,
                         Settings settings)
    : m_bridge(bridge), m_engine(bridge.Engine()), m_loop(loop), m_document(document), m_settings(std::move(settings)) {
  JSContextRef ctx = m_engine.Context();
  JSObjectRef global = m_engine.Global();
  SetProperty(ctx, global, "window", global);
  JSObjectRef widget = NewObject(ctx, global, "curWidget");
  SetProperty(ctx, widget, "width", JSValueMakeNumber(ctx, m_settings.widgetWidth));
  SetProperty(ctx, widget, "height", JSValueMakeNumber(ctx, m_settings.widgetHeight));
  InstallConsole();
  InstallTimers();
  InstallDocument();
}

PageGlobals::~PageGlobals() {
  CancelTimers();
  for (auto& element : m_elements) JSValueUnprotect(m_engine.Context(), element.second);
}

void PageGlobals::InstallConsole() {
  JSContextRef ctx = m_engine.Context();
  JSObjectRef console = NewObject(ctx, m_engine.Global(), "console");
  for (const char* name : {"log", "info", "warn", "error"}) {
    FILE* stream = std::string(name) == "log" || std::string(name) == "info" ? stdout : stderr;
    SetFunction(ctx, console, name,
                [stream](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& args,
                         JSValueRef*) {
                  std::string line = JoinArguments(c, args);
                  fwrite(line.data(), 1, line.size(), stream);
                  fflush(stream);
                  return JSValueMakeUndefined(c);
                });
  }
}

void PageGlobals::InstallTimers() {
  JSContextRef ctx = m_engine.Context();
  JSObjectRef global = m_engine.Global();
  for (bool repeat : {false, true}) {
    SetFunction(ctx, global, repeat ? "setInterval" : "setTimeout",
                [this, repeat](JSContextRef c, JSObjectRef,
                               const std::vector<JSValueRef>& args, JSValueRef*) {
                  return JSValueMakeNumber(c, StartTimer(args, repeat));
                });
    SetFunction(ctx, global, repeat ? "clearInterval" : "clearTimeout",
                [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& args,
                       JSValueRef*) {
                  if (!args.empty()) StopTimer(static_cast<int>(JSValueToNumber(c, args[0], nullptr)));
                  return JSValueMakeUndefined(c);
                });
  }
}

// setTimeout(handler, delay, ...arguments).
int PageGlobals::StartTimer(const std::vector<JSValueRef>& args, bool repeat) {
  JSContextRef ctx = m_engine.Context();
  if (args.empty()) return 0;
  auto delay = TimerDelay(args.size() > 1 ? JSValueToNumber(ctx, args[1], nullptr) : 0);
  PageTimer timer{args[0], {}, repeat};
  if (args.size() > 2) timer.args.assign(args.begin() + 2, args.end());
  Protect(timer);
  auto id = std::make_shared<int>(0);
  *id = m_loop.AddTimer(delay, repeat, [this, id] { FireTimer(*id); });
  m_timers[*id] = timer;
  return *id;
}

void PageGlobals::FireTimer(int id) {
  auto found = m_timers.find(id);
  if (found == m_timers.end()) return;
  // The handler may clear its own timer: run it on a protected copy.
  PageTimer timer = found->second;
  Protect(timer);
  if (!timer.repeat) StopTimer(id);
  JSContextRef ctx = m_engine.Context();
  if (IsFunction(ctx, timer.handler)) {
    m_engine.Call(JSValueToObject(ctx, timer.handler, nullptr), nullptr, timer.args, nullptr);
  } else {
    m_engine.Evaluate(ToStdString(ctx, timer.handler), "(timer)", 1, nullptr, nullptr);
  }
  Unprotect(timer);
}

void PageGlobals::StopTimer(int id) {
  auto found = m_timers.find(id);
  if (found == m_timers.end()) return;
  Unprotect(found->second);
  m_timers.erase(found);
  m_loop.CancelTimer(id);
}

void PageGlobals::Protect(const PageTimer& timer) {
  JSValueProtect(m_engine.Context(), timer.handler);
  for (JSValueRef arg : timer.args) JSValueProtect(m_engine.Context(), arg);
}

void PageGlobals::Unprotect(const PageTimer& timer) {
  JSValueUnprotect(m_engine.Context(), timer.handler);
  for (JSValueRef arg : timer.args) JSValueUnprotect(m_engine.Context(), arg);
}

void PageGlobals::CancelTimers() {
  while (!m_timers.empty()) StopTimer(m_timers.begin()->first);
}

void PageGlobals::InstallDocument() {
  JSContextRef ctx = m_engine.Context();
  JSObjectRef document = NewObject(ctx, m_engine.Global(), "document");
  SetFunction(ctx, document, "getElementById",
              [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& args,
                     JSValueRef*) -> JSValueRef {
                const Element* element =
                    args.empty() ? nullptr : m_document.ById(ToStdString(c, args[0]));
                return element != nullptr ? ElementObject(element) : JSValueMakeNull(c);
              });
  SetFunction(ctx, document, "getElementsByTagName",
              [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& args,
                     JSValueRef*) -> JSValueRef {
                std::vector<JSValueRef> found;
                if (!args.empty()) {
                  for (const Element* element : m_document.ByTag(ToStdString(c, args[0]))) {
                    found.push_back(ElementObject(element));
                  }
                }
                return JSObjectMakeArray(c, found.size(), found.data(), nullptr);
              });
}

void PageGlobals::SetElementObject(const Element* element, JSObjectRef object) {
  JSValueProtect(m_engine.Context(), object);
  auto [entry, added] = m_elements.emplace(element, object);
  if (!added) {
    JSValueUnprotect(m_engine.Context(), entry->second);
    entry->second = object;
  }
}

JSObjectRef PageGlobals::ElementObject(const Element* element) {
  auto found = m_elements.find(element);
  if (found != m_elements.end()) return found->second;
  JSObjectRef object = m_bridge.Wrap(nullptr, element);
  SetElementObject(element, object);
  return object;
}

void PageGlobals::FireLoad() {
  JSContextRef ctx = m_engine.Context();
  JSValueRef onload = GetProperty(ctx, m_engine.Global(), "onload");
  if (IsFunction(ctx, onload)) {
    m_engine.Call(JSValueToObject(ctx, onload, nullptr), nullptr, {}, nullptr);
  }
}

}  // namespace tvhost
