// Code-to-mnemonic tables shared by several command families, and the one
// bounded lookup every table goes through.
//
// Rows are {code, name}; the code equals the row's position and is carried for
// reading the table, never consulted: a lookup indexes by the caller's code,
// after checking that the code names a row (negative codes included), so no
// caller value can read outside a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gsmbench::link {

template <std::size_t NameSize> struct NamedCode {
    std::int32_t code;
    char name[NameSize];
};

using CodeName = NamedCode<32>;

// The row's name, or nullptr when `code` names no row.
template <std::size_t NameSize, std::size_t Rows>
constexpr const char *name_for(const NamedCode<NameSize> (&table)[Rows],
                               std::int32_t code) noexcept {
    if (code < 0 || static_cast<std::size_t>(code) >= Rows) {
        return nullptr;
    }
    return table[code].name;
}

template <std::size_t NameSize, std::size_t Rows>
constexpr std::size_t row_count(const NamedCode<NameSize> (&)[Rows]) noexcept {
    return Rows;
}

inline constexpr CodeName kBandTable[] = {
    {0, "PGSM"},   {1, "DCS"},    {2, "EGSM"}, {3, "GSM450"}, {4, "GSM480"},  {5, "GSM750"},
    {6, "GSM850"}, {7, "PCS"},    {8, "RGSM"}, {9, "TGSM810"}, {10, "SEL"},
};

inline constexpr CodeName kChannelTypeTable[] = {
    {0, "TCH"},
    {1, "BCH"},
};

inline constexpr CodeName kMeasurementTable[] = {
    {0, "AAUD"}, {1, "BERR"},  {2, "BLER"}, {3, "DAUD"},  {4, "DPOW"},
    {5, "ETXP"}, {6, "FBER"},  {7, "GBER"}, {8, "IQT"},   {9, "ORFS"},
    {10, "PFER"}, {11, "PVT"}, {12, "SMON"}, {13, "TXP"}, {14, "RXL"},
};

inline const char *band_name(std::int32_t code) noexcept { return name_for(kBandTable, code); }
inline const char *channel_type_name(std::int32_t code) noexcept {
    return name_for(kChannelTypeTable, code);
}
inline const char *measurement_name(std::int32_t code) noexcept {
    return name_for(kMeasurementTable, code);
}

} // namespace gsmbench::link
