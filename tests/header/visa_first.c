#include <visa.h>
#include "gsmbench.h"

long visa_first_system_error(void) { return VI_ERROR_SYSTEM_ERROR; }
