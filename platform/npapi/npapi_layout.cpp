// Compile-time pins of the NPAPI binary layout. A declaration that drifts
// from the browser's ABI fails the build here, on 32-bit and 64-bit alike.
#include <cstddef>

#include "npfunctions.h"

namespace {

constexpr bool kIlp32 = sizeof(void*) == 4;

// Offset of the i-th function pointer in either function table.
constexpr size_t TableSlot(size_t i) {
  return kIlp32 ? 4 + 4 * i : 8 + 8 * i;
}

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "unsupported ABI");

// Browser table: 52 pointers from geturl through convertpoint.
static_assert(sizeof(NPNetscapeFuncs) == TableSlot(52), "NPNetscapeFuncs");
static_assert(sizeof(NPNetscapeFuncs) == (kIlp32 ? 212 : 424), "NPNetscapeFuncs");
static_assert(offsetof(NPNetscapeFuncs, version) == 2, "version");
static_assert(offsetof(NPNetscapeFuncs, geturl) == TableSlot(0), "geturl");
static_assert(offsetof(NPNetscapeFuncs, memalloc) == TableSlot(8), "memalloc");
static_assert(offsetof(NPNetscapeFuncs, memfree) == TableSlot(9), "memfree");
static_assert(offsetof(NPNetscapeFuncs, getvalue) == TableSlot(16), "getvalue");
static_assert(offsetof(NPNetscapeFuncs, setvalue) == TableSlot(17), "setvalue");
static_assert(offsetof(NPNetscapeFuncs, getstringidentifier) == TableSlot(21),
              "getstringidentifier");
static_assert(offsetof(NPNetscapeFuncs, createobject) == TableSlot(27),
              "createobject");
static_assert(offsetof(NPNetscapeFuncs, releaseobject) == TableSlot(29),
              "releaseobject");
static_assert(offsetof(NPNetscapeFuncs, invoke) == TableSlot(30), "invoke");
static_assert(offsetof(NPNetscapeFuncs, evaluate) == TableSlot(32), "evaluate");
static_assert(offsetof(NPNetscapeFuncs, releasevariantvalue) == TableSlot(38),
              "releasevariantvalue");
static_assert(offsetof(NPNetscapeFuncs, setexception) == (kIlp32 ? 160 : 320),
              "setexception");
static_assert(offsetof(NPNetscapeFuncs, enumerate) == TableSlot(42), "enumerate");
static_assert(offsetof(NPNetscapeFuncs, pluginthreadasynccall) ==
                  (kIlp32 ? 176 : 352),
              "pluginthreadasynccall");
static_assert(offsetof(NPNetscapeFuncs, construct) == TableSlot(44), "construct");
static_assert(offsetof(NPNetscapeFuncs, convertpoint) == (kIlp32 ? 208 : 416),
              "convertpoint");

// Plug-in table: 19 slots from newp through getsiteswithdata.
static_assert(sizeof(NPPluginFuncs) == (kIlp32 ? 80 : 160), "NPPluginFuncs");
static_assert(offsetof(NPPluginFuncs, newp) == TableSlot(0), "newp");
static_assert(offsetof(NPPluginFuncs, write) == TableSlot(7), "write");
static_assert(offsetof(NPPluginFuncs, event) == TableSlot(9), "event");
static_assert(offsetof(NPPluginFuncs, javaClass) == TableSlot(11), "javaClass");
static_assert(offsetof(NPPluginFuncs, getvalue) == (kIlp32 ? 52 : 104), "getvalue");
static_assert(offsetof(NPPluginFuncs, setvalue) == (kIlp32 ? 56 : 112), "setvalue");
static_assert(offsetof(NPPluginFuncs, getsiteswithdata) == TableSlot(18),
              "getsiteswithdata");

// Scripting records.
static_assert(sizeof(NPClass) == (kIlp32 ? 52 : 104), "NPClass");
static_assert(offsetof(NPClass, allocate) == TableSlot(0), "allocate");
static_assert(offsetof(NPClass, invoke) == TableSlot(4), "invoke");
static_assert(offsetof(NPClass, construct) == TableSlot(11), "construct");
static_assert(sizeof(NPObject) == (kIlp32 ? 8 : 16), "NPObject");
static_assert(offsetof(NPObject, referenceCount) == (kIlp32 ? 4 : 8),
              "referenceCount");
static_assert(sizeof(NPString) == (kIlp32 ? 8 : 16), "NPString");
static_assert(offsetof(NPString, UTF8Length) == (kIlp32 ? 4 : 8), "UTF8Length");
// i386 aligns a double member to 4, ARM EABI to 8.
struct DoubleMember {
  char before;
  double value;
};
constexpr size_t kDoubleMemberAlign = offsetof(DoubleMember, value);
static_assert(sizeof(NPVariant) ==
                  (kIlp32 ? (kDoubleMemberAlign == 8 ? 16 : 12) : 24),
              "NPVariant");
static_assert(offsetof(NPVariant, value) == alignof(NPVariant), "NPVariant.value");
static_assert(sizeof(NPP_t) == 2 * sizeof(void*), "NPP_t");
static_assert(offsetof(NPP_t, ndata) == sizeof(void*), "NPP_t.ndata");

// Unix NPWindow carries ws_info.
static_assert(sizeof(NPWindow) == (kIlp32 ? 36 : 48), "NPWindow");
static_assert(offsetof(NPWindow, clipRect) == (kIlp32 ? 20 : 24), "clipRect");
static_assert(offsetof(NPWindow, type) == (kIlp32 ? 32 : 40), "NPWindow.type");
static_assert(sizeof(NPStream) == (kIlp32 ? 28 : 48), "NPStream");
static_assert(sizeof(NPSavedData) == (kIlp32 ? 8 : 16), "NPSavedData");

// Scalars and enumerations.
static_assert(sizeof(NPError) == 2 && sizeof(NPBool) == 1, "NPError, NPBool");
static_assert(sizeof(NPPVariable) == 4 && sizeof(NPNVariable) == 4 &&
                  sizeof(NPVariantType) == 4,
              "enum size");
static_assert(NPPVpluginScriptableInstance == 0x1000000A, "scriptable instance");
static_assert(NPNVToolkit == 0x1000000D, "toolkit");
static_assert(NPPVpluginNeedsXEmbed == 14 && NPPVpluginScriptableNPObject == 15,
              "plug-in variables");
static_assert(NPNVWindowNPObject == 15, "window object variable");
static_assert(NPVariantType_Object == 6, "variant types");
static_assert(NPERR_INCOMPATIBLE_VERSION_ERROR == 8 && NPERR_INVALID_PARAM == 9,
              "error codes");

}  // namespace
