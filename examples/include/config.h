/* config.h - compile-time settings of qed */
#ifndef QED_CONFIG_H
#define QED_CONFIG_H

#define QED_VERSION     "0.9.3"
#define TAB_WIDTH       8
#define MAX_FILES       16
#define UNDO_DEPTH      1000
#define LINE_INIT       80
#define STATUS_ROWS     1

#ifndef PATH_MAX
#define PATH_MAX        1024
#endif

#define MIN(a, b)       ((a) < (b) ? (a) : (b))
#define MAX(a, b)       ((a) > (b) ? (a) : (b))
#define CTRL(c)         ((c) & 0x1f)

#endif
