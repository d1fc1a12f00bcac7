/* adapter.h: what the host side's files share: the copy of the host's record and our identity. */
#ifndef ZOLT_FAR3_ADAPTER_H
#define ZOLT_FAR3_ADAPTER_H

#include "far3/far3api.h"

extern far3::PluginStartupInfo g_host; /* zero-filled until the host starts the plugin */
extern const GUID PLUGIN_GUID;

#endif
