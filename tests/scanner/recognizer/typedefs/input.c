typedef unsigned long DWORD;
typedef int (*compare_fn)(const void *, const void *);
typedef char Name[16];
typedef struct tagP { int x; } P, *PP;
typedef struct tagX {
    int y;
} X;
typedef struct {
    int z;
} Anon;
typedef enum { RED, GREEN } Color;
typedef union { int i; float f; } Number;
typedef
    long long
    Wide;
