#include "gsm_bands.h"

#include <algorithm>
#include <cctype>

namespace gsmbench::sim::model {
namespace {

// Uplink of channel n: f0 + 0.2 MHz * (n - n0). The E-GSM/R-GSM extension
// channels 975..1023 (955..1023) count down from 1024 below 890 MHz.
constexpr std::array<BandInfo, band_count> bands{{
    {"PGSM", {1, 124, 0, 890.0}, std::nullopt, 45.0, false, true, 20, 45},
    {"DCS", {512, 885, 512, 1710.2}, std::nullopt, 95.0, true, true, 600, 700},
    {"EGSM", {0, 124, 0, 890.0}, ArfcnRange{975, 1023, 1024, 890.0}, 45.0, false, true, 20, 45},
    {"GSM450", {259, 293, 259, 450.6}, std::nullopt, 10.0, false, false, 276, 270},
    {"GSM480", {306, 340, 306, 479.0}, std::nullopt, 10.0, false, false, 323, 320},
    {"GSM750", {438, 511, 438, 777.2}, std::nullopt, -30.0, false, false, 475, 470},
    {"GSM850", {128, 251, 128, 824.2}, std::nullopt, 45.0, false, true, 190, 150},
    {"PCS", {512, 810, 512, 1850.2}, std::nullopt, 80.0, true, true, 600, 700},
    {"RGSM", {0, 124, 0, 890.0}, ArfcnRange{955, 1023, 1024, 890.0}, 45.0, false, false, 20, 45},
    {"TGSM810", {350, 425, 350, 806.2}, std::nullopt, 45.0, false, false, 380, 390},
}};

bool in(const ArfcnRange &r, int n) {
    return n >= r.first && n <= r.last;
}

bool iequal(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

const BandInfo &band_info(Band band) {
    return bands[static_cast<std::size_t>(band)];
}

std::string_view band_name(Band band) {
    return band_info(band).name;
}

std::optional<Band> band_from_name(std::string_view name) {
    for (int i = 0; i < band_count; ++i) {
        if (iequal(bands[static_cast<std::size_t>(i)].name, name))
            return static_cast<Band>(i);
    }
    return std::nullopt;
}

bool channel_valid(Band band, int channel) {
    const BandInfo &b = band_info(band);
    return in(b.primary, channel) || (b.extension && in(*b.extension, channel));
}

double uplink_hz(Band band, int channel) {
    const BandInfo &b = band_info(band);
    const ArfcnRange *r = in(b.primary, channel)                       ? &b.primary
                          : (b.extension && in(*b.extension, channel)) ? &*b.extension
                                                                       : nullptr;
    if (r == nullptr)
        return 0.0;
    return (r->f0_mhz + 0.2 * (channel - r->n0)) * 1e6;
}

double downlink_hz(Band band, int channel) {
    const double up = uplink_hz(band, channel);
    return up == 0.0 ? 0.0 : up + band_info(band).duplex_mhz * 1e6;
}

double pcl_power_dbm(Band band, int pcl) {
    pcl = std::clamp(pcl, 0, max_pcl);
    if (band_info(band).high_band) {
        // DCS/PCS: PCL 0 = 30 dBm down to PCL 15 = 0 dBm in 2 dB steps; 16..28
        // stay at the minimum; 29..31 ask for more than a class 1 phone gives.
        if (pcl <= 15)
            return 30.0 - 2.0 * pcl;
        if (pcl <= 28)
            return 0.0;
        return 30.0;
    }
    // GSM 400/700/850/900: PCL 5 = 33 dBm down to PCL 19 = 5 dBm; lower
    // levels ask for more than a class 4 phone gives, higher ones stay at 5.
    if (pcl <= 5)
        return 33.0;
    if (pcl >= 19)
        return 5.0;
    return 43.0 - 2.0 * pcl;
}

} // namespace gsmbench::sim::model
