// Helpers shared by the instrument command tables: parameter parsing against
// the model's vocabularies and the reply forms of the test set.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "gsmbench/sim/scpi.h"
#include "model/bench.h"

namespace gsmbench::sim::instruments {

// Both instruments answer reals as "+1.23400E+01".
inline constexpr RealFormat bench_real_format{5, 2};

// The band names as parameter choices (PGSM, DCS, ...), in band-code order.
const std::vector<std::string_view> &band_choices();

// A band mnemonic captured in the header. "SEL" (the selected band) stands for
// `selected`. Unknown mnemonics push -113 and give nullopt.
std::optional<model::Band> captured_band(Request &req, std::string_view capture,
                                         model::Band selected);
// A measurement mnemonic captured in the header (TXP, PFER, ... or a long form
// such as BERROR); unknown ones push -113.
std::optional<model::Meas> captured_meas(Request &req, std::string_view capture = "meas");
// A channel-type mnemonic captured in the header (TCH, BCH, or their long forms).
std::optional<model::ChannelType> captured_channel_type(Request &req, std::string_view capture);

// A band parameter (character data); -224 for anything else, SEL included.
std::optional<model::Band> band_param(Request &req, std::size_t index);
// A channel number valid in `band`; -222 otherwise.
std::optional<int> channel_param(Request &req, std::size_t index, model::Band band);

// Settings answer whole numbers as integers ("+10") so that an integer reading
// of the reply gets the value; other values as reals.
void setting_number(Response &r, double value);
// A measurement result: integrity indicator, then the values.
void result(Response &r, const model::MeasResult &res);
// A list of numbers (a frequency or gain list).
std::optional<std::vector<double>> number_list(Request &req, const NumericRule &rule);

} // namespace gsmbench::sim::instruments
