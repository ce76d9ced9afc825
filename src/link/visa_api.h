// The VISA declarations the driver is built against: the standard visa.h of
// whichever implementation the build selected (a vendor VISA, our own LAN VISA
// layer, or the unit tests' fake). The driver uses only viOpenDefaultRM,
// viOpen, viClose, viPrintf and viScanf.
#pragma once

#include <visa.h>
