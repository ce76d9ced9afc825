/* A C program using the library through its header: the records have the
 * sizes the ABI promises and the library links. */
#include <stddef.h>
#include <stdio.h>

#include "gsmbench.h"

long visa_first_system_error(void);
long header_first_system_error(void);

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            printf("failed: %s\n", #cond);                                                         \
            return 1;                                                                              \
        }                                                                                          \
    } while (0)

int main(void) {
    CHECK(visa_first_system_error() == header_first_system_error());
    CHECK((ViUInt32)(ViStatus)VI_ERROR_SYSTEM_ERROR == 0xBFFF0000UL);
    CHECK((ViStatus)VI_ERROR_SYSTEM_ERROR < 0);
    CHECK(sizeof(ViInt32) == 4 && sizeof(ViSession) == 4 && sizeof(ViBoolean) == 2);
    CHECK(sizeof(ChannelBandText) == 68);
    CHECK(sizeof(ChannelBandCode) == 12);
    CHECK(sizeof(BandValue) == 8);
    CHECK(sizeof(TypedBandValue) == 40);
    CHECK(sizeof(CorrectionPoint) == 36);
    CHECK(sizeof(CorrectionTable) == 20 * 36 + 4);
    CHECK(offsetof(CorrectionTable, count) == 720);
    CHECK(sizeof(CellIdentity) == 20);
    CHECK(sizeof(MeasurementSetting) == 12);
    CHECK(sizeof(MeasurementSetup) == 44);
    CHECK(offsetof(MeasurementSetup, timeout) == 16);
    CHECK(offsetof(MeasurementSetup, triggerDelay) == 32);
    CHECK(sizeof(BerSetup) == 24);
    CHECK(sizeof(OrfsFrequencies) == 30 * 16 + 8);
    CHECK(offsetof(OrfsFrequencies, modulation) == 128);
    CHECK(sizeof(RfGeneratorFrequency) == 12);
    CHECK(sizeof(TargetCount) == 8);
    CHECK(sizeof(TxpResult) == 8);
    CHECK(sizeof(PferResult) == 16);
    CHECK(sizeof(PvtResult) == 20);
    CHECK(sizeof(OrfsResult) == 33 * 4);
    CHECK(sizeof(BerResult) == 16);
    Test_8960();
    printf("public header: C, both include orders, record layouts ok\n");
    return 0;
}
