/* drv.c - a character device driver, old style */
#include "drv.h"

#define DRV_NAME	"zdrv"
#define DRV_MAJOR	42
#define REG(base, off)	(*(volatile unsigned long *)((base) + (off)))
#define DPRINT(fmt, args...) \
	printk(KERN_DEBUG DRV_NAME ": " fmt , ## args)

MODULE_LICENSE("GPL");
MODULE_AUTHOR("nobody");

static int debug = 0;
static struct drv_state state[4];

struct drv_ops {
	int (*open)(int minor);
	int (*close)(int minor);
};

/* K&R leftovers from the first version */
int
drv_probe(base, irq)
	unsigned long base;
	int irq;
{
	if (REG(base, 0) != 0x5a)
		return -1;
	return 0;
}

static void
drv_reset(unit)
	int unit;
{
	state[unit].flags = 0;
}

int drv_open(int minor)
{
	DPRINT("open %d\n", minor);
	return minor < 4 ? 0 : -1;
}

int drv_close(int minor) { return 0; }

static struct drv_ops ops = {
	drv_open,
	drv_close,
};

int
init_module(void)
{
	return register_chrdev(DRV_MAJOR, DRV_NAME, &ops);
}

void cleanup_module(void) { unregister_chrdev(DRV_MAJOR, DRV_NAME); }
