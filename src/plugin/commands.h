/* commands.h: the command menu's items, as the plugin shows them and hosts script them. */
#ifndef ZOLT_PLUGIN_COMMANDS_H
#define ZOLT_PLUGIN_COMMANDS_H

/* From the panels the first two, from the editor (open-from code OPEN_EDITOR) browse and the
   editor's two. */
enum CommandItem {
    COMMAND_BROWSE = 0,
    COMMAND_BUILD = 1, /* panels */
    COMMAND_GOTO = 1,  /* editor */
    COMMAND_GOBACK = 2 /* editor */
};

#endif
