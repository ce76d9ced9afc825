// Test mode (no signalling): the broadcast and traffic channel of each band,
// the RF generator frequency and the receiver's automatic control.
#pragma once

#include <cstdint>

#include "link/code_tables.h"
#include "link/visa_api.h"

#include "gsmbench.h"

namespace gsmbench::testmode {

// Frequency unit suffixes, by GSMB_FREQ_* code. The suffix follows the number
// without a blank ("935.200012MHZ"), which the test set accepts as one
// numeric parameter with its unit.
inline constexpr link::NamedCode<8> kFrequencyUnitTable[] = {
    {0, "HZ"},
    {1, "KHZ"},
    {2, "MHZ"},
    {3, "GHZ"},
};

// Which channel of a band a call addresses.
enum class ChannelKind : std::uint8_t { broadcast, traffic };

// A band code the test-mode channel commands accept: a row of the band table
// other than TGSM810 (code 9), which has no test-mode channel setting.
bool is_test_mode_band(std::int32_t band) noexcept;

// Callers check the band first; these refuse an unusable band again rather
// than index outside the table.
ViStatus set_channel(ViSession vi, ChannelKind kind, const BandValue &setting) noexcept;
ViStatus get_channel(ViSession vi, ChannelKind kind, BandValue &setting) noexcept;

// target 1 is the GSM setting, every other value the SEL setting.
ViStatus set_generator_frequency(ViSession vi, const RfGeneratorFrequency &setting) noexcept;
// Stores the reported value in `frequency`; `unit` is neither read nor changed.
ViStatus get_generator_frequency(ViSession vi, RfGeneratorFrequency &setting) noexcept;

// 0 switches automatic receiver control off, every other value on.
ViStatus set_receiver_control(ViSession vi, std::int32_t method) noexcept;
ViStatus get_receiver_control(ViSession vi, ViInt32 &method) noexcept;

} // namespace gsmbench::testmode
