// Cell configuration entry points: operating mode, bands, channels, cell
// power and mobile TX level, connection type, path-loss correction and cell
// identity. Each checks its pointers and hands over to gsmbench::cell, where
// the line tables live; a refused call sends nothing.
#include "api/export.h"
#include "cell/channels.h"
#include "cell/coded_setting.h"
#include "cell/connection.h"
#include "cell/identity.h"
#include "cell/mode_band.h"
#include "cell/path_loss.h"
#include "cell/power.h"
#include "link/format.h"

namespace cell = gsmbench::cell;
using gsmbench::link::field_text;

namespace {

constexpr ViStatus kRefused = static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR);

// Text fields are read only within their 32 bytes, terminated or not.
template <std::size_t N> std::string_view text_of(const ViChar (&field)[N]) noexcept {
    return field_text(field, N);
}

ViStatus send_channel_text(ViSession vi, const char *tmpl, const ChannelBandText *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::send_channel_text(vi, tmpl, text_of(setting->channelType), text_of(setting->band),
                                   setting->channel);
}

ViStatus send_band_text(ViSession vi, const char *tmpl, const ChannelBandText *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::send_band_text(vi, tmpl, text_of(setting->channelType), text_of(setting->band));
}

ViStatus send_typed_txl(ViSession vi, const char *tmpl, const TypedBandValue *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::set_typed_ms_txl(vi, tmpl, text_of(setting->channelType), setting->band,
                                  setting->value);
}

ViStatus set_code(ViSession vi, cell::IdentityCode code, ViInt32 value) {
    return cell::set_identity_code(vi, code, value);
}

ViStatus get_code(ViSession vi, cell::IdentityCode code, ViInt32 *value) {
    if (value == nullptr) {
        return kRefused;
    }
    return cell::query_identity_code(vi, code, value);
}

} // namespace

extern "C" {

/* ---- Operating mode and band ---- */

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Operating_Mode(ViSession vi, ViInt32 mode) {
    return cell::send_fixed_line(vi, cell::kOperatingModeLines, mode);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Operating_Mode(ViSession vi, ViInt32 *mode) {
    if (mode == nullptr) {
        return kRefused;
    }
    return cell::query_code(vi, cell::kOperatingModeQuery, cell::kOperatingModeKeywords, mode);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Band_Mode(ViSession vi, ViInt32 band) {
    return cell::send_fixed_line(vi, cell::kCellBandLines, band);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_TCH_Band_Mode(ViSession vi, ViInt32 band) {
    return cell::send_fixed_line(vi, cell::kTchBandLines, band);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Band_Mode(ViSession vi, ViInt32 *band) {
    if (band == nullptr) {
        return kRefused;
    }
    return cell::query_code(vi, cell::kCellBandQuery, cell::kBandKeywords, band);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_TCH_Band_Mode(ViSession vi, ViInt32 *band) {
    if (band == nullptr) {
        return kRefused;
    }
    return cell::query_code(vi, cell::kTchBandQuery, cell::kBandKeywords, band);
}

/* ---- Channels and active band ---- */

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_TCH_Channel(ViSession vi, ViInt32 channel) {
    return cell::set_tch_channel(vi, channel);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Channel_For_Band(ViSession vi,
                                                            const ChannelBandText *setting) {
    return send_channel_text(vi, cell::kChannelForBand, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ChannelForBand(ViSession vi,
                                                          const ChannelBandCode *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::send_channel_codes(vi, cell::kChannelForBand, setting->channelType, setting->band,
                                    setting->channel);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ChannelType_For_Band(ViSession vi,
                                                                const ChannelBandText *setting) {
    return send_channel_text(vi, cell::kChannelTypeForBand, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ChannelType_For_Band2(ViSession vi,
                                                                 const ChannelBandText *setting) {
    return send_channel_text(vi, cell::kChannelTypeForBand2, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Active_Band(ViSession vi,
                                                       const ChannelBandText *setting) {
    return send_band_text(vi, cell::kActiveBand, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_ActiveBand(ViSession vi,
                                                      const ChannelBandCode *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::send_band_codes(vi, cell::kActiveBand, setting->channelType, setting->band);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Active_Band_OnType(ViSession vi,
                                                              const ChannelBandText *setting) {
    return send_band_text(vi, cell::kActiveBandOnType, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Active_Band2(ViSession vi,
                                                        const ChannelBandText *setting) {
    return send_band_text(vi, cell::kActiveBand2, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Active_Channel_NUM(ViSession vi,
                                                              ChannelBandCode *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::query_channel_number(vi, setting->channelType, &setting->channel);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_TCH_Current_Channel_NUM(ViSession vi, ViInt32 *channel) {
    if (channel == nullptr) {
        return kRefused;
    }
    return cell::query_tch_channel(vi, channel);
}

/* ---- Cell power and mobile transmit level ---- */

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Pow(ViSession vi, ViReal32 level) {
    return cell::set_cell_power(vi, cell::kCellPower, level);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Pow_Amplitude(ViSession vi, ViReal32 level) {
    return cell::set_cell_power(vi, cell::kCellPowerAmplitude, level);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Pow(ViSession vi, ViReal32 *level) {
    if (level == nullptr) {
        return kRefused;
    }
    return cell::query_cell_power(vi, level);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_TCH_Ms_Txl(ViSession vi, ViInt32 level) {
    return cell::set_tch_ms_txl(vi, level);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Ms_TXL(ViSession vi, const BandValue *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::set_band_ms_txl(vi, setting->band, setting->value);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Ms_TXL(ViSession vi, BandValue *setting) {
    if (setting == nullptr) {
        return kRefused;
    }
    return cell::query_band_ms_txl(vi, setting->band, &setting->value);
}

GSMBENCH_API ViStatus GSMBENCH_CALL
BS_Set_Call_Ms_TXL_OnChannelType(ViSession vi, const TypedBandValue *setting) {
    return send_typed_txl(vi, cell::kTypedMsTxl, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL
BS_Set_Call_Ms_TXL_OnChannelType2(ViSession vi, const TypedBandValue *setting) {
    return send_typed_txl(vi, cell::kTypedMsTxlBurst, setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Current_Ms_TXL(ViSession vi, ViInt32 *level) {
    if (level == nullptr) {
        return kRefused;
    }
    return cell::query_current_ms_txl(vi, level);
}

/* ---- Connection type ---- */

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Call_Connect_Type(ViSession vi, ViInt32 type) {
    return cell::send_fixed_line(vi, cell::kConnectionTypeLines, type);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Call_Connect_Type(ViSession vi, ViInt32 *type) {
    if (type == nullptr) {
        return kRefused;
    }
    return cell::query_code(vi, cell::kConnectionTypeQuery, cell::kConnectionTypeKeywords, type);
}

/* ---- Path-loss correction ---- */

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Freq_And_Offset(ViSession vi,
                                                                     const CorrectionTable *table) {
    if (table == nullptr) {
        return kRefused;
    }
    return cell::send_correction_table(vi, *table);
}

GSMBENCH_API ViStatus GSMBENCH_CALL
BS_Set_Syst_Corr_Freq_And_Offset_One(ViSession vi, const CorrectionPoint *point) {
    if (point == nullptr) {
        return kRefused;
    }
    return cell::send_correction_point(vi, *point);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Freq(ViSession vi, const ViChar *frequencies) {
    return cell::send_frequency_list(vi, frequencies);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Syst_Corr_Offset(ViSession vi,
                                                            const CorrectionPoint *point) {
    if (point == nullptr) {
        return kRefused;
    }
    return cell::send_gain(vi, *point);
}

/* ---- Cell identity ---- */

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_MCC(ViSession vi, ViInt32 mcc) {
    return set_code(vi, cell::IdentityCode::mcc, mcc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_MCC(ViSession vi, ViInt32 *mcc) {
    return get_code(vi, cell::IdentityCode::mcc, mcc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_LAC(ViSession vi, ViInt32 lac) {
    return set_code(vi, cell::IdentityCode::lac, lac);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_LAC(ViSession vi, ViInt32 *lac) {
    return get_code(vi, cell::IdentityCode::lac, lac);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_MNC(ViSession vi, ViInt32 mnc) {
    return set_code(vi, cell::IdentityCode::mnc, mnc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_MNC(ViSession vi, ViInt32 *mnc) {
    return get_code(vi, cell::IdentityCode::mnc, mnc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_NCC(ViSession vi, ViInt32 ncc) {
    return set_code(vi, cell::IdentityCode::ncc, ncc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_NCC(ViSession vi, ViInt32 *ncc) {
    return get_code(vi, cell::IdentityCode::ncc, ncc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_BCC(ViSession vi, ViInt32 bcc) {
    return set_code(vi, cell::IdentityCode::bcc, bcc);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Net_BCC(ViSession vi, ViInt32 *bcc) {
    return get_code(vi, cell::IdentityCode::bcc, bcc);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Net_Parameter(ViSession vi,
                                                         const CellIdentity *identity) {
    if (identity == nullptr) {
        return kRefused;
    }
    const ViInt32 values[] = {identity->mcc, identity->lac, identity->mnc, identity->ncc,
                              identity->bcc};
    return cell::set_identity(vi, values);
}

} // extern "C"
