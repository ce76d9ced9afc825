/* The subset of the VISA C API that gsmbench's own VISA layer provides.
 *
 * Names, types, status codes and attribute ids are those of the published VISA
 * standard, so the driver and applications compile unchanged against a vendor
 * VISA installation instead. Only the operations and values this project uses
 * or implements are declared here. */
#ifndef __VISA_HEADER__
#define __VISA_HEADER__

#include <stdarg.h>
#include "visatype.h"

#if defined(__cplusplus) || defined(__cplusplus__)
extern "C" {
#endif

/* Exported from the VISA library; a static build defines GSMBENCH_VISA_STATIC. */
#if defined(_WIN32) && !defined(GSMBENCH_VISA_STATIC)
#if defined(GSMBENCH_VISA_BUILDING)
#define GSMBENCH_VISA_API __declspec(dllexport)
#else
#define GSMBENCH_VISA_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define GSMBENCH_VISA_API __attribute__((visibility("default")))
#else
#define GSMBENCH_VISA_API
#endif

#define VI_SPEC_VERSION (0x00700000UL)

/* Operations --------------------------------------------------------------- */
GSMBENCH_VISA_API ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi);
GSMBENCH_VISA_API ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViUInt32 mode,
                                           ViUInt32 timeout, ViPSession vi);
GSMBENCH_VISA_API ViStatus _VI_FUNC viClose(ViObject vi);
GSMBENCH_VISA_API ViStatus _VI_FUNC viSetAttribute(ViObject vi, ViAttr attrName,
                                                   ViAttrState attrValue);
GSMBENCH_VISA_API ViStatus _VI_FUNC viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue);
GSMBENCH_VISA_API ViStatus _VI_FUNC viStatusDesc(ViObject vi, ViStatus status, ViChar desc[]);
GSMBENCH_VISA_API ViStatus _VI_FUNC viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
GSMBENCH_VISA_API ViStatus _VI_FUNC viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt,
                                            ViPUInt32 retCnt);
GSMBENCH_VISA_API ViStatus _VI_FUNC viClear(ViSession vi);
GSMBENCH_VISA_API ViStatus _VI_FUNCC viPrintf(ViSession vi, ViConstString writeFmt, ...);
GSMBENCH_VISA_API ViStatus _VI_FUNC viVPrintf(ViSession vi, ViConstString writeFmt, va_list params);
GSMBENCH_VISA_API ViStatus _VI_FUNCC viScanf(ViSession vi, ViConstString readFmt, ...);
GSMBENCH_VISA_API ViStatus _VI_FUNC viVScanf(ViSession vi, ViConstString readFmt, va_list params);

/* Attributes ---------------------------------------------------------------- */
#define VI_ATTR_RSRC_NAME (0xBFFF0002UL)
#define VI_ATTR_TERMCHAR (0x3FFF0018UL)
#define VI_ATTR_TMO_VALUE (0x3FFF001AUL)
#define VI_ATTR_TERMCHAR_EN (0x3FFF0038UL)

#define VI_TMO_IMMEDIATE (0L)
#define VI_TMO_INFINITE (0xFFFFFFFFUL)

#define VI_NO_LOCK (0)
#define VI_FIND_BUFLEN (256)

/* Completion codes ---------------------------------------------------------- */
#define VI_SUCCESS (0L)
#define VI_SUCCESS_TERM_CHAR (0x3FFF0005L)
#define VI_SUCCESS_MAX_CNT (0x3FFF0006L)

/* Error codes ---------------------------------------------------------------- */
#define VI_ERROR_SYSTEM_ERROR (_VI_ERROR + 0x3FFF0000L)
#define VI_ERROR_INV_OBJECT (_VI_ERROR + 0x3FFF000EL)
#define VI_ERROR_INV_SESSION (_VI_ERROR + 0x3FFF000EL)
#define VI_ERROR_RSRC_NFOUND (_VI_ERROR + 0x3FFF0011L)
#define VI_ERROR_INV_RSRC_NAME (_VI_ERROR + 0x3FFF0012L)
#define VI_ERROR_TMO (_VI_ERROR + 0x3FFF0015L)
#define VI_ERROR_NSUP_ATTR (_VI_ERROR + 0x3FFF001DL)
#define VI_ERROR_NSUP_ATTR_STATE (_VI_ERROR + 0x3FFF001EL)
#define VI_ERROR_IO (_VI_ERROR + 0x3FFF003EL)
#define VI_ERROR_INV_FMT (_VI_ERROR + 0x3FFF003FL)
#define VI_ERROR_NSUP_FMT (_VI_ERROR + 0x3FFF0041L)
#define VI_ERROR_NSUP_OPER (_VI_ERROR + 0x3FFF0067L)
#define VI_ERROR_INV_PARAMETER (_VI_ERROR + 0x3FFF0078L)
#define VI_ERROR_CONN_LOST (_VI_ERROR + 0x3FFF00A6L)

#if defined(__cplusplus) || defined(__cplusplus__)
}
#endif

#endif /* __VISA_HEADER__ */
