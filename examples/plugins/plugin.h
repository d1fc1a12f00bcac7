/* plugin.h - the interface a qed plugin implements; plugins may be written in C or C++ */
#ifndef QED_PLUGIN_H
#define QED_PLUGIN_H

#include "buffer.h"

#define PLUGIN_API_VERSION 2

typedef struct qed_plugin {
    int api_version;
    const char *name;
    int (*init)(void);
    int (*on_line)(BUFFER *b, long line);
    void (*done)(void);
} QED_PLUGIN;

#ifdef __cplusplus
extern "C" {
#endif

typedef QED_PLUGIN *(*plugin_entry)(void);

int plugin_register(QED_PLUGIN *p);
void plugin_load_all(void);
void plugin_notify_line(BUFFER *b, long line);

#ifdef __cplusplus
}
#endif

#endif
