/* dialog_model.cpp: the host's dialog without the drawing: focus, checkboxes, the edit field, closing. */
#include <string.h>

#include "term/model_p.h"

int IsFocusable(const FarDialogItem *it)
{
    switch (it->Type) {
    case DI_EDIT:
    case DI_FIXEDIT:
    case DI_PSWEDIT:
    case DI_BUTTON:
    case DI_CHECKBOX:
    case DI_RADIOBUTTON: return 1;
    default: return 0;
    }
}

static int IsEdit(const FarDialogItem *it)
{
    return it->Type == DI_EDIT || it->Type == DI_FIXEDIT || it->Type == DI_PSWEDIT;
}

int EditFieldWidth(const FarDialogItem *it)
{
    int w = it->X2 - it->X1 + 1;
    return w < 1 ? 1 : w;
}

static int TextLength(const FarDialogItem *it)
{
    return (int)strnlen(it->Data, sizeof it->Data - 1);
}

static void KeepEditCursorShown(DialogModel *d)
{
    if (d->focus < 0 || !IsEdit(&d->items[d->focus])) return;
    int w = EditFieldWidth(&d->items[d->focus]);
    if (d->editPos < d->editLeft) d->editLeft = d->editPos;
    if (d->editPos >= d->editLeft + w) d->editLeft = d->editPos - w + 1;
}

static void FocusItem(DialogModel *d, int i)
{
    d->focus = i;
    d->editLeft = 0;
    d->editPos = i >= 0 && IsEdit(&d->items[i]) ? TextLength(&d->items[i]) : 0;
    KeepEditCursorShown(d);
}

void DialogInit(DialogModel *d, FarDialogItem *items, int count)
{
    memset(d, 0, sizeof *d);
    d->items = items;
    d->count = items && count > 0 ? count : 0;
    int first = -1;
    for (int i = 0; i < d->count; i++) {
        items[i].Data[sizeof items[i].Data - 1] = '\0'; /* an unterminated text is cut */
        if (!IsFocusable(&items[i])) continue;
        if (first < 0) first = i;
        if (items[i].Focus && (first == i || !items[first].Focus)) first = i;
    }
    FocusItem(d, first);
}

static void MoveFocus(DialogModel *d, int dir)
{
    if (d->focus < 0) return;
    for (int n = 1; n <= d->count; n++) {
        int i = ((d->focus + dir * n) % d->count + d->count) % d->count;
        if (IsFocusable(&d->items[i])) {
            FocusItem(d, i);
            return;
        }
    }
}

static int DefaultButton(const DialogModel *d)
{
    for (int i = 0; i < d->count; i++)
        if (d->items[i].DefaultButton) return i;
    return d->focus;
}

/* Keys of the focused edit field; 1 when handled. */
static int EditKey(DialogModel *d, KeyEvent k)
{
    FarDialogItem *it = &d->items[d->focus];
    int len = TextLength(it);
    if (k.mods & (PKF_CONTROL | PKF_ALT)) return 0;
    if (k.ch >= 32) {
        if (len >= EDIT_FIELD_MAX) return 1; /* the field is full: the key is dropped */
        memmove(it->Data + d->editPos + 1, it->Data + d->editPos, (size_t)(len - d->editPos + 1));
        it->Data[d->editPos++] = (char)k.ch;
        return 1;
    }
    switch (k.vk) {
    case VK_LEFT:
        if (d->editPos > 0) d->editPos--;
        return 1;
    case VK_RIGHT:
        if (d->editPos < len) d->editPos++;
        return 1;
    case VK_HOME: d->editPos = 0; return 1;
    case VK_END: d->editPos = len; return 1;
    case VK_BACK:
        if (d->editPos == 0) return 1;
        d->editPos--; /* and delete what is now under the cursor */
        [[fallthrough]];
    case VK_DELETE:
        if (d->editPos < len)
            memmove(it->Data + d->editPos, it->Data + d->editPos + 1, (size_t)(len - d->editPos));
        return 1;
    default: return 0;
    }
}

/* The control whose hot key the press is: with Alt from anywhere, without it unless the focus
   is in an edit field (whose text is not a label); -1 when none. */
static int HotItem(const DialogModel *d, KeyEvent k)
{
    int key = HotKeyOf(k);
    if (key < 0 || (!(k.mods & PKF_ALT) && IsEdit(&d->items[d->focus]))) return -1;
    for (int i = 0; i < d->count; i++) {
        int t = d->items[i].Type;
        int labelled = t == DI_TEXT || t == DI_CHECKBOX || t == DI_RADIOBUTTON || t == DI_BUTTON;
        if (labelled && LabelHotKey(d->items[i].Data) == key) return i;
    }
    return -1;
}

/* A hot key: a text hands the focus to the control after it, a checkbox toggles, a radio
   button is chosen, a button closes the dialog. */
static int PressItem(DialogModel *d, int i, int *closeItem)
{
    FarDialogItem *it = &d->items[i];
    if (it->Type == DI_TEXT) {
        for (int j = i + 1; j < d->count; j++)
            if (IsFocusable(&d->items[j])) {
                FocusItem(d, j);
                break;
            }
        return DIALOG_GOING;
    }
    FocusItem(d, i);
    if (it->Type == DI_BUTTON) {
        *closeItem = i;
        return DIALOG_CLOSED;
    }
    it->Selected = it->Type == DI_CHECKBOX ? !it->Selected : 1;
    return DIALOG_GOING;
}

static int ItemKey(DialogModel *d, KeyEvent k, int *closeItem)
{
    FarDialogItem *it = &d->items[d->focus];
    int plain = (k.mods & (PKF_CONTROL | PKF_ALT)) == 0;
    if (plain && k.vk == VK_SPACE && (it->Type == DI_CHECKBOX || it->Type == DI_RADIOBUTTON)) {
        it->Selected = it->Type == DI_CHECKBOX ? !it->Selected : 1;
        return DIALOG_GOING;
    }
    if (plain && k.vk == VK_SPACE && it->Type == DI_BUTTON) {
        *closeItem = d->focus;
        return DIALOG_CLOSED;
    }
    if (IsEdit(it) && EditKey(d, k)) KeepEditCursorShown(d);
    else if (k.vk == VK_LEFT || k.vk == VK_RIGHT) MoveFocus(d, k.vk == VK_LEFT ? -1 : 1);
    return DIALOG_GOING;
}

int DialogKey(DialogModel *d, KeyEvent k, int *closeItem)
{
    *closeItem = -1;
    if (k.vk == VK_ESCAPE || (k.vk == VK_F(10) && k.mods == 0)) return DIALOG_CLOSED;
    if (d->focus < 0) return k.vk == VK_RETURN ? DIALOG_CLOSED : DIALOG_GOING;
    if (k.vk == VK_RETURN) {
        *closeItem = d->items[d->focus].Type == DI_BUTTON ? d->focus : DefaultButton(d);
        return DIALOG_CLOSED;
    }
    if (k.vk == VK_TAB || k.vk == VK_UP || k.vk == VK_DOWN) {
        int back = k.vk == VK_UP || (k.vk == VK_TAB && (k.mods & PKF_SHIFT));
        MoveFocus(d, back ? -1 : 1);
        return DIALOG_GOING;
    }
    int hot = HotItem(d, k);
    if (hot >= 0) return PressItem(d, hot, closeItem);
    return ItemKey(d, k, closeItem);
}
