/* host.h: the plugin's side of the host: the startup record copy and thin wrappers over its services. */
#ifndef ZOLT_HOST_HOST_H
#define ZOLT_HOST_HOST_H

#include "base/limits.h"
#include "host/farapi.h"

/* Process-wide copy of the host's record; written only by SetStartupInfo. */
extern PluginStartupInfo g_far;
/* Registry path of the options: host RootKey + "\ZOLT" (a longer root key is cut to fit). */
extern char SettingsRoot[SETTINGS_ROOT_SIZE];

/* Copies at most sizeof(PluginStartupInfo) and never more than the host's StructSize says it
   has, zero-filling the rest, and builds SettingsRoot. Used by SetStartupInfo. */
void InstallHostRecord(const PluginStartupInfo *info);

const char *MsgText(int n); /* host-owned; "" when the host has none */
void ShowWarning(int n);    /* title message 6, text n, button message 8 */
/* Button-less box the host draws and returns from at once: title message, one formatted line. */
void ShowProgress(int titleMsg, const char *text);
FarHandle HostSaveScreen(void); /* the whole screen */
void HostRestoreScreen(FarHandle h);
int HostCmpName(const char *pattern, const char *name, int skipPath);
int HostEditorControl(int command, void *param);
int HostMenu(FarDword flags, const char *title, const char *bottom, const int *breakKeys,
             int *breakCode, const FarMenuItem *items, int count);
int HostDialog(int width, int height, FarDialogItem *items, int count);
int HostEditor(const char *fileName, int startLine, int startChar);
int HostWarningBox(int titleMsg, int textMsg, int buttonMsg);
/* 0 when the host may leave an editor's unsaved changes out of ECTL_GETINFO: a host of a later
   generation that loads this library through its loader for old plugins (version 2 or later)
   never sets ECSTATE_MODIFIED there. */
int HostReportsModified(void);

#endif
