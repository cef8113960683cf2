// Reading the page widget's size through the browser's script evaluation.
#include "script/WidgetSize.h"

#include "host/np_log.h"
#include "script/NumberConversion.h"
#include "script/VariantConversion.h"

namespace script {

namespace {

constexpr char kWidthScript[] = "(function() { return curWidget.width.toString(); })()";
constexpr char kHeightScript[] = "(function() { return curWidget.height.toString(); })()";
// Scripts are passed by length, without their terminator.
static_assert(sizeof kWidthScript - 1 == 53, "width script length");
static_assert(sizeof kHeightScript - 1 == 54, "height script length");

int32_t ReadPositiveText(const NPString& text, int32_t fallback) {
  BrowserText copy = CopyToBrowserText(text);
  if (!copy) return fallback;
  const int32_t value = ParseDecimal(copy.get());  // stops at "px" and the like
  return value > 0 ? value : fallback;
}

template <size_t N>
int32_t ReadDimension(NPP instance, NPObject* window, const char (&text)[N], int32_t fallback) {
  if (window == nullptr) return fallback;
  NPString script{text, static_cast<uint32_t>(N - 1)};
  NPVariant unset;
  // A failed evaluation leaves the result unset: it is neither read nor
  // released.
  if (!NPNFuncs.evaluate(instance, window, &script, &unset)) return fallback;
  BrowserResult result;
  *result.get() = unset;
  return (*result).type == NPVariantType_String
             ? ReadPositiveText((*result).value.stringValue, fallback)
             : fallback;
}

}  // namespace

int32_t ReadWidgetWidth(NPP instance, NPObject* window) {
  return ReadDimension(instance, window, kWidthScript, kVideoPlaneWidth);
}

int32_t ReadWidgetHeight(NPP instance, NPObject* window) {
  return ReadDimension(instance, window, kHeightScript, kVideoPlaneHeight);
}

}  // namespace script
