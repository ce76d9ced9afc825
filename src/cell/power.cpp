#include "cell/power.h"

#include "link/channel.h"
#include "link/code_tables.h"

namespace gsmbench::cell {

using link::kLibraryError;

ViStatus set_cell_power(ViSession vi, const char *tmpl, float level) noexcept {
    return link::write_format<kPowerLineSize>(vi, tmpl, level);
}

ViStatus query_cell_power(ViSession vi, float *level) noexcept {
    return link::query_float<kPowerLineSize>(vi, kCellPowerQuery, level);
}

ViStatus set_tch_ms_txl(ViSession vi, std::int32_t level) noexcept {
    return link::write_format<1024>(vi, kTchMsTxl, level);
}

ViStatus set_band_ms_txl(ViSession vi, std::int32_t band, std::int32_t level) noexcept {
    const char *name = link::band_name(band);
    if (name == nullptr) {
        return kLibraryError;
    }
    return link::write_format<kTxlLineSize>(vi, kBandMsTxl, name, level);
}

ViStatus query_band_ms_txl(ViSession vi, std::int32_t band, ViInt32 *level) noexcept {
    const char *name = link::band_name(band);
    if (name == nullptr || level == nullptr) {
        return kLibraryError;
    }
    return link::query_int_format<kTxlLineSize, kTxlLineSize>(vi, level, kBandMsTxlQuery, name);
}

ViStatus set_typed_ms_txl(ViSession vi, const char *tmpl, std::string_view type, std::int32_t band,
                          std::int32_t level) noexcept {
    const char *name = link::band_name(band);
    if (name == nullptr) {
        return kLibraryError;
    }
    return link::write_format<kTxlLineSize>(vi, tmpl, type, name, level);
}

ViStatus query_current_ms_txl(ViSession vi, ViInt32 *level) noexcept {
    return link::query_int<kTxlLineSize>(vi, kCurrentMsTxlQuery, level);
}

} // namespace gsmbench::cell
