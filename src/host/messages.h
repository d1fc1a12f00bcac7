/* messages.h: numbers of the language-file messages; the quoted lines of every .lng file follow it. */
#ifndef ZOLT_HOST_MESSAGES_H
#define ZOLT_HOST_MESSAGES_H

/* ORDER-LNG: dist/zolt*.lng hold one quoted line per number below, in this order, with the same
   groups marked by comments. Numbers are fixed: renumbering breaks every installed language file. */
enum Msg {
    /* plugins menu and command menu */
    MSG_PLUGIN_MENU = 0,
    MSG_BROWSE = 1,
    MSG_BUILD = 2,
    MSG_GOTO = 3, /* also the title of the definition-choice menu and of its warning */
    MSG_GOBACK = 4,

    /* warning boxes */
    MSG_NOT_FOUND = 5,
    MSG_WARNING_TITLE = 6,
    MSG_NO_MEMORY = 7,
    MSG_OK = 8,

    /* browse menu */
    MSG_BROWSE_TITLE = 9, /* format: one %s, the typed filter */
    MSG_BROWSE_BOTTOM = 10,

    /* progress boxes */
    MSG_SCAN_TITLE = 11,
    MSG_SCAN_PROGRESS = 12, /* format: one %d, files scanned so far */
    MSG_UNUSED_13 = 13,     /* 13-15: placeholders, never shown */
    MSG_UNUSED_14 = 14,
    MSG_UNUSED_15 = 15,
    MSG_DIR_PROGRESS = 16,
    MSG_LOAD_TITLE = 17,
    MSG_LOAD_PROGRESS = 18, /* format: one %d, index lines read so far */

    /* command failures */
    MSG_TABLE_EMPTY = 19,
    MSG_HOST_TOO_OLD = 20,

    /* configuration dialog */
    MSG_CONFIG = 21,     /* also the plugin's line in the host's configuration menu */
    MSG_CFG_STATIC = 22, /* 22-24 label both the project and the editor checkbox group */
    MSG_CFG_INLINE = 23,
    MSG_CFG_QUALIFIED = 24,
    MSG_CFG_QUIT_MENU = 25,
    MSG_CFG_SAVE = 26,
    MSG_CFG_CANCEL = 27,
    MSG_CFG_PROJECT_GROUP = 28,
    MSG_CFG_EDITOR_GROUP = 29,
    MSG_CFG_MASK_LABEL = 30,
    MSG_CFG_RECURSE = 31,
    MSG_CFG_MOVE_TO_LINE = 32,

    /* build failures, added after the configuration dialog so that no number moves */
    MSG_INDEX_NOT_WRITTEN = 33,
    MSG_BUILD_RUNNING = 34,
    /* go back would close an editor whose changes are not saved */
    MSG_UNSAVED_CHANGES = 35,

    /* browse and lookup at any index size */
    MSG_BROWSE_BOUNDED = 36, /* format: %d entries match, %s of them shown */
    MSG_INDEX_DAMAGED = 37,

    /* a build the user stopped */
    MSG_BUILD_STOPPED = 38,
    MSG_RESERVED_39 = 39, /* kept for another change, never shown */

    /* the current host generation */
    MSG_NO_PANEL_FOLDER = 40, /* a command from a panel that shows no folder on disk */
    /* go back where the host does not say whether an editor has unsaved changes */
    MSG_CLOSE_TO_RETURN = 41,

    MSG_COUNT = 42
};

#endif
