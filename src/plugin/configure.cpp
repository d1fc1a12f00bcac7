/* configure.cpp: the configuration dialog the host opens through Configure. */
#include "plugin/plugin.h"

#include "settings/settings.h"

#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"
#include "host/messages.h"

enum {
    CONFIG_ITEMS = 18,
    ITEM_MASK = 13,    /* the file-mask field */
    ITEM_CONFIRM = 16, /* the only closing item that saves */
    CONFIG_WIDTH = 57,
    CONFIG_HEIGHT = 20
};

static const uint32_t SEPARATOR = DIF_BOXCOLOR | DIF_SEPARATOR;

/* The two buttons sit on row 18, under the frame's bottom edge. */
static const DialogTemplateItem CONFIG_TEMPLATE[CONFIG_ITEMS] = {
    {DI_DOUBLEBOX, 3, 1, 53, 17, 0, 0, 0, 0, MSG_CONFIG},
    {DI_TEXT, 6, 2, 0, 0, 0, 0, 0, 0, MSG_CFG_PROJECT_GROUP},
    {DI_TEXT, 6, 8, 0, 0, 0, 0, 0, 0, MSG_CFG_EDITOR_GROUP},
    {DI_TEXT, 3, 7, 0, 0, 0, 0, SEPARATOR, 0, DIALOG_EMPTY_TEXT},
    {DI_TEXT, 3, 12, 0, 0, 0, 0, SEPARATOR, 0, DIALOG_EMPTY_TEXT},
    {DI_CHECKBOX, 8, 3, 0, 0, 1, 0, 0, 0, MSG_CFG_STATIC},
    {DI_CHECKBOX, 8, 4, 0, 0, 0, 0, 0, 0, MSG_CFG_INLINE},
    {DI_CHECKBOX, 8, 5, 0, 0, 0, 0, 0, 0, MSG_CFG_QUALIFIED},
    {DI_CHECKBOX, 8, 6, 0, 0, 0, 0, 0, 0, MSG_CFG_QUIT_MENU},
    /* the same labels; the headings tell them apart */
    {DI_CHECKBOX, 8, 9, 0, 0, 0, 0, 0, 0, MSG_CFG_STATIC},
    {DI_CHECKBOX, 8, 10, 0, 0, 0, 0, 0, 0, MSG_CFG_INLINE},
    {DI_CHECKBOX, 8, 11, 0, 0, 0, 0, 0, 0, MSG_CFG_QUALIFIED},
    {DI_TEXT, 6, 13, 0, 0, 0, 0, 0, 0, MSG_CFG_MASK_LABEL},
    {DI_EDIT, 17, 13, 50, 13, 0, 0, 0, 0, DIALOG_EMPTY_TEXT},
    {DI_CHECKBOX, 6, 14, 0, 0, 0, 0, 0, 0, MSG_CFG_RECURSE},
    {DI_CHECKBOX, 6, 15, 0, 0, 0, 0, 0, 0, MSG_CFG_MOVE_TO_LINE},
    {DI_BUTTON, 3, 18, 0, 0, 0, 0, 0, 1, MSG_CFG_SAVE},
    {DI_BUTTON, 11, 18, 0, 0, 0, 0, 0, 0, MSG_CFG_CANCEL},
};

static const char *const LITERAL_TEXTS[] = {""};

static const char *TemplateText(uint32_t text)
{
    if (text < DIALOG_LITERAL_TEXT) return MsgText((int)text);
    uint32_t i = text - DIALOG_LITERAL_TEXT;
    return i < sizeof LITERAL_TEXTS / sizeof LITERAL_TEXTS[0] ? LITERAL_TEXTS[i] : "";
}

void InitDialogItems(const DialogTemplateItem *tpl, FarDialogItem *items, int count)
{
    for (int i = 0; i < count; i++) {
        FarDialogItem *item = &items[i];
        memset(item, 0, sizeof *item);
        item->Type = tpl[i].type;
        item->X1 = tpl[i].x1;
        item->Y1 = tpl[i].y1;
        item->X2 = tpl[i].x2;
        item->Y2 = tpl[i].y2;
        item->Focus = tpl[i].focus;
        item->Selected = tpl[i].selected;
        item->Flags = tpl[i].flags;
        item->DefaultButton = tpl[i].defaultButton;
        CopyTruncated(item->Data, sizeof item->Data, TemplateText(tpl[i].text));
    }
}

/* Writes every option; 0 only when all ten were stored. */
static int SaveOptions(const FarDialogItem *items, const char *mask)
{
    int failed = 0;
    for (int i = 0; i < OPT_FLAG_COUNT; i++)
        failed |= SetDwordValue("", OPTION_FLAGS[i].name,
                                items[OPTION_FLAGS[i].dialogItem].Selected != 0) != 0;
    failed |= SetStringValue("", OPTION_MASK_NAME, mask) != 0;
    return failed ? -1 : 0;
}

int ConfigDialog(void)
{
    FarDialogItem items[CONFIG_ITEMS];
    char mask[MASK_SIZE];
    InitDialogItems(CONFIG_TEMPLATE, items, CONFIG_ITEMS);
    for (int i = 0; i < OPT_FLAG_COUNT; i++)
        if (GetOptionFlag(i)) items[OPTION_FLAGS[i].dialogItem].Selected = 1;
    GetOptionMask(mask, sizeof mask);
    CopyTruncated(items[ITEM_MASK].Data, sizeof items[ITEM_MASK].Data, mask);

    if (HostDialog(CONFIG_WIDTH, CONFIG_HEIGHT, items, CONFIG_ITEMS) != ITEM_CONFIRM) return 0;
    /* the host's edit text need not be terminated within Data */
    CopyTruncatedN(mask, sizeof mask, items[ITEM_MASK].Data, sizeof items[ITEM_MASK].Data);
    return SaveOptions(items, mask) == 0 ? 1 : 0;
}
