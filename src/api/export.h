// Included first by every file that defines exported functions: marks this
// build as the library's own so the public header exports rather than imports.
#pragma once

#ifndef GSMBENCH_BUILDING
#define GSMBENCH_BUILDING 1
#endif

#include "link/visa_api.h"
#include "gsmbench.h"
