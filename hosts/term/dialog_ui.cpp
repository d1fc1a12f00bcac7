/* dialog_ui.cpp: the host's Dialog service: boxes, texts, separators, checkboxes, edit fields, buttons. */
#include <string.h>

#include "term/draw_p.h"
#include "term/services_p.h"

struct DialogPlace {
    int x, y; /* screen position of the dialog's (0, 0) */
    int w, h;
    int boxX1, boxX2; /* columns of the first box, where separators meet it */
};

static DialogPlace PlaceDialog(int x1, int y1, int x2, int y2, const DialogModel *d)
{
    int cols, rows;
    ScreenSize(&cols, &rows);
    DialogPlace p;
    int centred = x1 < 0 && y1 < 0;
    p.w = centred ? x2 : x2 - x1 + 1;
    p.h = centred ? y2 : y2 - y1 + 1;
    p.x = centred ? (cols - p.w) / 2 : x1;
    p.y = centred ? (rows - p.h) / 2 : y1;
    p.boxX1 = 0;
    p.boxX2 = p.w - 1;
    for (int i = 0; i < d->count; i++) {
        const FarDialogItem *it = &d->items[i];
        if (it->Type == DI_DOUBLEBOX || it->Type == DI_SINGLEBOX) {
            p.boxX1 = it->X1;
            p.boxX2 = it->X2;
            break;
        }
    }
    return p;
}

static void DrawText(const DialogPlace &p, const FarDialogItem *it, int color)
{
    if (it->Flags & DIF_SEPARATOR) {
        DrawHLine(p.x + p.boxX1, p.x + p.boxX2, p.y + it->Y1, color, 0, 1);
        if (it->Data[0]) {
            int x = it->X1 < 0 ? (p.w - LabelColumns(it->Data)) / 2 : it->X1;
            PutLabel(p.x + x, p.y + it->Y1, it->Data, p.w, color, CLR_DIALOG_HOT);
        }
        return;
    }
    int x = it->X1 < 0 ? (p.w - LabelColumns(it->Data)) / 2 : it->X1;
    PutLabel(p.x + x, p.y + it->Y1, it->Data, p.w - x, color, CLR_DIALOG_HOT);
}

static void DrawButton(const DialogPlace &p, const FarDialogItem *it, int focused)
{
    int color = focused ? CLR_DIALOG_FOCUS : CLR_DIALOG, x = p.x + it->X1, y = p.y + it->Y1;
    const char *open = it->DefaultButton ? "{ " : "[ ", *close = it->DefaultButton ? " }" : " ]";
    int n = PutText(x, y, open, 2, color);
    n += PutLabel(x + n, y, it->Data, p.w, color, focused ? color : CLR_DIALOG_HOT);
    PutText(x + n, y, close, 2, color);
}

static void DrawEdit(const DialogPlace &p, const DialogModel *d, int i)
{
    const FarDialogItem *it = &d->items[i];
    int w = EditFieldWidth(it), left = i == d->focus ? d->editLeft : 0;
    int len = (int)strnlen(it->Data, sizeof it->Data - 1);
    FillRect(p.x + it->X1, p.y + it->Y1, p.x + it->X1 + w - 1, p.y + it->Y1, CLR_EDIT);
    if (left < len) PutTextN(p.x + it->X1, p.y + it->Y1, it->Data + left, len - left, w, CLR_EDIT);
}

static void DrawItem(const DialogPlace &p, const DialogModel *d, int i)
{
    const FarDialogItem *it = &d->items[i];
    int focused = i == d->focus, x = p.x + it->X1, y = p.y + it->Y1;
    int color = CLR_DIALOG; /* the frame and the dialog share one colour here */
    switch (it->Type) {
    case DI_DOUBLEBOX:
    case DI_SINGLEBOX:
        DrawBox(x, y, p.x + it->X2, p.y + it->Y2, CLR_DIALOG, it->Type == DI_DOUBLEBOX);
        if (it->Data[0]) {
            int n = LabelColumns(it->Data), mid = x + (it->X2 - it->X1 + 1 - n - 2) / 2;
            PutText(mid, y, " ", 1, CLR_DIALOG);
            n = PutLabel(mid + 1, y, it->Data, it->X2 - it->X1 - 3, CLR_DIALOG, CLR_DIALOG);
            PutText(mid + 1 + n, y, " ", 1, CLR_DIALOG);
        }
        break;
    case DI_TEXT: DrawText(p, it, color); break;
    case DI_CHECKBOX:
    case DI_RADIOBUTTON: {
        const char *mark = it->Type == DI_CHECKBOX ? (it->Selected ? "[x] " : "[ ] ")
                                                   : (it->Selected ? "(*) " : "( ) ");
        PutText(x, y, mark, 4, focused ? CLR_DIALOG_FOCUS : CLR_DIALOG);
        PutLabel(x + 4, y, it->Data, p.w, CLR_DIALOG, CLR_DIALOG_HOT);
        break;
    }
    case DI_BUTTON: DrawButton(p, it, focused); break;
    case DI_EDIT:
    case DI_FIXEDIT:
    case DI_PSWEDIT: DrawEdit(p, d, i); break;
    default: break;
    }
}

static void DrawDialog(const DialogPlace &p, const DialogModel *d)
{
    FillRect(p.x, p.y, p.x + p.w - 1, p.y + p.h - 1, CLR_DIALOG);
    for (int i = 0; i < d->count; i++) DrawItem(p, d, i);
    if (d->focus < 0) {
        ScreenShowCursor(-1, 0);
    } else {
        const FarDialogItem *it = &d->items[d->focus];
        int x = p.x + it->X1 + 1;
        if (it->Type == DI_EDIT || it->Type == DI_FIXEDIT || it->Type == DI_PSWEDIT)
            x = p.x + it->X1 + d->editPos - d->editLeft;
        else if (it->Type == DI_BUTTON) x = p.x + it->X1 + 2;
        ScreenShowCursor(x, p.y + it->Y1);
    }
    ScreenFlush();
}

int DialogRun(int x1, int y1, int x2, int y2, const char *help, FarDialogItem *items, int count)
{
    DialogModel d;
    DialogInit(&d, items, count);
    FarHandle under = ScreenSave();
    int closeItem = -1;
    for (;;) {
        DrawDialog(PlaceDialog(x1, y1, x2, y2, &d), &d);
        KeyEvent k = ReadKey();
        if (k.vk == VK_RESIZED) {
            ScreenRestore(under);
            under = ScreenSave();
            continue;
        }
        if (IsPlainKey(k, VK_F1) && help) {
            HelpShow(help);
            continue;
        }
        if (DialogKey(&d, k, &closeItem) == DIALOG_CLOSED) break;
    }
    ScreenRestore(under);
    return closeItem;
}
