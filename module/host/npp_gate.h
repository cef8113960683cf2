// The per-instance entry points that NP_Initialize registers in the
// browser's plug-in table. They stay internal to the module.
#ifndef HOST_NPP_GATE_H
#define HOST_NPP_GATE_H

#include "npfunctions.h"

NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char** argn,
                char** argv, NPSavedData* saved);
NPError NPP_Destroy(NPP instance, NPSavedData** save);
NPError NPP_SetWindow(NPP instance, NPWindow* window);
NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                      uint16_t* stype);
NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
void NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname);
int32_t NPP_WriteReady(NPP instance, NPStream* stream);
void NPP_Print(NPP instance, NPPrint* printInfo);
int16_t NPP_HandleEvent(NPP instance, void* event);
void NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData);
NPError NPP_GetValue(NPP instance, NPPVariable variable, void* value);

#endif  // HOST_NPP_GATE_H
