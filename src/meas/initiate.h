// Starting, stopping and polling measurements. The test set names its
// measurements here by the initiate table, which is not the measurement table
// of the setting commands: it also holds NONE, WAIT, several measurements the
// setting commands do not cover, and a final ERROR row that stands for a reply
// the driver does not recognise (PVT is row 19 here, row 11 there).
#pragma once

#include <cstddef>
#include <cstdint>

// VISA first: gsmbench.h defines the VISA names only where visa.h has not.
#include "link/visa_api.h"

#include "gsmbench.h"
#include "link/code_tables.h"
#include "link/decode.h"

namespace gsmbench::meas {

using InitiateName = link::NamedCode<16>;

inline constexpr InitiateName kInitiateTable[] = {
    {0, "NONE"},  {1, "AAUD"}, {2, "BERR"},  {3, "BFI"},   {4, "BLER"},   {5, "DAUD"}, {6, "DPOW"},
    {7, "EDP"},   {8, "EMAC"}, {9, "ETXP"},  {10, "FBER"}, {11, "FFER"},  {12, "FST"}, {13, "GBER"},
    {14, "IQT"},  {15, "MTA"}, {16, "ORFS"}, {17, "PCAL"}, {18, "PFER"},  {19, "PVT"}, {20, "SBER"},
    {21, "SMON"}, {22, "TXP"}, {23, "WAIT"}, {24, "IFER"}, {25, "ERROR"},
};

inline constexpr std::size_t kInitiateRows = std::size(kInitiateTable);
// The ERROR row: stored for a reply that names no measurement, never matched.
inline constexpr std::int32_t kInitiateUnrecognised = 25;

namespace detail {
constexpr std::uint8_t name_length(const char *name) noexcept {
    std::uint8_t n = 0;
    while (name[n] != '\0') {
        ++n;
    }
    return n;
}

// Every row but ERROR, in row order, each compared over its whole name. No
// name is a prefix of another, so the order decides nothing.
constexpr auto make_initiate_keywords() noexcept {
    struct Rows {
        link::Keyword row[kInitiateRows - 1];
    } rows{};
    for (std::size_t i = 0; i + 1 < kInitiateRows; ++i) {
        rows.row[i] = link::Keyword{kInitiateTable[i].name, name_length(kInitiateTable[i].name),
                                    kInitiateTable[i].code};
    }
    return rows;
}
} // namespace detail

inline constexpr auto kInitiateKeywordRows = detail::make_initiate_keywords();
inline constexpr link::KeywordTable kInitiateKeywords =
    link::make_keyword_table(kInitiateKeywordRows.row, kInitiateUnrecognised);

enum class InitiateAction : std::uint8_t { on, off };

// "INITIATE:<name>:ON" / ":OFF" for row `code`; a code outside 0..25 is
// refused with kLibraryError before anything is sent.
ViStatus initiate(ViSession vi, std::int32_t code, InitiateAction action) noexcept;

// "INITIATE:COUNt?": the reply's leading integer (atol rules).
ViStatus query_initiate_count(ViSession vi, ViInt32 *count) noexcept;

// A query answered by a measurement name (INITIATE:DONE?, INITIATE:ON?): the
// row of the first name the reply begins with (case-sensitive), or 25 with
// kLibraryError when it begins with none. Failed write or read: the status,
// *code untouched. Null `code`: kLibraryError, nothing sent.
ViStatus query_initiate_code(ViSession vi, const char *query, ViInt32 *code) noexcept;

} // namespace gsmbench::meas
