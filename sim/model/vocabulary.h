// The test set's enumerated settings and their instrument keywords. Each
// enumeration's order is the order of its keyword table.
#pragma once

#include <array>
#include <cctype>
#include <optional>
#include <string_view>

namespace gsmbench::sim::model {

template <typename Enum, std::size_t N> struct KeywordTable {
    std::array<std::string_view, N> names;

    constexpr std::string_view name(Enum e) const { return names[static_cast<std::size_t>(e)]; }
    // Case-insensitive exact match, as the instrument parses character data.
    std::optional<Enum> find(std::string_view text) const {
        for (std::size_t i = 0; i < N; ++i) {
            const std::string_view n = names[i];
            if (n.size() != text.size())
                continue;
            bool same = true;
            for (std::size_t k = 0; k < n.size() && same; ++k) {
                same = std::toupper(static_cast<unsigned char>(text[k])) == n[k];
            }
            if (same)
                return static_cast<Enum>(i);
        }
        return std::nullopt;
    }
};

enum class OperatingMode { off, call, cw, gbt, gbtt, pbt, pbpt, pbptt, ebt, ebpt, ebptt };
inline constexpr KeywordTable<OperatingMode, 11> operating_modes{
    {"OFF", "CALL", "CW", "GBT", "GBTT", "PBT", "PBPT", "PBPTT", "EBT", "EBPT", "EBPTT"}};
// The BCH+TCH test modes, in which the phone transmits without signalling.
constexpr bool is_test_mode(OperatingMode m) {
    return m >= OperatingMode::gbt;
}

enum class ConnectionType { a, b, ackb, bler, autom, srbl };
inline constexpr KeywordTable<ConnectionType, 6> connection_types{
    {"A", "B", "ACKB", "BLER", "AUTO", "SRBL"}};

enum class CallState { idle, sreq, aler, conn, disc, hand, pag };
inline constexpr KeywordTable<CallState, 7> call_states{
    {"IDLE", "SREQ", "ALER", "CONN", "DISC", "HAND", "PAG"}};

enum class ChannelType { tch, bch };
inline constexpr KeywordTable<ChannelType, 2> channel_types{{"TCH", "BCH"}};

enum class BurstType { rach, tsc0, tsc1, tsc2, tsc3, tsc4, tsc5, tsc6, tsc7 };
inline constexpr KeywordTable<BurstType, 9> burst_types{
    {"RACH", "TSC0", "TSC1", "TSC2", "TSC3", "TSC4", "TSC5", "TSC6", "TSC7"}};

enum class TriggerSource { autom, prot, rise, imm };
inline constexpr KeywordTable<TriggerSource, 4> trigger_sources{{"AUTO", "PROT", "RISE", "IMM"}};

enum class BurstSync { midamble, amplitude, none };
inline constexpr KeywordTable<BurstSync, 3> burst_syncs{{"MIDAMBLE", "AMPLITUDE", "NONE"}};

enum class BerType { typeia, typeii, typeib, restypeia, restypeii, restypeib };
inline constexpr KeywordTable<BerType, 6> ber_types{
    {"TYPEIA", "TYPEII", "TYPEIB", "RESTYPEIA", "RESTYPEII", "RESTYPEIB"}};

// Every measurement the test set can set up or initiate, in alphabetical order
// (the order INIT:ON? lists them in). RXL has settings but cannot be initiated.
enum class Meas {
    aaud,
    berr,
    bfi,
    bler,
    daud,
    dpow,
    edp,
    emac,
    etxp,
    fber,
    ffer,
    fst,
    gber,
    ifer,
    iqt,
    mta,
    orfs,
    pcal,
    pfer,
    pvt,
    rxl,
    sber,
    smon,
    txp
};
inline constexpr std::size_t meas_count = 24;
inline constexpr KeywordTable<Meas, meas_count> measurements{
    {"AAUD", "BERR", "BFI", "BLER", "DAUD", "DPOW", "EDP",  "EMAC", "ETXP", "FBER", "FFER", "FST",
     "GBER", "IFER", "IQT", "MTA",  "ORFS", "PCAL", "PFER", "PVT",  "RXL",  "SBER", "SMON", "TXP"}};
constexpr bool can_initiate(Meas m) {
    return m != Meas::rxl;
}

} // namespace gsmbench::sim::model
