// NPAPI function tables and the Unix module entry points.
#ifndef NPFUNCTIONS_H
#define NPFUNCTIONS_H

#include <cstdint>

#include "npapi.h"
#include "npruntime.h"

typedef void (*NPPluginThreadCallback)(void* userData);
typedef void (*NPTimerCallback)(NPP npp, uint32_t timerID);

// Browser-side functions (NPN_*), in table order.
typedef NPError (*NPN_GetURLProcPtr)(NPP, const char*, const char*);
typedef NPError (*NPN_PostURLProcPtr)(NPP, const char*, const char*, uint32_t,
                                      const char*, NPBool);
typedef NPError (*NPN_RequestReadProcPtr)(NPStream*, NPByteRange*);
typedef NPError (*NPN_NewStreamProcPtr)(NPP, NPMIMEType, const char*,
                                        NPStream**);
typedef int32_t (*NPN_WriteProcPtr)(NPP, NPStream*, int32_t, void*);
typedef NPError (*NPN_DestroyStreamProcPtr)(NPP, NPStream*, NPReason);
typedef void (*NPN_StatusProcPtr)(NPP, const char*);
typedef const char* (*NPN_UserAgentProcPtr)(NPP);
typedef void* (*NPN_MemAllocProcPtr)(uint32_t);
typedef void (*NPN_MemFreeProcPtr)(void*);
typedef uint32_t (*NPN_MemFlushProcPtr)(uint32_t);
typedef void (*NPN_ReloadPluginsProcPtr)(NPBool);
typedef void* (*NPN_GetJavaEnvProcPtr)(void);
typedef void* (*NPN_GetJavaPeerProcPtr)(NPP);
typedef NPError (*NPN_GetURLNotifyProcPtr)(NPP, const char*, const char*,
                                           void*);
typedef NPError (*NPN_PostURLNotifyProcPtr)(NPP, const char*, const char*,
                                            uint32_t, const char*, NPBool,
                                            void*);
typedef NPError (*NPN_GetValueProcPtr)(NPP, NPNVariable, void*);
typedef NPError (*NPN_SetValueProcPtr)(NPP, NPPVariable, void*);
typedef void (*NPN_InvalidateRectProcPtr)(NPP, NPRect*);
typedef void (*NPN_InvalidateRegionProcPtr)(NPP, NPRegion);
typedef void (*NPN_ForceRedrawProcPtr)(NPP);
typedef NPIdentifier (*NPN_GetStringIdentifierProcPtr)(const NPUTF8*);
typedef void (*NPN_GetStringIdentifiersProcPtr)(const NPUTF8**, int32_t,
                                                NPIdentifier*);
typedef NPIdentifier (*NPN_GetIntIdentifierProcPtr)(int32_t);
typedef bool (*NPN_IdentifierIsStringProcPtr)(NPIdentifier);
typedef NPUTF8* (*NPN_UTF8FromIdentifierProcPtr)(NPIdentifier);
typedef int32_t (*NPN_IntFromIdentifierProcPtr)(NPIdentifier);
typedef NPObject* (*NPN_CreateObjectProcPtr)(NPP, NPClass*);
typedef NPObject* (*NPN_RetainObjectProcPtr)(NPObject*);
typedef void (*NPN_ReleaseObjectProcPtr)(NPObject*);
typedef bool (*NPN_InvokeProcPtr)(NPP, NPObject*, NPIdentifier,
                                  const NPVariant*, uint32_t, NPVariant*);
typedef bool (*NPN_InvokeDefaultProcPtr)(NPP, NPObject*, const NPVariant*,
                                         uint32_t, NPVariant*);
typedef bool (*NPN_EvaluateProcPtr)(NPP, NPObject*, NPString*, NPVariant*);
typedef bool (*NPN_GetPropertyProcPtr)(NPP, NPObject*, NPIdentifier,
                                       NPVariant*);
typedef bool (*NPN_SetPropertyProcPtr)(NPP, NPObject*, NPIdentifier,
                                       const NPVariant*);
typedef bool (*NPN_RemovePropertyProcPtr)(NPP, NPObject*, NPIdentifier);
typedef bool (*NPN_HasPropertyProcPtr)(NPP, NPObject*, NPIdentifier);
typedef bool (*NPN_HasMethodProcPtr)(NPP, NPObject*, NPIdentifier);
typedef void (*NPN_ReleaseVariantValueProcPtr)(NPVariant*);
typedef void (*NPN_SetExceptionProcPtr)(NPObject*, const NPUTF8*);
typedef void (*NPN_PushPopupsEnabledStateProcPtr)(NPP, NPBool);
typedef void (*NPN_PopPopupsEnabledStateProcPtr)(NPP);
typedef bool (*NPN_EnumerateProcPtr)(NPP, NPObject*, NPIdentifier**,
                                     uint32_t*);
typedef void (*NPN_PluginThreadAsyncCallProcPtr)(NPP, NPPluginThreadCallback,
                                                 void*);
typedef bool (*NPN_ConstructProcPtr)(NPP, NPObject*, const NPVariant*,
                                     uint32_t, NPVariant*);
typedef NPError (*NPN_GetValueForURLPtr)(NPP, NPNURLVariable, const char*,
                                         char**, uint32_t*);
typedef NPError (*NPN_SetValueForURLPtr)(NPP, NPNURLVariable, const char*,
                                         const char*, uint32_t);
typedef NPError (*NPN_GetAuthenticationInfoPtr)(NPP, const char*, const char*,
                                                int32_t, const char*,
                                                const char*, char**,
                                                uint32_t*, char**, uint32_t*);
typedef uint32_t (*NPN_ScheduleTimerPtr)(NPP, uint32_t, NPBool,
                                         NPTimerCallback);
typedef void (*NPN_UnscheduleTimerPtr)(NPP, uint32_t);
typedef NPError (*NPN_PopUpContextMenuPtr)(NPP, NPMenu*);
typedef NPBool (*NPN_ConvertPointPtr)(NPP, double, double, NPCoordinateSpace,
                                      double*, double*, NPCoordinateSpace);

// The browser table ending at convertpoint: 212 bytes on 32-bit builds.
typedef struct _NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLProcPtr geturl;
  NPN_PostURLProcPtr posturl;
  NPN_RequestReadProcPtr requestread;
  NPN_NewStreamProcPtr newstream;
  NPN_WriteProcPtr write;
  NPN_DestroyStreamProcPtr destroystream;
  NPN_StatusProcPtr status;
  NPN_UserAgentProcPtr uagent;
  NPN_MemAllocProcPtr memalloc;
  NPN_MemFreeProcPtr memfree;
  NPN_MemFlushProcPtr memflush;
  NPN_ReloadPluginsProcPtr reloadplugins;
  NPN_GetJavaEnvProcPtr getJavaEnv;
  NPN_GetJavaPeerProcPtr getJavaPeer;
  NPN_GetURLNotifyProcPtr geturlnotify;
  NPN_PostURLNotifyProcPtr posturlnotify;
  NPN_GetValueProcPtr getvalue;
  NPN_SetValueProcPtr setvalue;
  NPN_InvalidateRectProcPtr invalidaterect;
  NPN_InvalidateRegionProcPtr invalidateregion;
  NPN_ForceRedrawProcPtr forceredraw;
  NPN_GetStringIdentifierProcPtr getstringidentifier;
  NPN_GetStringIdentifiersProcPtr getstringidentifiers;
  NPN_GetIntIdentifierProcPtr getintidentifier;
  NPN_IdentifierIsStringProcPtr identifierisstring;
  NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
  NPN_IntFromIdentifierProcPtr intfromidentifier;
  NPN_CreateObjectProcPtr createobject;
  NPN_RetainObjectProcPtr retainobject;
  NPN_ReleaseObjectProcPtr releaseobject;
  NPN_InvokeProcPtr invoke;
  NPN_InvokeDefaultProcPtr invokeDefault;
  NPN_EvaluateProcPtr evaluate;
  NPN_GetPropertyProcPtr getproperty;
  NPN_SetPropertyProcPtr setproperty;
  NPN_RemovePropertyProcPtr removeproperty;
  NPN_HasPropertyProcPtr hasproperty;
  NPN_HasMethodProcPtr hasmethod;
  NPN_ReleaseVariantValueProcPtr releasevariantvalue;
  NPN_SetExceptionProcPtr setexception;
  NPN_PushPopupsEnabledStateProcPtr pushpopupsenabledstate;
  NPN_PopPopupsEnabledStateProcPtr poppopupsenabledstate;
  NPN_EnumerateProcPtr enumerate;
  NPN_PluginThreadAsyncCallProcPtr pluginthreadasynccall;
  NPN_ConstructProcPtr construct;
  NPN_GetValueForURLPtr getvalueforurl;
  NPN_SetValueForURLPtr setvalueforurl;
  NPN_GetAuthenticationInfoPtr getauthenticationinfo;
  NPN_ScheduleTimerPtr scheduletimer;
  NPN_UnscheduleTimerPtr unscheduletimer;
  NPN_PopUpContextMenuPtr popupcontextmenu;
  NPN_ConvertPointPtr convertpoint;
} NPNetscapeFuncs;

// Plug-in-side functions (NPP_*), in table order.
typedef NPError (*NPP_NewProcPtr)(NPMIMEType, NPP, uint16_t, int16_t, char**,
                                  char**, NPSavedData*);
typedef NPError (*NPP_DestroyProcPtr)(NPP, NPSavedData**);
typedef NPError (*NPP_SetWindowProcPtr)(NPP, NPWindow*);
typedef NPError (*NPP_NewStreamProcPtr)(NPP, NPMIMEType, NPStream*, NPBool,
                                        uint16_t*);
typedef NPError (*NPP_DestroyStreamProcPtr)(NPP, NPStream*, NPReason);
typedef void (*NPP_StreamAsFileProcPtr)(NPP, NPStream*, const char*);
typedef int32_t (*NPP_WriteReadyProcPtr)(NPP, NPStream*);
typedef int32_t (*NPP_WriteProcPtr)(NPP, NPStream*, int32_t, int32_t, void*);
typedef void (*NPP_PrintProcPtr)(NPP, NPPrint*);
typedef int16_t (*NPP_HandleEventProcPtr)(NPP, void*);
typedef void (*NPP_URLNotifyProcPtr)(NPP, const char*, NPReason, void*);
typedef NPError (*NPP_GetValueProcPtr)(NPP, NPPVariable, void*);
typedef NPError (*NPP_SetValueProcPtr)(NPP, NPNVariable, void*);
typedef NPBool (*NPP_GotFocusPtr)(NPP, NPFocusDirection);
typedef void (*NPP_LostFocusPtr)(NPP);
typedef void (*NPP_URLRedirectNotifyPtr)(NPP, const char*, int32_t, void*);
typedef NPError (*NPP_ClearSiteDataPtr)(const char*, uint64_t, uint64_t);
typedef char** (*NPP_GetSitesWithDataPtr)(void);

// The plug-in table ending at getsiteswithdata: 80 bytes on 32-bit builds.
typedef struct _NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  void* javaClass;
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
  NPP_GotFocusPtr gotfocus;
  NPP_LostFocusPtr lostfocus;
  NPP_URLRedirectNotifyPtr urlredirectnotify;
  NPP_ClearSiteDataPtr clearsitedata;
  NPP_GetSitesWithDataPtr getsiteswithdata;
} NPPluginFuncs;

// Unix module entry points, exported unmangled.
extern "C" {
typedef NPError (*NP_InitializeFunc)(NPNetscapeFuncs*, NPPluginFuncs*);
typedef NPError (*NP_ShutdownFunc)(void);
typedef NPError (*NP_GetValueFunc)(void*, NPPVariable, void*);
typedef const char* (*NP_GetMIMEDescriptionFunc)(void);
}

#endif  // NPFUNCTIONS_H
