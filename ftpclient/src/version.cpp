#include "varnix32.h"

extern "C" int varnix_version(void) { return VARNIX_VERSION_NUMBER; }
