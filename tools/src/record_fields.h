// Field-by-field descriptions of the library's caller records, so the `call`
// command can fill any record from `field=value` words and print any record the
// library wrote. One description per record type; the layouts come from the
// public header through offsetof, so a reordered header cannot go unnoticed.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace gsmbench::tool {

enum class FieldKind : unsigned char {
    int32,      // ViInt32
    real32,     // ViReal32
    text,       // fixed ViChar[size], NUL-terminated inside the array
    text_slots, // ViChar[count][size] list, with its count in another field
    points,     // CorrectionPoint[count], written as FREQ/GAIN,FREQ/GAIN...
    real32_array,
};

// Names a field's integer codes may be given by (band=DCS, measurement=TXP).
struct CodeName {
    std::string_view name;
    int code;
};

struct FieldInfo {
    std::string_view name;
    FieldKind kind;
    std::size_t offset;
    std::size_t size = 0;         // text: bytes per slot
    std::size_t count = 0;        // slots / points / array elements
    std::size_t count_offset = 0; // text_slots, points: the ViInt32 count field
    std::span<const CodeName> codes = {};
};

struct RecordInfo {
    std::string_view name;
    std::size_t size;
    std::span<const FieldInfo> fields;
};

// The record descriptions, keyed by the C type.
template <typename T> const RecordInfo &record_info();

// Sets one field from its text form. Returns an empty string on success, or
// what was wrong with the value.
std::string set_field(const RecordInfo &info, void *record, std::string_view field,
                      std::string_view value);

// Finds a field by name (case-insensitive); nullptr when the record has none.
const FieldInfo *find_field(const RecordInfo &info, std::string_view field);

// "band=1 value=5": every field, in record order.
std::string format_record(const RecordInfo &info, const void *record);

// Parses a whole decimal integer (optionally a code name of the field).
bool parse_int(std::string_view text, long long &out);
bool parse_real(std::string_view text, float &out);

} // namespace gsmbench::tool
