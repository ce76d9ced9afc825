#include "record_fields.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "gsmbench.h"
#include "text_util.h"

namespace gsmbench::tool {
namespace {

constexpr CodeName kBands[] = {{"PGSM", 0},   {"DCS", 1},    {"EGSM", 2}, {"GSM450", 3},
                               {"GSM480", 4}, {"GSM750", 5}, {"GSM850", 6}, {"PCS", 7},
                               {"RGSM", 8},   {"TGSM810", 9}, {"SEL", 10}};
constexpr CodeName kChannelTypes[] = {{"TCH", 0}, {"BCH", 1}};
constexpr CodeName kMeasurements[] = {
    {"AAUD", 0}, {"BERR", 1}, {"BLER", 2}, {"DAUD", 3},  {"DPOW", 4},
    {"ETXP", 5}, {"FBER", 6}, {"GBER", 7}, {"IQT", 8},   {"ORFS", 9},
    {"PFER", 10}, {"PVT", 11}, {"SMON", 12}, {"TXP", 13}, {"RXL", 14}};
constexpr CodeName kTimeUnits[] = {{"S", 0}, {"MS", 1}, {"US", 2}, {"NS", 3}};
constexpr CodeName kTriggers[] = {{"AUTO", 0}, {"PROT", 1}, {"RISE", 2}, {"IMM", 3}};
constexpr CodeName kBerTypes[] = {{"TYPEIA", 0},    {"TYPEII", 1},    {"TYPEIB", 2},
                                  {"RESTYPEIA", 3}, {"RESTYPEII", 4}, {"RESTYPEIB", 5}};
constexpr CodeName kFrequencyUnits[] = {{"HZ", 0}, {"KHZ", 1}, {"MHZ", 2}, {"GHZ", 3}};

#define I32(T, f) FieldInfo{#f, FieldKind::int32, offsetof(T, f)}
#define I32C(T, f, c) FieldInfo{#f, FieldKind::int32, offsetof(T, f), 0, 0, 0, c}
#define R32(T, f) FieldInfo{#f, FieldKind::real32, offsetof(T, f)}
#define TXT(T, f) FieldInfo{#f, FieldKind::text, offsetof(T, f), sizeof(T::f)}

constexpr FieldInfo kChannelBandText[] = {TXT(ChannelBandText, channelType),
                                          TXT(ChannelBandText, band),
                                          I32(ChannelBandText, channel)};
constexpr FieldInfo kChannelBandCode[] = {I32C(ChannelBandCode, band, kBands),
                                          I32C(ChannelBandCode, channelType, kChannelTypes),
                                          I32(ChannelBandCode, channel)};
constexpr FieldInfo kBandValue[] = {I32C(BandValue, band, kBands), I32(BandValue, value)};
constexpr FieldInfo kTypedBandValue[] = {TXT(TypedBandValue, channelType),
                                         I32C(TypedBandValue, band, kBands),
                                         I32(TypedBandValue, value)};
constexpr FieldInfo kCorrectionPoint[] = {TXT(CorrectionPoint, frequency),
                                          R32(CorrectionPoint, gain)};
constexpr FieldInfo kCorrectionTable[] = {
    FieldInfo{"points", FieldKind::points, offsetof(CorrectionTable, point),
              sizeof(CorrectionPoint), GSMB_CORRECTION_POINTS, offsetof(CorrectionTable, count)},
    I32(CorrectionTable, count)};
constexpr FieldInfo kCellIdentity[] = {I32(CellIdentity, mcc), I32(CellIdentity, lac),
                                       I32(CellIdentity, mnc), I32(CellIdentity, ncc),
                                       I32(CellIdentity, bcc)};
constexpr FieldInfo kMeasurementSetting[] = {
    I32C(MeasurementSetting, measurement, kMeasurements), I32(MeasurementSetting, value),
    I32C(MeasurementSetting, unit, kTimeUnits)};
constexpr FieldInfo kMeasurementSetup[] = {
    I32C(MeasurementSetup, measurement, kMeasurements),
    I32(MeasurementSetup, countState),
    I32(MeasurementSetup, count),
    I32(MeasurementSetup, timeoutState),
    R32(MeasurementSetup, timeout),
    I32C(MeasurementSetup, timeoutUnit, kTimeUnits),
    I32(MeasurementSetup, armState),
    I32C(MeasurementSetup, triggerSource, kTriggers),
    R32(MeasurementSetup, triggerDelay),
    I32C(MeasurementSetup, delayUnit, kTimeUnits),
    I32(MeasurementSetup, triggerQualifier)};
constexpr FieldInfo kBerSetup[] = {R32(BerSetup, clsDelayTime),
                                   I32C(BerSetup, clsDelayUnit, kTimeUnits),
                                   I32(BerSetup, slControl),
                                   I32C(BerSetup, berType, kBerTypes),
                                   I32(BerSetup, reserved),
                                   I32(BerSetup, manualDelay)};
constexpr FieldInfo kOrfsFrequencies[] = {
    FieldInfo{"switching", FieldKind::text_slots, offsetof(OrfsFrequencies, switching),
              GSMB_ORFS_OFFSET_SIZE, GSMB_ORFS_SWITCHING_SLOTS,
              offsetof(OrfsFrequencies, switchingCount)},
    FieldInfo{"modulation", FieldKind::text_slots, offsetof(OrfsFrequencies, modulation),
              GSMB_ORFS_OFFSET_SIZE, GSMB_ORFS_MODULATION_SLOTS,
              offsetof(OrfsFrequencies, modulationCount)},
    I32(OrfsFrequencies, switchingCount), I32(OrfsFrequencies, modulationCount)};
constexpr FieldInfo kRfGeneratorFrequency[] = {
    I32(RfGeneratorFrequency, target), R32(RfGeneratorFrequency, frequency),
    I32C(RfGeneratorFrequency, unit, kFrequencyUnits)};
constexpr FieldInfo kTargetCount[] = {I32(TargetCount, target), I32(TargetCount, count)};
constexpr FieldInfo kTxpResult[] = {I32(TxpResult, integrity), R32(TxpResult, power)};
constexpr FieldInfo kPferResult[] = {I32(PferResult, integrity), R32(PferResult, rmsPhaseError),
                                     R32(PferResult, peakPhaseError),
                                     R32(PferResult, frequencyError)};
constexpr FieldInfo kPvtResult[] = {
    I32(PvtResult, integrity),
    FieldInfo{"value", FieldKind::real32_array, offsetof(PvtResult, value), 0, 4}};
constexpr FieldInfo kOrfsResult[] = {
    I32(OrfsResult, integrity),
    FieldInfo{"value", FieldKind::real32_array, offsetof(OrfsResult, value), 0, 32}};
constexpr FieldInfo kBerResult[] = {I32(BerResult, integrity), I32(BerResult, bitsTested),
                                    R32(BerResult, ratio), R32(BerResult, errorCount)};

#undef I32
#undef I32C
#undef R32
#undef TXT

std::int32_t &int_at(void *record, std::size_t offset) {
    return *reinterpret_cast<std::int32_t *>(static_cast<char *>(record) + offset);
}
std::int32_t int_at(const void *record, std::size_t offset) {
    std::int32_t v;
    std::memcpy(&v, static_cast<const char *>(record) + offset, sizeof v);
    return v;
}
float real_at(const void *record, std::size_t offset) {
    float v;
    std::memcpy(&v, static_cast<const char *>(record) + offset, sizeof v);
    return v;
}

// Copies text into a fixed field; too long a text is an error rather than a
// silent truncation (a cut frequency text would be a different frequency).
std::string set_text(char *dest, std::size_t size, std::string_view value) {
    if (value.size() >= size) {
        return "text '" + std::string(value) + "' is longer than " + std::to_string(size - 1) +
               " characters";
    }
    std::memset(dest, 0, size);
    std::memcpy(dest, value.data(), value.size());
    return {};
}

std::string fixed_text(const char *src, std::size_t size) {
    return std::string(src, strnlen(src, size));
}

} // namespace

#define RECORD(T, fields)                                                                        \
    template <> const RecordInfo &record_info<T>() {                                             \
        static constexpr RecordInfo info{#T, sizeof(T), fields};                                 \
        return info;                                                                             \
    }
RECORD(ChannelBandText, kChannelBandText)
RECORD(ChannelBandCode, kChannelBandCode)
RECORD(BandValue, kBandValue)
RECORD(TypedBandValue, kTypedBandValue)
RECORD(CorrectionPoint, kCorrectionPoint)
RECORD(CorrectionTable, kCorrectionTable)
RECORD(CellIdentity, kCellIdentity)
RECORD(MeasurementSetting, kMeasurementSetting)
RECORD(MeasurementSetup, kMeasurementSetup)
RECORD(BerSetup, kBerSetup)
RECORD(OrfsFrequencies, kOrfsFrequencies)
RECORD(RfGeneratorFrequency, kRfGeneratorFrequency)
RECORD(TargetCount, kTargetCount)
RECORD(TxpResult, kTxpResult)
RECORD(PferResult, kPferResult)
RECORD(PvtResult, kPvtResult)
RECORD(OrfsResult, kOrfsResult)
RECORD(BerResult, kBerResult)
#undef RECORD

bool parse_int(std::string_view text, long long &out) {
    if (text.empty()) {
        return false;
    }
    const char *first = text.data();
    const char *last = text.data() + text.size();
    if (*first == '+') {
        ++first;
    }
    int base = 10;
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        first += 2;
        base = 16;
    }
    const auto [ptr, ec] = std::from_chars(first, last, out, base);
    return ec == std::errc() && ptr == last;
}

bool parse_real(std::string_view text, float &out) {
    if (text.empty()) {
        return false;
    }
    const char *first = text.data();
    if (*first == '+') {
        ++first;
    }
    const auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

const FieldInfo *find_field(const RecordInfo &info, std::string_view field) {
    for (const FieldInfo &f : info.fields) {
        if (iequals(f.name, field)) {
            return &f;
        }
    }
    return nullptr;
}

std::string set_field(const RecordInfo &info, void *record, std::string_view field,
                      std::string_view value) {
    const FieldInfo *f = find_field(info, field);
    if (f == nullptr) {
        std::string known;
        for (const FieldInfo &g : info.fields) {
            known += known.empty() ? "" : ", ";
            known += g.name;
        }
        return std::string(info.name) + " has no field '" + std::string(field) +
               "' (fields: " + known + ")";
    }
    char *base = static_cast<char *>(record);
    switch (f->kind) {
    case FieldKind::int32: {
        long long v = 0;
        bool ok = parse_int(value, v);
        if (!ok) {
            for (const CodeName &c : f->codes) {
                if (iequals(c.name, value)) {
                    v = c.code;
                    ok = true;
                }
            }
        }
        if (!ok || v < INT32_MIN || v > INT32_MAX) {
            std::string msg = std::string(f->name) + "=" + std::string(value) +
                              ": expected a 32-bit integer";
            if (!f->codes.empty()) {
                msg += " or one of";
                for (const CodeName &c : f->codes) {
                    msg += " " + std::string(c.name);
                }
            }
            return msg;
        }
        int_at(record, f->offset) = static_cast<std::int32_t>(v);
        return {};
    }
    case FieldKind::real32: {
        float v = 0;
        if (!parse_real(value, v)) {
            return std::string(f->name) + "=" + std::string(value) + ": expected a number";
        }
        std::memcpy(base + f->offset, &v, sizeof v);
        return {};
    }
    case FieldKind::text:
        return set_text(base + f->offset, f->size, value);
    case FieldKind::text_slots: {
        const auto items = split(value, ',');
        if (items.size() > f->count) {
            return std::string(f->name) + ": at most " + std::to_string(f->count) + " entries";
        }
        std::memset(base + f->offset, 0, f->size * f->count);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (auto err = set_text(base + f->offset + i * f->size, f->size, items[i]);
                !err.empty()) {
                return std::string(f->name) + ": " + err;
            }
        }
        // The count follows the list unless the caller sets it afterwards
        // (deliberately wrong counts are how the library's checks are probed).
        int_at(record, f->count_offset) = static_cast<std::int32_t>(value.empty() ? 0 : items.size());
        return {};
    }
    case FieldKind::points: {
        const auto items = split(value, ',');
        if (items.size() > f->count) {
            return std::string(f->name) + ": at most " + std::to_string(f->count) + " points";
        }
        std::memset(base + f->offset, 0, f->size * f->count);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string_view item = items[i];
            const auto slash = item.rfind('/');
            if (slash == std::string_view::npos) {
                return std::string(f->name) + ": point '" + std::string(item) +
                       "' is not FREQUENCY/GAIN";
            }
            auto *point = reinterpret_cast<CorrectionPoint *>(base + f->offset + i * f->size);
            if (auto err = set_text(point->frequency, sizeof point->frequency,
                                    item.substr(0, slash));
                !err.empty()) {
                return std::string(f->name) + ": " + err;
            }
            if (!parse_real(item.substr(slash + 1), point->gain)) {
                return std::string(f->name) + ": gain '" + std::string(item.substr(slash + 1)) +
                       "' is not a number";
            }
        }
        int_at(record, f->count_offset) = static_cast<std::int32_t>(value.empty() ? 0 : items.size());
        return {};
    }
    case FieldKind::real32_array: {
        const auto items = split(value, ',');
        if (items.size() > f->count) {
            return std::string(f->name) + ": at most " + std::to_string(f->count) + " values";
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            float v = 0;
            if (!parse_real(items[i], v)) {
                return std::string(f->name) + ": '" + std::string(items[i]) + "' is not a number";
            }
            std::memcpy(base + f->offset + i * sizeof(float), &v, sizeof v);
        }
        return {};
    }
    }
    return "unsupported field";
}

std::string format_record(const RecordInfo &info, const void *record) {
    const char *base = static_cast<const char *>(record);
    std::string out;
    for (const FieldInfo &f : info.fields) {
        if (!out.empty()) {
            out += ' ';
        }
        out += f.name;
        out += '=';
        switch (f.kind) {
        case FieldKind::int32:
            out += std::to_string(int_at(record, f.offset));
            break;
        case FieldKind::real32:
            out += format_float(real_at(record, f.offset));
            break;
        case FieldKind::text:
            out += quote(fixed_text(base + f.offset, f.size));
            break;
        case FieldKind::text_slots: {
            const auto n = std::clamp<std::int32_t>(int_at(record, f.count_offset), 0,
                                                    static_cast<std::int32_t>(f.count));
            std::string list;
            for (std::int32_t i = 0; i < n; ++i) {
                list += i ? "," : "";
                list += fixed_text(base + f.offset + i * f.size, f.size);
            }
            out += quote(list);
            break;
        }
        case FieldKind::points: {
            const auto n = std::clamp<std::int32_t>(int_at(record, f.count_offset), 0,
                                                    static_cast<std::int32_t>(f.count));
            std::string list;
            for (std::int32_t i = 0; i < n; ++i) {
                const auto *p = reinterpret_cast<const CorrectionPoint *>(base + f.offset + i * f.size);
                list += i ? "," : "";
                list += fixed_text(p->frequency, sizeof p->frequency) + "/" + format_float(p->gain);
            }
            out += quote(list);
            break;
        }
        case FieldKind::real32_array: {
            for (std::size_t i = 0; i < f.count; ++i) {
                out += i ? "," : "";
                out += format_float(real_at(record, f.offset + i * sizeof(float)));
            }
            break;
        }
        }
    }
    return out;
}

} // namespace gsmbench::tool
