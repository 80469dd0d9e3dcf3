/* A mingw host linking by -lFerrule: every export, declared by the public header alone,
 * resolves through libFerrule.dll.a to the undecorated name. Linked, never run. */
#include "include/ferrule.h"
#include "kit/export_list.h"

typedef void (*AnyExport)(void);
#define FERRULE_ADDRESS(name) (AnyExport)&name,
/* Not static, so that it is kept and each address must resolve. */
const AnyExport kEveryExport[] = {FERRULE_EACH_EXPORT(FERRULE_ADDRESS)};

int main(void) {
    InsertChannel(0);
    return SetQuickWarp(1);
}
