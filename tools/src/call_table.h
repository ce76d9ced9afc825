// The one table of every exported library function, for `gsmbench call`.
//
// Each row is generated from the function's own C signature, so the argument
// kinds, the parsing of the command-line words and the printing of the
// outputs can never disagree with the header. Words are given in parameter
// order; records are filled from `field=value` words (a field name may be
// prefixed with the record type, `MeasurementSetup.count=5`, where two records
// of one call share a field name).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gsmbench.h"
#include "record_fields.h"

namespace gsmbench::tool {

enum class ParamKind : unsigned char {
    session,       // ViSession: implicit for instrument calls, else rm/testset/supply/number
    session_out,   // ViSession *: printed, and closed when the command ends
    int32,         // ViInt32
    int32_out,     // ViInt32 *
    boolean,       // ViBoolean
    real32,        // ViReal32
    real32_out,    // ViReal32 *
    real32_in,     // const ViReal32 * (a value passed by pointer)
    text_in,       // const ViChar *
    text_out,      // ViChar * (a 1024-byte buffer, zero-filled)
    float_list,    // ViReal32 * with its capacity in the next argument
    record_in,     // const Record *
    record_inout,  // Record *: filled from the words, printed after the call
};

// What the function returns: a VISA status, the session functions' 1/0 flag,
// or nothing.
enum class ReturnKind : unsigned char { status, flag, none };

struct ParamInfo {
    ParamKind kind;
    const RecordInfo &(*record)() = nullptr;
};

// The sessions and resources a call may use.
struct CallEnvironment {
    ViSession rm = 0;
    ViSession testset = 0;
    ViSession supply = 0;
    std::string testset_resource;
    std::string supply_resource;
    std::vector<ViSession> created; // sessions the called function opened
};

struct CallResult {
    long long value = 0;
    std::vector<std::string> outputs; // "label: value" lines
};

// Instrument functions take their session implicitly: BS_* the test set's,
// Power_* the supply's.
enum class Instrument : unsigned char { none, testset, supply };
Instrument implicit_instrument(std::string_view name);

struct FunctionEntry {
    std::string_view name;
    ReturnKind returns;
    std::span<const ParamInfo> params;
    const void *address; // the function itself, for the export check
    // Binds the words to the parameters, calls, and formats the outputs.
    // Returns an empty string, or what was wrong with the words (nothing was
    // called then).
    std::string (*invoke)(Instrument implicit, std::span<const std::string> words, CallEnvironment &env,
                          CallResult &result);
};

std::span<const FunctionEntry> call_table();

// Exact name; nullptr when unknown.
const FunctionEntry *find_function(std::string_view name);

// Up to `max` known names nearest to `name` by edit distance, nearest first.
std::vector<std::string_view> nearest_functions(std::string_view name, std::size_t max = 3);

// "BS_Set_Call_Ms_TXL BandValue{band=,value=}" style one-line usage.
std::string usage(const FunctionEntry &entry);

} // namespace gsmbench::tool
