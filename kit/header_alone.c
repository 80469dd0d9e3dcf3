/* The public header compiles alone as C, with our warnings, and its asserts hold. */
#include "include/ferrule.h"
