// The module's exported entry points, under their plain C names. These and
// NPNFuncs are the only symbols the module exports.
#ifndef HOST_NP_ENTRY_H
#define HOST_NP_ENTRY_H

#include "npfunctions.h"

#define NP_EXPORT(type) extern "C" __attribute__((visibility("default"))) type

NP_EXPORT(NPError) NP_Initialize(NPNetscapeFuncs* browserFuncs, NPPluginFuncs* pluginFuncs);
NP_EXPORT(NPError) NP_Shutdown(void);
NP_EXPORT(NPError) NP_GetValue(void* future, NPPVariable variable, void* value);
NP_EXPORT(const char*) NP_GetMIMEDescription(void);

// Internal hooks, exported as well.
NP_EXPORT(NPError) NPP_Initialize(void);
NP_EXPORT(void) NPP_Shutdown(void);
NP_EXPORT(const char*) NPP_GetMIMEDescription(void);

#endif  // HOST_NP_ENTRY_H
