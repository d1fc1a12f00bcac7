/* plugin.c - the table of registered plugins */
#include <stddef.h>

#include "plugin.h"

#define MAX_PLUGINS 8

extern QED_PLUGIN *spell_plugin(void);
extern QED_PLUGIN *highlight_plugin(void);

static QED_PLUGIN *plugins[MAX_PLUGINS];
static int nplugins;

int plugin_register(QED_PLUGIN *p)
{
    if (!p || p->api_version != PLUGIN_API_VERSION || nplugins >= MAX_PLUGINS)
        return -1;
    if (p->init && p->init() != 0)
        return -1;
    plugins[nplugins++] = p;
    return 0;
}

void plugin_load_all(void)
{
    static const plugin_entry builtin[] = { spell_plugin, highlight_plugin };
    size_t i;

    for (i = 0; i < sizeof builtin / sizeof builtin[0]; i++)
        plugin_register(builtin[i]());
}

void plugin_notify_line(BUFFER *b, long line)
{
    int i;

    for (i = 0; i < nplugins; i++)
        if (plugins[i]->on_line)
            plugins[i]->on_line(b, line);
}
