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

/* Operations ---------------------------------------------------------------
 *
 * Resources: TCPIP[board]::host::port::SOCKET (raw SCPI over TCP) and
 * TCPIP[board]::host[::device][::INSTR] (VXI-11, device "inst0" by default,
 * "gpib0,14" for an instrument behind a LAN/GPIB gateway). Hosts are names,
 * IPv4 addresses or bracketed IPv6 addresses; keywords are case-insensitive.
 * GPIB, ASRL, USB, VXI and PXI names return VI_ERROR_NSUP_OPER; malformed
 * names VI_ERROR_INV_RSRC_NAME; a host or device that refuses, does not answer
 * within the open bound (the open time-out, at most 60 s, or 3000 ms when it is
 * 0), or does not exist VI_ERROR_RSRC_NFOUND.
 *
 * Every I/O operation has one deadline, VI_ATTR_TMO_VALUE from its start (each
 * network wait and each VXI-11 call gets what is left), and fails with
 * VI_ERROR_TMO (deadline passed), VI_ERROR_CONN_LOST (peer closed or reset the
 * connection) or VI_ERROR_IO (any other transport or protocol failure). Each
 * call is atomic on its session: calls from several threads on one session are
 * serialised, never interleaved; a write-then-read pair spans two calls, so a
 * caller sharing a session between threads serialises the pair itself.
 * Unknown or closed handles return VI_ERROR_INV_OBJECT; a session closed while
 * another thread is inside a call on it makes that call return promptly.
 *
 * viPrintf / viVPrintf: the whole output of one call is sent as one message
 * (END on its last byte) when the call returns; output over 64 KiB goes out in
 * 64 KiB parts as it is produced. Conversions: %d %i %u %x %X %o %c %s
 * %f %F %e %E %g %G %%, with flags - + space 0 (# is accepted and ignored),
 * width and precision (numbers or *), and length modifiers hh h l ll z L
 * (l means ViInt32/ViUInt32, ll ViInt64/ViUInt64, L long double). Numbers are
 * printed the same in every locale (decimal point).
 *
 * viScanf / viVScanf read one message (reply) per call: after the last
 * directive, the rest of the current message, up to and including its
 * terminator, is read and dropped, so a reply longer than the caller's buffer
 * never shifts the next exchange. Conversions: %d %i %u %x %X %o (same length
 * modifiers; default and l store a 32-bit integer), %f %e %g (float, l double,
 * L long double), %s (a word), %t (the rest of the message, terminator
 * included), %c, %n, %%; * suppresses assignment; a width bounds the
 * characters stored and a NUL follows them (the buffer holds width + 1 bytes).
 * %#s, %#t and %#c take a ViInt32* before the buffer: on entry the buffer's
 * size in bytes (s and t store at most size - 1 characters and a NUL), on
 * return the number of characters stored. A directive that finds no matching
 * input ends the scan with VI_SUCCESS and leaves its argument untouched. The
 * end of a message is END (VXI-11) or, when VI_ATTR_TERMCHAR_EN is set, the
 * termination character.
 *
 * viRead stops at END, at the termination character when enabled
 * (VI_SUCCESS_TERM_CHAR) or at the count (VI_SUCCESS_MAX_CNT); bytes after a
 * terminator stay buffered for the next read. viClear drops both buffers and,
 * for INSTR, sends device_clear; a SOCKET session also drops what has already
 * arrived. Closing a resource manager closes every session opened through it.
 * viStatusDesc accepts any handle and writes at most 256 bytes.
 *
 * Environment: GSMBENCH_PORTMAPPER_PORT, read by viOpenDefaultRM, sets the TCP
 * port of the portmapper that VXI-11 sessions opened through that resource
 * manager ask for the core channel (default 111). */
GSMBENCH_VISA_API ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi);
GSMBENCH_VISA_API ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode,
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

/* Attributes ----------------------------------------------------------------
 * Sessions: TMO_VALUE (ViUInt32, default 2000 ms, VI_TMO_INFINITE allowed),
 * TERMCHAR (ViUInt8, default '\n'), TERMCHAR_EN (ViBoolean; VI_TRUE for SOCKET,
 * whose messages can only end at the termination character; VI_FALSE for
 * INSTR), SEND_END_EN (default VI_TRUE), SUPPRESS_END_EN (default VI_FALSE),
 * TCPIP_NODELAY (default VI_TRUE) and TCPIP_KEEPALIVE (SOCKET only) are
 * read-write; RSRC_NAME, RSRC_CLASS, INTF_TYPE, INTF_NUM, TCPIP_ADDR,
 * TCPIP_HOSTNAME, TCPIP_PORT, TCPIP_DEVICE_NAME, RM_SESSION, RSRC_MANF_NAME,
 * RSRC_SPEC_VERSION and RSRC_IMPL_VERSION are read-only. A resource manager
 * has TMO_VALUE and the three RSRC_ identification attributes. */
#define VI_ATTR_RSRC_CLASS (0xBFFF0001UL)
#define VI_ATTR_RSRC_NAME (0xBFFF0002UL)
#define VI_ATTR_RSRC_IMPL_VERSION (0x3FFF0003UL)
#define VI_ATTR_SEND_END_EN (0x3FFF0016UL)
#define VI_ATTR_TERMCHAR (0x3FFF0018UL)
#define VI_ATTR_TMO_VALUE (0x3FFF001AUL)
#define VI_ATTR_SUPPRESS_END_EN (0x3FFF0036UL)
#define VI_ATTR_TERMCHAR_EN (0x3FFF0038UL)
#define VI_ATTR_RM_SESSION (0x3FFF00C4UL)
#define VI_ATTR_RSRC_SPEC_VERSION (0x3FFF0170UL)
#define VI_ATTR_INTF_TYPE (0x3FFF0171UL)
#define VI_ATTR_RSRC_MANF_NAME (0xBFFF0174UL)
#define VI_ATTR_INTF_NUM (0x3FFF0176UL)
#define VI_ATTR_TCPIP_ADDR (0xBFFF0195UL)
#define VI_ATTR_TCPIP_HOSTNAME (0xBFFF0196UL)
#define VI_ATTR_TCPIP_PORT (0x3FFF0197UL)
#define VI_ATTR_TCPIP_DEVICE_NAME (0xBFFF0199UL)
#define VI_ATTR_TCPIP_NODELAY (0x3FFF019AUL)
#define VI_ATTR_TCPIP_KEEPALIVE (0x3FFF019BUL)

#define VI_TMO_IMMEDIATE (0L)
#define VI_TMO_INFINITE (0xFFFFFFFFUL)

#define VI_NO_LOCK (0)
#define VI_EXCLUSIVE_LOCK (1)
#define VI_SHARED_LOCK (2)
#define VI_LOAD_CONFIG (4)
#define VI_FIND_BUFLEN (256)

#define VI_INTF_GPIB (1)
#define VI_INTF_VXI (2)
#define VI_INTF_GPIB_VXI (3)
#define VI_INTF_ASRL (4)
#define VI_INTF_TCPIP (6)
#define VI_INTF_USB (7)

/* Completion codes ---------------------------------------------------------- */
#define VI_SUCCESS (0L)
#define VI_SUCCESS_TERM_CHAR (0x3FFF0005L)
#define VI_SUCCESS_MAX_CNT (0x3FFF0006L)
#define VI_WARN_NULL_OBJECT (0x3FFF0082L)
#define VI_WARN_UNKNOWN_STATUS (0x3FFF0085L)

/* Error codes ---------------------------------------------------------------- */
#define VI_ERROR_SYSTEM_ERROR (_VI_ERROR+0x3FFF0000L)
#define VI_ERROR_INV_OBJECT (_VI_ERROR+0x3FFF000EL)
#define VI_ERROR_INV_SESSION (_VI_ERROR+0x3FFF000EL)
#define VI_ERROR_RSRC_LOCKED (_VI_ERROR+0x3FFF000FL)
#define VI_ERROR_RSRC_NFOUND (_VI_ERROR+0x3FFF0011L)
#define VI_ERROR_INV_RSRC_NAME (_VI_ERROR+0x3FFF0012L)
#define VI_ERROR_INV_ACC_MODE (_VI_ERROR+0x3FFF0013L)
#define VI_ERROR_TMO (_VI_ERROR+0x3FFF0015L)
#define VI_ERROR_CLOSING_FAILED (_VI_ERROR+0x3FFF0016L)
#define VI_ERROR_NSUP_ATTR (_VI_ERROR+0x3FFF001DL)
#define VI_ERROR_NSUP_ATTR_STATE (_VI_ERROR+0x3FFF001EL)
#define VI_ERROR_ATTR_READONLY (_VI_ERROR+0x3FFF001FL)
#define VI_ERROR_ABORT (_VI_ERROR+0x3FFF0030L)
#define VI_ERROR_ALLOC (_VI_ERROR+0x3FFF003CL)
#define VI_ERROR_IO (_VI_ERROR+0x3FFF003EL)
#define VI_ERROR_INV_FMT (_VI_ERROR+0x3FFF003FL)
#define VI_ERROR_NSUP_FMT (_VI_ERROR+0x3FFF0041L)
#define VI_ERROR_NSUP_OPER (_VI_ERROR+0x3FFF0067L)
#define VI_ERROR_USER_BUF (_VI_ERROR+0x3FFF0071L)
#define VI_ERROR_INV_PARAMETER (_VI_ERROR+0x3FFF0078L)
#define VI_ERROR_CONN_LOST (_VI_ERROR+0x3FFF00A6L)

#if defined(__cplusplus) || defined(__cplusplus__)
}
#endif

#endif /* __VISA_HEADER__ */
