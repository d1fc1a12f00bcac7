/* list.h - intrusive doubly linked lists */
#ifndef QED_LIST_H
#define QED_LIST_H

struct list_node {
    struct list_node *next;
    struct list_node *prev;
    void *data;
};

struct list_head {
    struct list_node *first;
    struct list_node *last;
    long count;
};

#define list_empty(h)   ((h)->first == 0)
#define list_for_each(n, h) for ((n) = (h)->first; (n); (n) = (n)->next)

#ifdef __cplusplus
extern "C" {
#endif

void list_init(struct list_head *h);
void list_append(struct list_head *h, void *item);
void list_insert_after(struct list_head *h, struct list_node *pos, struct list_node *n);
void list_remove(struct list_head *h, struct list_node *n);
struct list_node *list_nth(struct list_head *h, long n);

#ifdef __cplusplus
}
#endif

#endif
