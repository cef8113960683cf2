#include "JsUtil.h"

namespace npbrowser {

JsString::JsString(const std::string& text)
    : m_string(JSStringCreateWithUTF8CString(text.c_str())) {}

JsString::~JsString() { JSStringRelease(m_string); }

std::string ToStdString(JSStringRef string) {
  size_t capacity = JSStringGetMaximumUTF8CStringSize(string);
  std::string text(capacity, '\0');
  size_t written = JSStringGetUTF8CString(string, &text[0], capacity);
  text.resize(written > 0 ? written - 1 : 0);
  return text;
}

std::string ToStdString(JSContextRef ctx, JSValueRef value) {
  JSStringRef string = JSValueToStringCopy(ctx, value, nullptr);
  if (string == nullptr) return std::string();
  JsString owned(string);
  return ToStdString(owned.get());
}

JSValueRef MakeString(JSContextRef ctx, const std::string& text) {
  JsString string(text);
  return JSValueMakeString(ctx, string.get());
}

JSObjectRef MakeError(JSContextRef ctx, const std::string& message) {
  JSValueRef argument = MakeString(ctx, message);
  return JSObjectMakeError(ctx, 1, &argument, nullptr);
}

JSValueRef GetProperty(JSContextRef ctx, JSObjectRef object, const std::string& name) {
  JsString key(name);
  return JSObjectGetProperty(ctx, object, key.get(), nullptr);
}

void SetProperty(JSContextRef ctx, JSObjectRef object, const std::string& name,
                 JSValueRef value) {
  JsString key(name);
  JSObjectSetProperty(ctx, object, key.get(), value, kJSPropertyAttributeNone,
                      nullptr);
}

bool IsFunction(JSContextRef ctx, JSValueRef value) {
  if (value == nullptr || !JSValueIsObject(ctx, value)) return false;
  return JSObjectIsFunction(ctx, JSValueToObject(ctx, value, nullptr));
}

namespace {

JSValueRef CallNative(JSContextRef ctx, JSObjectRef function, JSObjectRef thisObject,
                      size_t argc, const JSValueRef argv[], JSValueRef* exception) {
  auto* native = static_cast<NativeFunction*>(JSObjectGetPrivate(function));
  if (native == nullptr) return JSValueMakeUndefined(ctx);
  std::vector<JSValueRef> args(argv, argv + argc);
  JSValueRef result = (*native)(ctx, thisObject, args, exception);
  return result != nullptr ? result : JSValueMakeUndefined(ctx);
}

void FinalizeNative(JSObjectRef function) {
  delete static_cast<NativeFunction*>(JSObjectGetPrivate(function));
}

JSClassRef NativeFunctionClass() {
  static JSClassRef nativeClass = [] {
    JSClassDefinition definition = kJSClassDefinitionEmpty;
    definition.className = "Function";
    definition.callAsFunction = CallNative;
    definition.finalize = FinalizeNative;
    return JSClassCreate(&definition);
  }();
  return nativeClass;
}

}  // namespace

JSObjectRef MakeFunction(JSContextRef ctx, NativeFunction function) {
  JSObjectRef object =
      JSObjectMake(ctx, NativeFunctionClass(), new NativeFunction(std::move(function)));
  // Gives the object call, apply and bind like any other function.
  JSObjectRef global = JSContextGetGlobalObject(ctx);
  JSValueRef functionCtor = GetProperty(ctx, global, "Function");
  if (JSValueIsObject(ctx, functionCtor)) {
    JSValueRef prototype =
        GetProperty(ctx, JSValueToObject(ctx, functionCtor, nullptr), "prototype");
    JSObjectSetPrototype(ctx, object, prototype);
  }
  return object;
}

void SetFunction(JSContextRef ctx, JSObjectRef object, const std::string& name,
                 NativeFunction function) {
  SetProperty(ctx, object, name, MakeFunction(ctx, std::move(function)));
}

}  // namespace npbrowser
