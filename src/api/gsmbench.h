/* gsmbench: driver for a GSM/GPRS/EGPRS base-station test set and a bench DC
 * supply, as a flat C API over VISA.
 *
 * Every instrument call is one complete, synchronous exchange on a session the
 * caller opened with OpenGPIB or OpenInstrument: the call writes its SCPI
 * line(s) through VISA and, for queries, reads and decodes the reply.
 *
 * Conventions that hold for every function below unless its comment says more:
 * - Instrument calls return a ViStatus. A non-zero VISA status (warnings
 *   included) ends the exchange at once and is returned unchanged.
 *   VI_ERROR_SYSTEM_ERROR (0xBFFF0000) is the library's own refusal: a null
 *   pointer, a code outside its table (negative codes included), a text that
 *   would not fit its line, or a reply keyword that matches nothing. A refused
 *   call puts nothing on the bus.
 * - Outputs are written only when the whole exchange succeeded, except the
 *   "unrecognised" code that keyword queries store with VI_ERROR_SYSTEM_ERROR.
 * - Numbers on the bus never depend on the process locale: "%f" values are
 *   printed with a decimal point and six decimals (2.500000) under any locale.
 * - Caller text (channel types, bands, frequencies, offsets) is sent exactly as
 *   given; a percent sign is sent as a percent sign. Fixed text fields are read
 *   only within their 32 (or 16) bytes, terminated or not.
 * - Every reply is read into a bounded buffer; the part of an over-long reply
 *   that does not fit is discarded with the rest of that reply, so the next
 *   exchange starts clean. Decoding uses the bytes that fit.
 * - No call allocates memory, keeps state between calls, or takes a lock. Calls
 *   on different sessions may run on different threads; one session must carry
 *   one exchange at a time.
 */
#ifndef GSMBENCH_H
#define GSMBENCH_H

/* VISA scalar types, identical to the standard visatype.h so that a program may
 * include both headers in either order. */
#ifndef __VISATYPE_HEADER__
#if (defined(_WIN64) || defined(__LP64__) || defined(_LP64) || defined(__x86_64__) ||            \
     defined(__aarch64__)) &&                                                                      \
    !defined(_WIN32)
typedef unsigned int ViUInt32;
typedef signed int ViInt32;
#else
typedef unsigned long ViUInt32;
typedef signed long ViInt32;
#endif
typedef unsigned short ViUInt16;
typedef float ViReal32;
typedef char ViChar;
typedef ViUInt16 ViBoolean;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViSession *ViPSession;
#endif

/* Spelled exactly as the standard headers spell them, so that including a
 * vendor's visa.h after this header redefines them identically, without a
 * warning. */
#ifndef _VI_ERROR
#define _VI_ERROR (-2147483647L-1)
#endif
#ifndef VI_SUCCESS
#define VI_SUCCESS (0L)
#endif
#ifndef VI_ERROR_SYSTEM_ERROR
#define VI_ERROR_SYSTEM_ERROR (_VI_ERROR+0x3FFF0000L)
#endif

/* GSMBENCH_API marks the exported functions; GSMBENCH_CALL is their calling
 * convention. Both may be predefined by a build: the default is the platform C
 * convention (__cdecl on Windows), which keeps the exported names undecorated on
 * every target. */
#ifndef GSMBENCH_API
#if defined(_WIN32)
#if defined(GSMBENCH_BUILDING)
#define GSMBENCH_API __declspec(dllexport)
#else
#define GSMBENCH_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define GSMBENCH_API __attribute__((visibility("default")))
#else
#define GSMBENCH_API
#endif
#endif
#ifndef GSMBENCH_CALL
#if defined(_WIN32)
#define GSMBENCH_CALL __cdecl
#else
#define GSMBENCH_CALL
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ==== Code values (published; never renumbered) ============================ */

/* Operating modes (BS_Set_Call_Operating_Mode). */
enum {
    GSMB_MODE_OFF = 0, GSMB_MODE_CALL = 1, GSMB_MODE_CW = 2, GSMB_MODE_GBT = 3,
    GSMB_MODE_GBTT = 4, GSMB_MODE_PBT = 5, GSMB_MODE_PBPT = 6, GSMB_MODE_PBPTT = 7,
    GSMB_MODE_EBT = 8, GSMB_MODE_EBPT = 9, GSMB_MODE_EBPTT = 10,
    GSMB_MODE_UNRECOGNISED = 11
};

/* Bands (rows of the band table). SEL is the test set's selected band. */
enum {
    GSMB_BAND_PGSM = 0, GSMB_BAND_DCS = 1, GSMB_BAND_EGSM = 2, GSMB_BAND_GSM450 = 3,
    GSMB_BAND_GSM480 = 4, GSMB_BAND_GSM750 = 5, GSMB_BAND_GSM850 = 6, GSMB_BAND_PCS = 7,
    GSMB_BAND_RGSM = 8, GSMB_BAND_TGSM810 = 9, GSMB_BAND_SEL = 10,
    GSMB_BAND_UNRECOGNISED = 11
};

/* Channel types (rows of the channel-type table). */
enum { GSMB_CHANNEL_TCH = 0, GSMB_CHANNEL_BCH = 1 };

/* Measurements (rows of the measurement table). */
enum {
    GSMB_MEAS_AAUD = 0, GSMB_MEAS_BERR = 1, GSMB_MEAS_BLER = 2, GSMB_MEAS_DAUD = 3,
    GSMB_MEAS_DPOW = 4, GSMB_MEAS_ETXP = 5, GSMB_MEAS_FBER = 6, GSMB_MEAS_GBER = 7,
    GSMB_MEAS_IQT = 8, GSMB_MEAS_ORFS = 9, GSMB_MEAS_PFER = 10, GSMB_MEAS_PVT = 11,
    GSMB_MEAS_SMON = 12, GSMB_MEAS_TXP = 13, GSMB_MEAS_RXL = 14
};

/* Connection types (BS_Set_Call_Connect_Type). */
enum {
    GSMB_CONN_A = 0, GSMB_CONN_B = 1, GSMB_CONN_ACKB = 2, GSMB_CONN_BLER = 3,
    GSMB_CONN_AUTO = 4, GSMB_CONN_SRBL = 5, GSMB_CONN_UNRECOGNISED = 6
};

/* Call states (BS_Query_Call_State). */
enum {
    GSMB_CALL_IDLE = 0, GSMB_CALL_SREQ = 1, GSMB_CALL_ALER = 2, GSMB_CALL_CONN = 3,
    GSMB_CALL_DISC = 4, GSMB_CALL_HAND = 5, GSMB_CALL_PAG = 6, GSMB_CALL_UNRECOGNISED = 7
};

/* Initiation codes (rows of the initiate table; not the measurement codes). */
enum {
    GSMB_INIT_NONE = 0, GSMB_INIT_AAUD = 1, GSMB_INIT_BERR = 2, GSMB_INIT_BFI = 3,
    GSMB_INIT_BLER = 4, GSMB_INIT_DAUD = 5, GSMB_INIT_DPOW = 6, GSMB_INIT_EDP = 7,
    GSMB_INIT_EMAC = 8, GSMB_INIT_ETXP = 9, GSMB_INIT_FBER = 10, GSMB_INIT_FFER = 11,
    GSMB_INIT_FST = 12, GSMB_INIT_GBER = 13, GSMB_INIT_IQT = 14, GSMB_INIT_MTA = 15,
    GSMB_INIT_ORFS = 16, GSMB_INIT_PCAL = 17, GSMB_INIT_PFER = 18, GSMB_INIT_PVT = 19,
    GSMB_INIT_SBER = 20, GSMB_INIT_SMON = 21, GSMB_INIT_TXP = 22, GSMB_INIT_WAIT = 23,
    GSMB_INIT_IFER = 24, GSMB_INIT_ERROR = 25
};

/* Time units (MeasurementSetting.unit, MeasurementSetup.timeoutUnit/delayUnit). */
enum { GSMB_UNIT_S = 0, GSMB_UNIT_MS = 1, GSMB_UNIT_US = 2, GSMB_UNIT_NS = 3 };

/* Trigger sources; any other code sends AUTO. */
enum { GSMB_TRIG_AUTO = 0, GSMB_TRIG_PROT = 1, GSMB_TRIG_RISE = 2, GSMB_TRIG_IMM = 3 };

/* Burst synchronisation (BS_Set_Burst_Sync); any other code sends NONE. */
enum { GSMB_SYNC_MIDAMBLE = 0, GSMB_SYNC_AMPLITUDE = 1, GSMB_SYNC_NONE = 2 };

/* BER types (BerSetup.berType). */
enum {
    GSMB_BER_TYPEIA = 0, GSMB_BER_TYPEII = 1, GSMB_BER_TYPEIB = 2,
    GSMB_BER_RESTYPEIA = 3, GSMB_BER_RESTYPEII = 4, GSMB_BER_RESTYPEIB = 5
};

/* Frequency units (RfGeneratorFrequency.unit). */
enum { GSMB_FREQ_HZ = 0, GSMB_FREQ_KHZ = 1, GSMB_FREQ_MHZ = 2, GSMB_FREQ_GHZ = 3 };

/* Burst types (BS_TM_Set_CALL_Burst_Type): TSCn is code n + 1. */
enum {
    GSMB_BURST_RACH = 0, GSMB_BURST_TSC0 = 1, GSMB_BURST_TSC1 = 2, GSMB_BURST_TSC2 = 3,
    GSMB_BURST_TSC3 = 4, GSMB_BURST_TSC4 = 5, GSMB_BURST_TSC5 = 6, GSMB_BURST_TSC6 = 7,
    GSMB_BURST_TSC7 = 8, GSMB_BURST_UNRECOGNISED = 9
};

/* ==== Records (field order and sizes are part of the ABI) =================== */

#define GSMB_TEXT_FIELD_SIZE 32
#define GSMB_ORFS_OFFSET_SIZE 16
#define GSMB_CORRECTION_POINTS 20
#define GSMB_ORFS_SWITCHING_SLOTS 8
#define GSMB_ORFS_MODULATION_SLOTS 22

typedef struct ChannelBandText {
    ViChar channelType[GSMB_TEXT_FIELD_SIZE]; /* e.g. "TCH", "BCH" */
    ViChar band[GSMB_TEXT_FIELD_SIZE];        /* e.g. "PGSM" */
    ViInt32 channel;
} ChannelBandText;

typedef struct ChannelBandCode {
    ViInt32 band;        /* GSMB_BAND_* (0..10) */
    ViInt32 channelType; /* GSMB_CHANNEL_* */
    ViInt32 channel;
} ChannelBandCode;

typedef struct BandValue {
    ViInt32 band;  /* GSMB_BAND_* */
    ViInt32 value; /* TX level or channel number, by function */
} BandValue;

typedef struct TypedBandValue {
    ViChar channelType[GSMB_TEXT_FIELD_SIZE];
    ViInt32 band;
    ViInt32 value;
} TypedBandValue;

typedef struct CorrectionPoint {
    ViChar frequency[GSMB_TEXT_FIELD_SIZE]; /* SCPI text with unit, e.g. "900MHZ" */
    ViReal32 gain;
} CorrectionPoint;

typedef struct CorrectionTable {
    CorrectionPoint point[GSMB_CORRECTION_POINTS];
    ViInt32 count; /* points in use, 1..20 */
} CorrectionTable;

typedef struct CellIdentity {
    ViInt32 mcc, lac, mnc, ncc, bcc;
} CellIdentity;

typedef struct MeasurementSetting {
    ViInt32 measurement; /* GSMB_MEAS_* */
    ViInt32 value;
    ViInt32 unit; /* GSMB_UNIT_* */
} MeasurementSetting;

typedef struct MeasurementSetup {
    ViInt32 measurement;
    ViInt32 countState;
    ViInt32 count;
    ViInt32 timeoutState;
    ViReal32 timeout;
    ViInt32 timeoutUnit;
    ViInt32 armState;
    ViInt32 triggerSource;
    ViReal32 triggerDelay;
    ViInt32 delayUnit;
    ViInt32 triggerQualifier;
} MeasurementSetup;

typedef struct BerSetup {
    ViReal32 clsDelayTime;
    ViInt32 clsDelayUnit;
    ViInt32 slControl;
    ViInt32 berType; /* GSMB_BER_* */
    ViInt32 reserved;
    ViInt32 manualDelay; /* 0: automatic loop delay */
} BerSetup;

typedef struct OrfsFrequencies {
    ViChar switching[GSMB_ORFS_SWITCHING_SLOTS][GSMB_ORFS_OFFSET_SIZE];
    ViChar modulation[GSMB_ORFS_MODULATION_SLOTS][GSMB_ORFS_OFFSET_SIZE];
    ViInt32 switchingCount;  /* 0..8 */
    ViInt32 modulationCount; /* 0..22 */
} OrfsFrequencies;

typedef struct RfGeneratorFrequency {
    ViInt32 target; /* 1: the GSM setting; any other value: the SEL setting */
    ViReal32 frequency;
    ViInt32 unit; /* GSMB_FREQ_* (Set only) */
} RfGeneratorFrequency;

typedef struct TargetCount {
    ViInt32 target; /* 1: the GSM setting; any other value: the SEL setting */
    ViInt32 count;
} TargetCount;

/* Result records. Slot 0 is the test set's integrity indicator (0: a normal
 * result). Integer slots hold the reply's value truncated toward zero; see
 * ParseFloatList for values outside the 32-bit range. */
typedef struct TxpResult {
    ViInt32 integrity;
    ViReal32 power; /* dBm */
} TxpResult;

typedef struct PferResult {
    ViInt32 integrity;
    ViReal32 rmsPhaseError;  /* degrees */
    ViReal32 peakPhaseError; /* degrees */
    ViReal32 frequencyError; /* Hz */
} PferResult;

typedef struct PvtResult {
    ViInt32 integrity;
    ViReal32 value[4]; /* values 2 to 5 of the reply: mask result (0 pass),
                          mean burst power (dBm), then two further values */
} PvtResult;

typedef struct OrfsResult {
    ViInt32 integrity;
    ViReal32 value[32]; /* values 2 to 33 of the reply, in order */
} OrfsResult;

typedef struct BerResult {
    ViInt32 integrity;
    ViInt32 bitsTested;  /* value 2 of the reply, truncated */
    ViReal32 ratio;      /* value 3: bit error ratio, percent */
    ViReal32 errorCount; /* value 4: bits in error */
} BerResult;

/* ==== Sessions =============================================================== */
/* These six return 1 on success and 0 on failure, not a VISA status. */

/* Opens the VISA default resource manager into *rm. */
GSMBENCH_API ViInt32 GSMBENCH_CALL CreateGPIBDefaultRM(ViSession *rm);
/* Closes the resource manager (and, in VISA, every session opened on it). */
GSMBENCH_API ViInt32 GSMBENCH_CALL FreeGPIBDefaultRM(ViSession rm);
/* Opens a session; with reset, sends "*CLS" then "*RST" and waits 20 ms.
 * A name longer than 255 characters (or a null pointer) returns 0 without
 * calling VISA. */
GSMBENCH_API ViInt32 GSMBENCH_CALL OpenGPIB(ViSession rm, ViSession *vi, const ViChar *name,
                                            ViBoolean reset);
/* Opens a session; with reset, sends "*RST" only, without waiting.
 * Long or null names as OpenGPIB. */
GSMBENCH_API ViInt32 GSMBENCH_CALL OpenInstrument(ViSession rm, ViSession *vi,
                                                  const ViChar *name, ViBoolean reset);
/* Closes one session; a 0 handle is success without a VISA call. */
GSMBENCH_API ViInt32 GSMBENCH_CALL CloseInstrument(ViSession vi);
/* Closes the session then the resource manager (each only when non-zero).
 * Both are attempted; returns 0 when either close failed. */
GSMBENCH_API ViInt32 GSMBENCH_CALL CloseGPIB(ViSession rm, ViSession vi);
/* Does nothing; kept for callers that probe the library. */
GSMBENCH_API void GSMBENCH_CALL Test_8960(void);

/* ==== Housekeeping =========================================================== */
/* Sends "*RST" then "*CLS" (both always); returns the first non-zero status. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_ReSet(ViSession vi);
/* Sends "SYST:COMM:GPIB:DEB:STAT ON" (on != 0) or "... OFF". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_SYST_TurnOn_Debugger(ViSession vi, ViInt32 on);
/* Sends "*CLS". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Clear_Error(ViSession vi);
/* "SYSTem:ERRor?"; copies 255 bytes (reply, zero-padded, always terminated
 * within the 255) into error[0..254]; error[255] is never written. A reply of
 * 255 characters or more keeps its first 254. A null error is refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Error(ViSession vi, ViChar *error);
/* "*IDN?"; copies the reply and its terminator into info (at least 256 bytes)
 * and nothing beyond them; a longer reply keeps its first 255 characters. A
 * null info is refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Testset_Info(ViSession vi, ViChar *info);
/* Sends "ABORT:ALL". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Abort_All(ViSession vi);
/* Sends "ABORT:<measurement>"; a code outside 0..14 is refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Abort_Item(ViSession vi, ViInt32 measurement);

/* ==== Operating mode and band ================================================ */
/* Getters read the reply (bounded to 32 bytes) and match its leading keyword,
 * longer keywords first (PBPTT before PBPT); no match stores the
 * *_UNRECOGNISED code and returns VI_ERROR_SYSTEM_ERROR. Bands here are codes
 * 0..9: the selected band SEL (10) is neither accepted nor returned. */
/* Sends "CALL:OPER:MODE <OFF|CALL|...|EBPTT>"; mode outside 0..10 refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Operating_Mode(ViSession vi, ViInt32 mode);
/* "CALL:OPER:MODE?"; stores GSMB_MODE_*. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Operating_Mode(ViSession vi, ViInt32 *mode);
/* Sends "CALL:BAND <band>"; band outside 0..9 refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Band_Mode(ViSession vi, ViInt32 band);
/* Sends "CALL:SET:TCH:BAND <band>"; band outside 0..9 refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_TCH_Band_Mode(ViSession vi, ViInt32 band);
/* "CALL:BAND?"; stores GSMB_BAND_* (0..9, or 11 when unrecognised). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Band_Mode(ViSession vi, ViInt32 *band);
/* "CALL:TCH:BAND?"; stores GSMB_BAND_* (0..9, or 11 when unrecognised). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_TCH_Band_Mode(ViSession vi, ViInt32 *band);

/* ==== Channels and active band =============================================== */
/* <type> and <band> are the record's texts as they stand (ChannelBandText,
 * not checked against the tables) or the table names of its codes
 * (ChannelBandCode: band outside 0..10 or channel type outside 0..1, negative
 * included, refused). A null record is refused. Channel replies (bounded to
 * 256 bytes) are decoded as atol does; no number gives 0. */
/* Sends "CALL:SET:TCH <channel>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_TCH_Channel(ViSession vi, ViInt32 channel);
/* Sends "CALL:<type>:<band> <channel>" from text. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Channel_For_Band(ViSession vi,
                                                            const ChannelBandText *setting);
/* Sends "CALL:<type>:<band> <channel>" from codes. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ChannelForBand(ViSession vi,
                                                          const ChannelBandCode *setting);
/* Sends "CALL:SET:<type>:<band> <channel>" from text. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ChannelType_For_Band(ViSession vi,
                                                                const ChannelBandText *setting);
/* Sends "CALL:CHAN:<type>:<band> <channel>" from text. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ChannelType_For_Band2(ViSession vi,
                                                                 const ChannelBandText *setting);
/* Sends "CALL:<type>:BAND <band>" from text (channel unused). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Active_Band(ViSession vi, const ChannelBandText *setting);
/* Sends "CALL:<type>:BAND <band>" from codes (channel unused). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ActiveBand(ViSession vi, const ChannelBandCode *setting);
/* Sends "CALL:SET:<type>:BAND <band>" from text (channel unused). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Active_Band_OnType(ViSession vi,
                                                              const ChannelBandText *setting);
/* Sends "CALL:BAND:<type> <band>" from text (channel unused). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Active_Band2(ViSession vi, const ChannelBandText *setting);
/* "CALL:TCH?" or "CALL:BCH?" (the channel-number query of channelType, so
 * that channel receives the active channel number rather than a band name
 * decoded to 0); stores the number in setting->channel. band is not used;
 * channelType outside 0..1 refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Active_Channel_NUM(ViSession vi, ChannelBandCode *setting);
/* "CALL:TCH?"; stores the traffic channel number. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_TCH_Current_Channel_NUM(ViSession vi, ViInt32 *channel);

/* ==== Cell power and mobile transmit level =================================== */
/* Levels are sent as given, unchecked. <band> is the band table name of the
 * record's band (outside 0..10, negative included, refused); <type> is the
 * record's channel-type text as it stands. Null pointers are refused. */
/* Sends "CALL:POW <level>" (six decimals); a line over 64 bytes is refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Pow(ViSession vi, ViReal32 level);
/* Sends "CALL:POW:AMPL:SEL <level>"; levels of 1e37 and more in magnitude do
 * not fit the 64-byte line and are refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Pow_Amplitude(ViSession vi, ViReal32 level);
/* "CALL:POW:SEL?"; stores the reply decoded as atof does (no number: 0). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Pow(ViSession vi, ViReal32 *level);
/* Sends "CALL:SET:TCH:MS:TXL <level>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_TCH_Ms_Txl(ViSession vi, ViInt32 level);
/* Sends "CALL:MS:TXL:<band> <value>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Ms_TXL(ViSession vi, const BandValue *setting);
/* "CALL:MS:TXL:<band>?"; stores the level in setting->value. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Ms_TXL(ViSession vi, BandValue *setting);
/* Sends "CALL:SET:MS:<type>:TXL:<band> <value>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Ms_TXL_OnChannelType(ViSession vi,
                                                                     const TypedBandValue *setting);
/* Sends "CALL:<type>:MS:TXL:<band>:BURS <value>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Ms_TXL_OnChannelType2(ViSession vi,
                                                                      const TypedBandValue *setting);
/* "CALL:MS:TXL?"; stores the current level. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Current_Ms_TXL(ViSession vi, ViInt32 *level);

/* ==== Connection type ======================================================== */
/* Sends "CALL:FUNC:CONN:TYPE <A|B|ACKB|BLER|AUTO|SRBL>"; type outside 0..5
 * refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Connect_Type(ViSession vi, ViInt32 type);
/* "CALL:FUNC:CONN:TYPE?"; stores GSMB_CONN_* (ACKB/BLER/AUTO/SRBL tested
 * before the one-letter A and B; 6 with VI_ERROR_SYSTEM_ERROR when none). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Connect_Type(ViSession vi, ViInt32 *type);

/* ==== Path-loss correction =================================================== */
/* Frequencies are caller text sent unchanged. Gains are sent with five
 * significant digits: e, the exponent of the exact value's leading digit
 * (before rounding), picks the form: e < -1 or e > 4 exponent form with three
 * exponent digits (0.05 -> "5.e-002", -123456.7 -> "-1.2346e+005"), otherwise
 * 4 - e decimals (3 -> "3.", 0 -> "0.", 12345 -> "12345"); trailing fraction
 * zeros dropped, the point kept. A value that rounds into a further digit
 * keeps its form (99999.5 -> "100000", 0.0999996 -> "1.e-001"); ties go to
 * even. An infinite or NaN gain is refused before anything is sent. In the
 * two-line calls the gain line is sent only after the frequency line
 * succeeded; a null pointer is refused. */
/* Sends "SYST:CORR:FREQ f1,f2,..." then "SYST:CORR:SGAIN g1,g2,..." for the
 * first count points; count outside 1..20 refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Freq_And_Offset(ViSession vi,
                                                                     const CorrectionTable *table);
/* Sends "SYST:CORR:FREQ <frequency>" then "SYST:CORR:SGAIN <gain>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Freq_And_Offset_One(ViSession vi,
                                                                         const CorrectionPoint *point);
/* Sends "SYST:CORR:FREQ <frequencies>"; a text over 1007 characters would not
 * fit the 1024-byte line and is refused, never cut. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Freq(ViSession vi, const ViChar *frequencies);
/* Sends "SYST:CORR:SGAIN <gain>"; point->frequency is not used. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Offset(ViSession vi, const CorrectionPoint *point);

/* ==== Cell identity ========================================================== */
/* Ranges: MCC 0..999, LAC 0..65535, MNC 0..99, NCC 0..7, BCC 0..7. Setters
 * refuse a value outside its range; getters store the reply decoded as atol
 * does, not range-tested, and refuse a null pointer. */
/* Sends "CALL:CELL:MCCODE:SELECTED <mcc>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_MCC(ViSession vi, ViInt32 mcc);
/* "CALL:CELL:MCCODE:SELECTED?". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_MCC(ViSession vi, ViInt32 *mcc);
/* Sends "CALL:CELL:LACODE <lac>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_LAC(ViSession vi, ViInt32 lac);
/* "CALL:CELL:LACODE?". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_LAC(ViSession vi, ViInt32 *lac);
/* Sends "CALL:CELL:MNCODE:SELECTED <mnc>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_MNC(ViSession vi, ViInt32 mnc);
/* "CALL:CELL:MNCODE:SELECTED?". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_MNC(ViSession vi, ViInt32 *mnc);
/* Sends "CALL:CELL:NCCODE:SELECTED <ncc>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_NCC(ViSession vi, ViInt32 ncc);
/* "CALL:CELL:NCCODE:SELECTED?". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_NCC(ViSession vi, ViInt32 *ncc);
/* Sends "CALL:CELL:BCCode <bcc>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_BCC(ViSession vi, ViInt32 bcc);
/* "CALL:CELL:BCCode?". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_BCC(ViSession vi, ViInt32 *bcc);
/* Sends "CALL:CELL:MCC m;LAC l;MNC n;NCC c;BCC b;" with only the codes within
 * their ranges (none: "CALL:CELL:"); never refuses a value. Null refused. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_Parameter(ViSession vi, const CellIdentity *identity);

/* ==== Call control =========================================================== */
/* Each sends one line; the queries read the whole reply. Null output pointers
 * are refused (VI_ERROR_SYSTEM_ERROR, nothing sent). Integer replies decode as
 * atol does (no number: 0, VI_SUCCESS); the time-out reply as atof. */

/* Sends "CALL:END". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_End(ViSession vi);
/* "CALL:CONN?" -> *connected (the instrument's integer). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_Connected_State_Query(ViSession vi, ViInt32 *connected);
/* Sends "CALL:CONN:ARM:IMMEDIATE": arms the call-state change detector. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_State_Change_Detector(ViSession vi);
/* "CALL:CONN:ARM:STAT?" -> *armed. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_State_Change_Detector(ViSession vi, ViInt32 *armed);
/* Sends "CALL:CONNECTED:TIMEOUT <*seconds, six decimals> S" (10 -> 10.000000).
 * Decision: a null pointer is refused with VI_ERROR_SYSTEM_ERROR, nothing sent. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_State_Change_Detector_Timeout(ViSession vi,
                                                                              const ViReal32 *seconds);
/* "CALL:CONNECTED:TIMEOUT?" -> *seconds. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_State_Change_Detector_Timeout(ViSession vi,
                                                                              ViReal32 *seconds);
/* "CALL:STAT?" -> *state, a GSMB_CALL_* code: the reply must begin with IDLE,
 * SREQ, ALER, CONN, DISC, HAND or PAG (case-sensitive; PAGING is PAG,
 * CONNECTED is CONN). Anything else stores GSMB_CALL_UNRECOGNISED and returns
 * VI_ERROR_SYSTEM_ERROR. Replies longer than 31 bytes are decoded from their
 * first 31. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Query_Call_State(ViSession vi, ViInt32 *state);
/* Sends "CALL:TCH:WAIT" (GSMB_CHANNEL_TCH) or "CALL:BCH:WAIT" (GSMB_CHANNEL_BCH).
 * Decision: any other channel-type code, negative included, is refused with
 * VI_ERROR_SYSTEM_ERROR before sending. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_Wait(ViSession vi, ViInt32 channelType);
/* Sends "CALL:HAND:IMM". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Call_Handover(ViSession vi);

/* ==== Measurement settings =================================================== */
/* One line per call, "SET:<measurement mnemonic>:...", the mnemonic being row
 * setting->measurement of the measurement table (GSMB_MEAS_*). A measurement
 * code outside 0..14 (decision: negative codes included) or a null record is
 * refused with VI_ERROR_SYSTEM_ERROR and nothing is sent. Numbers are sent
 * unchanged with %d. Codes outside their lists are not errors, they take the
 * fallback line (seconds, AUTO, OFF).
 *
 * Setters (read measurement and value; unit only where stated):
 *   Count_State        "SET:%s:COUNt:STAT %d"
 *   Count_Number       "SET:%s:COUNt:NUMB %d"
 *   Parameter          "SET:%s:COUNt:SNUM %d"  (not BS_SetMeasurementParameter)
 *   Timeout_State      "SET:%s:TIM:STAT %d"
 *   Timeout_Number     unit 1: "SET:%s:TIM %d MS"; other units: "... %d S"
 *   Timeout_Parameter  unit 0: "SET:%s:TIM:TIME %d S"; 1: "SET:%s:TIM:TIM %d MS";
 *                      other units: "SET:%s:TIM:TIM %d S"
 *   Trigger_Arm_State  value 1: "SET:%s:CONT ON"; other values: "... OFF"
 *   Trigger_Source     value 0..3: "SET:%s:TRIG:SOUR AUTO|PROT|RISE|IMM";
 *                      other values: AUTO
 *   Trigger_Delay      unit 0..3: "SET:%s:TRIG:DEL %d S|MS|US|NS"; other: S
 * Getters send the same header with "?" (Timeout_Number "SET:%s:TIM?",
 * Timeout_Parameter "SET:%s:TIM:TIM?", Arm "SET:%s:CONT?") and store the
 * reply's leading integer (atol rules: AUTO -> 0, 2.5 -> 2) in setting->value
 * only on success; unit is never read or written by a getter. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Count_State(ViSession vi,
                                                                   const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Count_Number(ViSession vi,
                                                                    const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Parameter(ViSession vi,
                                                                 const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Timeout_State(ViSession vi,
                                                                     const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Timeout_Number(ViSession vi,
                                                                      const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Timeout_Parameter(ViSession vi,
                                                                         const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Arm_State(ViSession vi,
                                                                         const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Source(ViSession vi,
                                                                      const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Delay(ViSession vi,
                                                                     const MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Count_State(ViSession vi,
                                                                   MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Count_Number(ViSession vi,
                                                                    MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Parameter(ViSession vi,
                                                                 MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Timeout_State(ViSession vi,
                                                                     MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Timeout_Number(ViSession vi,
                                                                      MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Timeout_Parameter(ViSession vi,
                                                                         MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Trigger_Arm_State(ViSession vi,
                                                                         MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Trigger_Source(ViSession vi,
                                                                      MeasurementSetting *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Trigger_Delay(ViSession vi,
                                                                     MeasurementSetting *setting);
/* Sends "SET:CONT:ON" for state 1, "SET:CONT:OFF" for any other state (every
 * measurement at once; no measurement code). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Arm_State_For_ALL(ViSession vi,
                                                                                 ViInt32 state);

/* ==== Measurement initiation and completion ================================= */
/* Measurements are named here by GSMB_INIT_* codes (the initiate table), not
 * by GSMB_MEAS_*: PVT is GSMB_INIT_PVT (19), not GSMB_MEAS_PVT (11). */

/* Sends "INITIATE:<name of row code>:ON" (19 -> INITIATE:PVT:ON).
 * Decision: a code outside 0..25 is refused with VI_ERROR_SYSTEM_ERROR, nothing
 * sent. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_ON(ViSession vi, ViInt32 code);
/* Sends "INITIATE:<name>:OFF"; codes as BS_Init_Measurement_ON. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_OFF(ViSession vi, ViInt32 code);
/* "INITIATE:COUNt?" -> *count, the reply's leading integer (atol rules). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_Count(ViSession vi, ViInt32 *count);
/* "INITIATE:DONE?" -> *code, the GSMB_INIT_* row whose name the reply begins
 * with (case-sensitive; "TXP,PFER" -> GSMB_INIT_TXP). A reply beginning with no
 * name (lower case, empty, "ERROR") stores GSMB_INIT_ERROR and returns
 * VI_ERROR_SYSTEM_ERROR. Null code: VI_ERROR_SYSTEM_ERROR, nothing sent. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_DONE(ViSession vi, ViInt32 *code);
/* "INITIATE:ON?" -> *code, decoded as BS_Init_Measurement_DONE. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_ON_Query(ViSession vi, ViInt32 *code);

/* ==== Combined setup, confidence and burst sync ============================== */
/* The whole general setup of one measurement, in this order, one line at a
 * time (%s the measurement mnemonic):
 *   "SET:%s:COUNt:STAT %d" countState;
 *   "SET:%s:COUNt:NUMB %d" count            only when countState is 1;
 *   "SET:%s:TIM:STAT %d" timeoutState;
 *   "SET:%s:TIM:TIME %f MS" (timeoutUnit 1) or "... %f S" (any other unit)
 *                                           only when timeoutState is 1;
 *   "SET:%s:CONT ON" (armState 1) or "... OFF";
 *   "SET:%s:TRIG:SOUR AUTO|PROT|RISE|IMM" by triggerSource (other: AUTO);
 *   "SET:%s:TRIG:DEL %f S|MS|US|NS" by delayUnit (other: S);
 *   "SETUP:%s:TRIGGER:QUALIFIER ON" (triggerQualifier 1) or "... OFF".
 * Floats have six decimals (2.5 -> 2.500000; below half a millionth -> 0.000000).
 * Returns the first status that is not VI_SUCCESS (warnings included) and
 * sends nothing after it; lines already sent stay applied. A measurement code
 * outside 0..14 (decision: negative included) or a null record:
 * VI_ERROR_SYSTEM_ERROR, nothing sent. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetMeasurementParameter(ViSession vi,
                                                               const MeasurementSetup *setup);
/* Sends "SETUP:%s:CONFIDENCE:STATE 1" for value 1, "... STATE 0" for any other
 * value. Measurement outside 0..14 (decision: negative included) or null:
 * VI_ERROR_SYSTEM_ERROR, nothing sent. unit is not read. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_CONF_STAT(ViSession vi, const MeasurementSetting *setting);
/* Sends "SETUP:%s:SYNC MIDAMBLE" (value 0), "... AMPLITUDE" (1) or "... NONE"
 * (2 and any other value). Decision: a measurement outside 0..14 or a null
 * record is refused with VI_ERROR_SYSTEM_ERROR before sending, as the other
 * setters do. unit is not read. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Burst_Sync(ViSession vi, const MeasurementSetting *setting);

/* ==== Result lists, TX power and PFER ======================================== */
/* Result fetches (this section and the PVT, ORFS, BER and RX report ones) read
 * the results of a measurement already run to completion; they neither start
 * nor wait for one. Each writes one query, reads the reply's first word into a
 * zero-filled buffer of the size given below, and decodes it with
 * ParseFloatList. Shared rules:
 * - Buffers are read with a width, so VISA never stores past them; a longer
 *   reply is cut there. A buffer that the reply filled may end inside a value:
 *   that last value is left out (reads 0.0) rather than decoded as another
 *   number. Buffers are sized for the values returned in the test set's full
 *   notation (+1.23456789E+001).
 * - Values missing from the reply, and tokens that are not numbers, read 0.0.
 * - Integer slots take the value truncated toward zero (-1.9 gives -1); a value
 *   beyond the 32-bit range saturates at INT32_MAX / INT32_MIN, so the test
 *   set's "no result" 9.91E+37 gives INT32_MAX.
 * - A null output pointer is refused with VI_ERROR_SYSTEM_ERROR before anything
 *   is sent; a failed write or read (warnings included) returns its status with
 *   the output untouched. Otherwise VI_SUCCESS. */

/* Splits reply into tokens separated by ';', ',' or ' ' (runs of separators,
 * leading and trailing ones included, never make an empty token) and stores
 * the leading decimal number of token i in values[i], rounded to float, for at
 * most capacity tokens. Numbers: optional white space, sign, digits with an
 * optional '.', optional exponent (E or e, sign, digits), whatever the locale.
 * No hexadecimal and no "inf"/"nan" words: such a token, like any token without
 * a leading number, stores 0.0 ("0x1F" stores the 0 before the x). Magnitudes
 * beyond the float range store +/-infinity. Elements past the last token keep
 * their contents. The reply is read in place, up to its NUL and only as far as
 * capacity tokens need, so its length is not limited; it is never modified or
 * copied, nothing is allocated and no state is shared (any thread may call it).
 * A null reply or values, or a capacity of 0 or less, stores nothing.
 * Always returns 1. */
GSMBENCH_API ViInt32 GSMBENCH_CALL ParseFloatList(const ViChar *reply, ViReal32 *values,
                                                  ViInt32 capacity);
/* "FETC:TXP:POW?": the whole reply (64 bytes) decoded as one number. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_TXP_Power(ViSession vi, ViReal32 *power);
/* "FETC:TXP:ALL?" (256 bytes, 4 values): integrity = value 1, power = value 2. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_TXP_Result(ViSession vi, TxpResult *result);
/* "FETC:PFER:ALL?" (256 bytes, 4 values): integrity, RMS and peak phase error,
 * frequency error = values 1 to 4. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Result(ViSession vi, PferResult *result);
/* "FETC:PFER:FERR:AVER?", "FETC:PFER:PEAK:AVER?", "FETC:PFER:RMS:AVER?"
 * (64 bytes): the first value. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Average_FERR_Result(ViSession vi, ViReal32 *value);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Average_PEAK_Result(ViSession vi, ViReal32 *value);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Average_RMS_Result(ViSession vi, ViReal32 *value);

/* ==== PVT and ORFS =========================================================== */
/* The general setup of the record's measurement (lines named by its mnemonic,
 * so any code 0..14 works): "SET:<m>:COUNt:STAT <countState>", then
 * "SET:<m>:COUNt:NUMB <count>" only when countState is 1, "SET:<m>:TIM:STAT",
 * "SET:<m>:TIM:TIME <t> MS" (timeoutUnit 1) or "... S" only when timeoutState
 * is 1, "SET:<m>:CONT ON" (armState 1) or OFF, "SET:<m>:TRIG:SOUR" AUTO, PROT,
 * RISE or IMM (any other code AUTO), "SET:<m>:TRIG:DEL <d> S|MS|US|NS" (any
 * other unit S). triggerQualifier is not sent. Stops at the first failing line
 * and returns its status; lines already sent stay applied. A measurement code
 * outside 0..14 (negative included) or a null record is refused before anything
 * is sent. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetPVTMeasParam(ViSession vi, const MeasurementSetup *setup);
/* As BS_SetPVTMeasParam without the COUNt:NUMB line (count is not read), then,
 * when every general line succeeded, the two lines of BS_Set_ORFS_Frequency. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetORFSMeasParam(ViSession vi, const MeasurementSetup *setup,
                                                        const OrfsFrequencies *offsets);
/* "SET:ORFS:SWIT:FREQ <o1>,<o2>,..." with the first switchingCount switching
 * offsets, then "SET:ORFS:MOD:FREQ ..." with the first modulationCount
 * modulation offsets; stops at the first failing line. Offsets are sent
 * verbatim (no unit added, a '%' stays a '%'), each read only within its
 * 16-byte slot: a slot filled without a NUL gives its 16 characters. A count of
 * 0 or below sends the bare prefix, still ended by a line feed (without it the
 * next command would run into this line). A count above its slots (8 / 22) is
 * refused with VI_ERROR_SYSTEM_ERROR when its line is due: a switching count
 * above 8 sends nothing, a modulation count above 22 is found after the
 * switching line went out (nothing sent is undone). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ORFS_Frequency(ViSession vi, const OrfsFrequencies *offsets);
/* "FETC:PVT:ALL?" (256 bytes, 30 values): integrity = value 1, value[0..3] =
 * values 2 to 5. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PVT_Result(ViSession vi, PvtResult *result);
/* "FETC:ORFS:ALL?" (1024 bytes, 40 values): integrity = value 1, value[0..31] =
 * values 2 to 33. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_ORFS_Result(ViSession vi, OrfsResult *result);
/* "FETC:ORFS:LIM?" (256 bytes): *pass = 1 when the first value is 0 (+0 or -0,
 * any notation), else 0. A reply with no token, or whose first token is not a
 * number, also gives 1; BS_FETCH_ORFS_Result's integrity tells a real result. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_ORFS_Result_Pass(ViSession vi, ViInt32 *pass);

/* ==== BER and FBER =========================================================== */
/* The general lines of the record's measurement (code 0..14): "SET:<m>:COUN
 * <count>", "SET:<m>:TIM:STAT <timeoutState>", "SET:<m>:TIM:TIME <t> MS"
 * (timeoutUnit 1) or "... S" only when timeoutState is 1, "SET:<m>:CONT ON"
 * (armState 1) or OFF; then "SETUP:BERROR:CLSDELAY:STIME <t> MS" (clsDelayUnit
 * 1) or "... S", "SETUP:BERROR:SLCONTROL ON" (slControl 1) or OFF,
 * "SET:BERR:TYPE <TYPEIA..RESTYPEIB>", and "SETUP:BERROR:LDCONTROL:AUTO ON"
 * when manualDelay is 0, else "SETUP:BERROR:LDCONTROL:AUTO OFF" followed by
 * "SETUP:BERROR:MANUAL:DELAY <manualDelay>" (negative values included).
 * countState and the trigger fields are not read. Stops at the first failing
 * line and returns its status. A measurement code outside 0..14 or a berType
 * outside 0..5 (negative included), or a null pointer, is refused before
 * anything is sent. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetBERMeasParam(ViSession vi, const MeasurementSetup *setup,
                                                       const BerSetup *ber);
/* As BS_SetBERMeasParam with FBERROR in the SETUP lines and no type line;
 * berType is neither read nor checked. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_FBER_MeasParam(ViSession vi, const MeasurementSetup *setup,
                                                          const BerSetup *ber);
/* "FETC:BERR:ALL?" / "FETC:FBER:ALL?" (256 bytes, 5 values): integrity and
 * bitsTested = values 1 and 2 truncated, ratio and errorCount = values 3 and 4;
 * value 5 is decoded and dropped. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_BER_Result(ViSession vi, BerResult *result);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_FBER_Result(ViSession vi, BerResult *result);

/* ==== Mobile-reported RX level and quality =================================== */
/* Result-fetch rules as above; every reply buffer is 256 bytes.
 * "CALL:MS:REP:RXQ?" / "CALL:MS:REP:RXL?": the first value, truncated.
 * "CALL:MS:REP:RXQ:NEW?;NEW?;NEW?" / "CALL:MS:REP:RXL:NEW?;NEW?;NEW?" ask three
 * times in one line; the answers come back separated by ';' and the third is
 * used: as a float for quality, truncated for level. A reply with fewer than
 * three answers gives 0. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Quality_Result(ViSession vi, ViInt32 *quality);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Quality_New_Result(ViSession vi, ViReal32 *quality);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Level_Result(ViSession vi, ViInt32 *level);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Level_New_Result(ViSession vi, ViInt32 *level);

/* ==== Test mode: channels and RF generator =================================== */
/* Every call of the two test-mode sections refuses a null pointer with
 * VI_ERROR_SYSTEM_ERROR before sending; replies are read into 256 bytes unless
 * said otherwise, and integer replies decode as atol does (0 without digits).
 * The channel calls take setting->band from the band table except TGSM810
 * (9), which has no test-mode channel setting: 9, negative codes and codes
 * above 10 are refused before sending. */
/* "CALL:BCH:<band> <value>" / "CALL:TCH:<band> <value>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_Call_BCH_Mode(ViSession vi, const BandValue *setting);
/* "CALL:BCH:<band>?" / "CALL:TCH:<band>?": the reply's integer into value. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_Call_BCH_Mode(ViSession vi, BandValue *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_Call_TCH_Channel(ViSession vi, const BandValue *setting);
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_Call_TCH_Channel(ViSession vi, BandValue *setting);
/* "CALL:RFG:FREQ:GSM <f><unit>" for target 1, "CALL:RFG:FREQ:SEL <f><unit>"
 * for any other target: six decimals and the unit right after the number
 * (935.2 MHz: "935.200012MHZ"). A unit outside 0..3 (GSMB_FREQ_*, negative
 * included) is refused before sending. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_RF_Generator_Frequency(ViSession vi,
                                                                     const RfGeneratorFrequency *setting);
/* "CALL:RFG:FRE:GSM?" for target 1, else "CALL:RFG:FRE:SEL?": the reply's
 * number into frequency, in the unit the instrument reports; unit untouched. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_RF_Generator_Frequency(ViSession vi,
                                                                     RfGeneratorFrequency *setting);
/* "RFAN:CONT:AUTO OFF" for 0, "RFAN:CONT:AUTO ON" for any other value. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_RF_Receiver_Control_Method(ViSession vi, ViInt32 method);
/* "RFAN:CONT:MEAS:BURS:AUTO?": the reply's integer into *method. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_RF_Receiver_Control_Method(ViSession vi, ViInt32 *method);

/* ==== Test mode: burst type, dynamic power and CW ============================ */
/* "CALL:BURSt:TYPE RACH" for 0, "CALL:BURSt:TYPE TSC<n>" for code n + 1
 * (1..8); any other code is refused before sending. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_CALL_Burst_Type(ViSession vi, ViInt32 type);
/* "CALL:BURSt:TYPE?" (32 bytes): RACH 0, TSC0..TSC7 1..8; any other reply
 * stores GSMB_BURST_UNRECOGNISED and returns VI_ERROR_SYSTEM_ERROR. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_CALL_Burst_Type(ViSession vi, ViInt32 *type);
/* "SET:DPOW:COUN:NUMB:GSM <count>" for target 1, else "...:SEL <count>". */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_DPower_Count(ViSession vi, const TargetCount *setting);
/* "SET:DPOW:COUN:NUMB:GSM?" for target 1, else "...:SEL?": into count. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_DPower_Count(ViSession vi, TargetCount *setting);
/* "FETC:DPOW?", then reads the reply's first word (64 bytes) off the bus so it
 * cannot answer a later query. The values are not decoded: only whether the
 * fetch and the read succeeded is returned. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_FETCH_DPOWER(ViSession vi);
/* "CALL:CELL:POW:SAMPlitude:CW <dbm>dBm" (-60 gives "-60dBm"). */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_RFGen_Power(ViSession vi, ViInt32 dbm);
/* "CALL:CELL:POWer:STATe:CW <state>", the value sent as given. */
GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_Power_CW_State(ViSession vi, ViInt32 state);

/* ==== DC supply ============================================================== */
/* These take the supply's session. Voltages are printed with six decimals
 * ("VOLT 3.800000") and not range-checked: the supply judges them. */
/* "VOLT <volts>", then "OUTP ON" (output != 0) or "OUTP OFF"; returns the
 * output line's status. When the voltage line fails (a warning included) the
 * output is never switched on, since the phone would run at the supply's
 * previous voltage: nothing more is sent for output != 0, while "OUTP OFF" is
 * still sent for output 0 (safe at any voltage). Either way the voltage line's
 * status is returned, so success is never reported after a failed voltage. */
GSMBENCH_API ViStatus GSMBENCH_CALL Power_Set_Voltage(ViSession vi, ViReal32 volts, ViInt32 output);
/* "VOLT <volts>" only. */
GSMBENCH_API ViStatus GSMBENCH_CALL Power_SetVoltage(ViSession vi, ViReal32 volts);
/* "OUTP ON" / "OUTP OFF". */
GSMBENCH_API ViStatus GSMBENCH_CALL Power_Turn_On(ViSession vi);
GSMBENCH_API ViStatus GSMBENCH_CALL Power_Turn_Off(ViSession vi);

#ifdef __cplusplus
}
#endif

#endif /* GSMBENCH_H */
