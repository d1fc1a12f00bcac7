/* services_p.h: the host services the terminal host hands the plugin, the plugin's entry points,
   and the glue that starts it. */
#ifndef ZOLT_HOSTS_TERM_SERVICES_P_H
#define ZOLT_HOSTS_TERM_SERVICES_P_H

#include "term/model_p.h"

#include "plugin/plugin.h"

/* ---------------- services (ui) ---------------- */

int MenuRun(int x, int y, int maxHeight, FarDword flags, const char *title, const char *bottom,
            const char *help, const int *breakKeys, int *breakCode, const FarMenuItem *items,
            int count);
int DialogRun(int x1, int y1, int x2, int y2, const char *help, FarDialogItem *items, int count);
int MessageRun(FarDword flags, const char *help, const char *const *items, int itemsNumber,
               int buttons);
int EditorRun(const char *fileName, int startLine, int startChar);
int EditorCommand(int command, void *param);
void HelpShow(const char *topic);
/* Closes the current editor after asking about unsaved changes; 0 when the user kept it open. */
int EditorAskClose(EditorModel *e);

/* Plugin glue: loads the language file, hands the service record to the plugin. */
void HostStart(void);
const char *HostMsg(int n);
const char *DistDir(void);         /* language and help files: ZoltDistDir() */
void PluginMenuFrom(int openFrom); /* F11: the host's plugins menu, then OpenPlugin */
void PluginConfigMenu(void);       /* F9: the host's configuration menu, then Configure */
int PanelRun(void);

#endif
