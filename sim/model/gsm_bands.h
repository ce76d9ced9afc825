// GSM bands as the test set knows them: channel (ARFCN) ranges, carrier
// frequencies and the phone's power-control-level tables.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace gsmbench::sim::model {

// Order and names follow the test set's band mnemonics (PGSM is code 0).
enum class Band : int { pgsm, dcs, egsm, gsm450, gsm480, gsm750, gsm850, pcs, rgsm, tgsm810 };
inline constexpr int band_count = 10;

struct ArfcnRange {
    int first;
    int last;
    int n0;        // channel number whose uplink frequency is f0_mhz
    double f0_mhz; // uplink frequency of channel n0
};

struct BandInfo {
    std::string_view name;
    ArfcnRange primary;
    std::optional<ArfcnRange> extension; // the low-numbered block of E-GSM/R-GSM
    double duplex_mhz;                   // downlink minus uplink
    bool high_band;                      // DCS/PCS power-control table
    bool phone_supports;                 // the simulated phone is a quad-band handset
    int default_bch;
    int default_tch;
};

const BandInfo &band_info(Band band);
std::string_view band_name(Band band);
// Case-insensitive lookup of a band mnemonic (PGSM, DCS, ...).
std::optional<Band> band_from_name(std::string_view name);

bool channel_valid(Band band, int channel);
// Carrier frequencies in Hz; 0 for a channel outside the band.
double uplink_hz(Band band, int channel);
double downlink_hz(Band band, int channel);

// Highest power-control level the test set accepts for any band.
inline constexpr int max_pcl = 31;

// Nominal output power (dBm) of the simulated phone at a power-control level:
// a class 4 handset (33 dBm) in the low bands, class 1 (30 dBm) in DCS/PCS.
double pcl_power_dbm(Band band, int pcl);

} // namespace gsmbench::sim::model
