/* navigate.h: word under the cursor, go to definition, lookup through index files, go back. */
#ifndef ZOLT_NAVIGATE_NAVIGATE_H
#define ZOLT_NAVIGATE_NAVIGATE_H

struct BrowserState;

/* Editor command: jump to the definition of the word under the cursor (edited text first,
   then the project index files up the directory tree); records the back-out position. */
void GoToDefinition(BrowserState *st);
/* Editor command: back to the recorded position, or close an editor the jump opened. */
void GoBack(void);

#endif
