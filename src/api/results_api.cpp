// Result fetches of the measurement families and the list decoder they share,
// with the PVT, ORFS and bit-error setups that go with their results.
#include "api/export.h"
#include "link/channel.h"
#include "meas/ber.h"
#include "meas/float_list.h"
#include "meas/pvt_orfs.h"
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

// ---- PVT, ORFS, BER and FBER setups and results ------------------------------

extern "C" {

GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetPVTMeasParam(ViSession vi,
                                                       const MeasurementSetup *setup) {
    return setup != nullptr ? meas::set_pvt_setup(vi, *setup) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetORFSMeasParam(ViSession vi, const MeasurementSetup *setup,
                                                        const OrfsFrequencies *offsets) {
    if (setup == nullptr || offsets == nullptr) {
        return kLibraryError;
    }
    return meas::set_orfs_setup(vi, *setup, *offsets);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ORFS_Frequency(ViSession vi,
                                                          const OrfsFrequencies *offsets) {
    return offsets != nullptr ? meas::set_orfs_offsets(vi, *offsets) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_PVT_Result(ViSession vi, PvtResult *result) {
    return result != nullptr ? meas::fetch_pvt_result(vi, *result) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_ORFS_Result(ViSession vi, OrfsResult *result) {
    return result != nullptr ? meas::fetch_orfs_result(vi, *result) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_ORFS_Result_Pass(ViSession vi, ViInt32 *pass) {
    return pass != nullptr ? meas::fetch_orfs_pass(vi, *pass) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetBERMeasParam(ViSession vi, const MeasurementSetup *setup,
                                                       const BerSetup *ber) {
    if (setup == nullptr || ber == nullptr) {
        return kLibraryError;
    }
    return meas::set_bit_error_setup(vi, meas::BitErrorKind::ber, *setup, *ber);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_FBER_MeasParam(ViSession vi,
                                                          const MeasurementSetup *setup,
                                                          const BerSetup *ber) {
    if (setup == nullptr || ber == nullptr) {
        return kLibraryError;
    }
    return meas::set_bit_error_setup(vi, meas::BitErrorKind::fast_ber, *setup, *ber);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_BER_Result(ViSession vi, BerResult *result) {
    return result != nullptr ? meas::fetch_bit_error_result(vi, meas::BitErrorKind::ber, *result)
                             : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_FETCH_FBER_Result(ViSession vi, BerResult *result) {
    return result != nullptr
               ? meas::fetch_bit_error_result(vi, meas::BitErrorKind::fast_ber, *result)
               : kLibraryError;
}

} // extern "C"
