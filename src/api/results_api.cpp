// Result fetches of the measurement families and the list decoder they share.
#include "api/export.h"
#include "link/channel.h"
#include "meas/float_list.h"
#include "meas/results.h"
#include "meas/rx_report.h"

using gsmbench::link::kLibraryError;
namespace meas = gsmbench::meas;

extern "C" {

GSMBENCH_API ViInt32 GSMBENCH_CALL ParseFloatList(const ViChar *reply, ViReal32 *values,
                                                  ViInt32 capacity) {
    meas::parse_float_list(reply, values, static_cast<std::int32_t>(capacity));
    return 1;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_TXP_Power(ViSession vi, ViReal32 *power) {
    return power != nullptr ? meas::fetch_txp_power(vi, *power) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_TXP_Result(ViSession vi, TxpResult *result) {
    return result != nullptr ? meas::fetch_txp_result(vi, *result) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Result(ViSession vi, PferResult *result) {
    return result != nullptr ? meas::fetch_pfer_result(vi, *result) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Average_FERR_Result(ViSession vi,
                                                                      ViReal32 *value) {
    return value != nullptr
               ? meas::fetch_pfer_average(vi, meas::PferAverage::frequency_error, *value)
               : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Average_PEAK_Result(ViSession vi,
                                                                      ViReal32 *value) {
    return value != nullptr
               ? meas::fetch_pfer_average(vi, meas::PferAverage::peak_phase_error, *value)
               : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PFER_Average_RMS_Result(ViSession vi,
                                                                     ViReal32 *value) {
    return value != nullptr
               ? meas::fetch_pfer_average(vi, meas::PferAverage::rms_phase_error, *value)
               : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Quality_Result(ViSession vi, ViInt32 *quality) {
    return quality != nullptr ? meas::fetch_rx_quality(vi, *quality) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Quality_New_Result(ViSession vi,
                                                                   ViReal32 *quality) {
    return quality != nullptr ? meas::fetch_rx_quality_new(vi, *quality) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Level_Result(ViSession vi, ViInt32 *level) {
    return level != nullptr ? meas::fetch_rx_level(vi, *level) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_RX_Level_New_Result(ViSession vi, ViInt32 *level) {
    return level != nullptr ? meas::fetch_rx_level_new(vi, *level) : kLibraryError;
}

} // extern "C"
