#include "gsmbench.h"
#include <visa.h>

long header_first_system_error(void) { return VI_ERROR_SYSTEM_ERROR; }
