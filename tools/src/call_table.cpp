#include "call_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <tuple>
#include <type_traits>

#include "text_util.h"

namespace gsmbench::tool {
namespace {

bool is_field_word(std::string_view word) {
    const auto eq = word.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        return false;
    }
    return std::all_of(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(eq), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.';
    });
}

// Hands out the command-line words to the parameters, in order.
class Binder {
  public:
    Binder(std::span<const std::string> words, CallEnvironment &env, Instrument implicit)
        : words_(words), used_(words.size(), false), env_(env), implicit_(implicit) {}

    CallEnvironment &env() { return env_; }

    // The implicit session is the first ViSession of an instrument function.
    bool take_implicit_session(ViSession &out) {
        if (implicit_ == Instrument::none || implicit_taken_) {
            return false;
        }
        implicit_taken_ = true;
        out = implicit_ == Instrument::testset ? env_.testset : env_.supply;
        return true;
    }

    std::string positional(std::string_view what, std::string_view &out) {
        for (std::size_t i = 0; i < words_.size(); ++i) {
            if (!used_[i] && !is_field_word(words_[i])) {
                used_[i] = true;
                out = words_[i];
                ++position_;
                return {};
            }
        }
        return "missing argument " + std::to_string(position_ + 1) + " (" + std::string(what) + ")";
    }

    // Every `field=value` word that names a field of this record.
    std::string fields(const RecordInfo &info, void *record) {
        for (std::size_t i = 0; i < words_.size(); ++i) {
            if (used_[i] || !is_field_word(words_[i])) {
                continue;
            }
            const std::string_view word = words_[i];
            const auto eq = word.find('=');
            std::string_view key = word.substr(0, eq);
            if (const auto dot = key.find('.'); dot != std::string_view::npos) {
                if (!iequals(key.substr(0, dot), info.name)) {
                    continue;
                }
                key = key.substr(dot + 1);
            }
            if (find_field(info, key) == nullptr) {
                continue;
            }
            used_[i] = true;
            if (auto err = set_field(info, record, key, word.substr(eq + 1)); !err.empty()) {
                return err;
            }
        }
        return {};
    }

    std::string leftovers() const {
        for (std::size_t i = 0; i < words_.size(); ++i) {
            if (!used_[i]) {
                return "unexpected argument '" + words_[i] + "'";
            }
        }
        return {};
    }

  private:
    std::span<const std::string> words_;
    std::vector<bool> used_;
    CallEnvironment &env_;
    Instrument implicit_;
    bool implicit_taken_ = false;
    std::size_t position_ = 0;
};

// One parameter's storage, parsing, passing and printing, by C type.
template <typename P, typename = void> struct Slot;

template <> struct Slot<ViSession> {
    static constexpr ParamInfo info() { return {ParamKind::session}; }
    ViSession v = 0;
    std::string bind(Binder &b) {
        if (b.take_implicit_session(v)) {
            return {};
        }
        std::string_view word;
        if (auto err = b.positional("session: rm, testset, supply or a handle", word); !err.empty()) {
            return err;
        }
        if (iequals(word, "rm")) {
            v = b.env().rm;
        } else if (iequals(word, "testset") || iequals(word, "vi")) {
            v = b.env().testset;
        } else if (iequals(word, "supply")) {
            v = b.env().supply;
        } else {
            long long n = 0;
            if (!parse_int(word, n) || n < 0 || n > 0xFFFFFFFFLL) {
                return "'" + std::string(word) + "' is not a session (rm, testset, supply or a handle)";
            }
            v = static_cast<ViSession>(n);
        }
        return {};
    }
    ViSession get() { return v; }
    void print(CallResult &, CallEnvironment &) {}
};

template <> struct Slot<ViSession *> {
    static constexpr ParamInfo info() { return {ParamKind::session_out}; }
    ViSession v = 0;
    std::string bind(Binder &) { return {}; }
    ViSession *get() { return &v; }
    void print(CallResult &r, CallEnvironment &env) {
        r.outputs.push_back("session: " + std::to_string(v));
        if (v != 0 && v != env.rm && v != env.testset && v != env.supply) {
            env.created.push_back(v);
        }
    }
};

template <> struct Slot<ViInt32> {
    static constexpr ParamInfo info() { return {ParamKind::int32}; }
    ViInt32 v = 0;
    std::string bind(Binder &b) {
        std::string_view word;
        if (auto err = b.positional("integer", word); !err.empty()) {
            return err;
        }
        long long n = 0;
        if (!parse_int(word, n) || n < INT32_MIN || n > INT32_MAX) {
            return "'" + std::string(word) + "' is not a 32-bit integer";
        }
        v = static_cast<ViInt32>(n);
        return {};
    }
    ViInt32 get() { return v; }
    void print(CallResult &, CallEnvironment &) {}
};

template <> struct Slot<ViInt32 *> {
    static constexpr ParamInfo info() { return {ParamKind::int32_out}; }
    ViInt32 v = 0;
    std::string bind(Binder &) { return {}; }
    ViInt32 *get() { return &v; }
    void print(CallResult &r, CallEnvironment &) { r.outputs.push_back("int: " + std::to_string(v)); }
};

template <> struct Slot<ViBoolean> {
    static constexpr ParamInfo info() { return {ParamKind::boolean}; }
    ViBoolean v = 0;
    std::string bind(Binder &b) {
        std::string_view word;
        if (auto err = b.positional("boolean", word); !err.empty()) {
            return err;
        }
        long long n = 0;
        if (!parse_int(word, n) || n < 0 || n > 0xFFFF) {
            return "'" + std::string(word) + "' is not a 16-bit boolean (0..65535)";
        }
        v = static_cast<ViBoolean>(n);
        return {};
    }
    ViBoolean get() { return v; }
    void print(CallResult &, CallEnvironment &) {}
};

template <> struct Slot<ViReal32> {
    static constexpr ParamInfo info() { return {ParamKind::real32}; }
    ViReal32 v = 0;
    std::string bind(Binder &b) {
        std::string_view word;
        if (auto err = b.positional("number", word); !err.empty()) {
            return err;
        }
        if (!parse_real(word, v)) {
            return "'" + std::string(word) + "' is not a number";
        }
        return {};
    }
    ViReal32 get() { return v; }
    void print(CallResult &, CallEnvironment &) {}
};

template <> struct Slot<const ViReal32 *> : Slot<ViReal32> {
    static constexpr ParamInfo info() { return {ParamKind::real32_in}; }
    const ViReal32 *get() { return &v; }
};

template <> struct Slot<ViReal32 *> {
    static constexpr ParamInfo info() { return {ParamKind::real32_out}; }
    ViReal32 v = 0;
    std::string bind(Binder &) { return {}; }
    ViReal32 *get() { return &v; }
    void print(CallResult &r, CallEnvironment &) { r.outputs.push_back("float: " + format_float(v)); }
};

template <> struct Slot<const ViChar *> {
    static constexpr ParamInfo info() { return {ParamKind::text_in}; }
    std::string v;
    std::string bind(Binder &b) {
        std::string_view word;
        if (auto err = b.positional("text", word); !err.empty()) {
            return err;
        }
        // @testset and @supply stand for the resource names in use, so a
        // session function can be tried on the embedded simulator too.
        if (iequals(word, "@testset")) {
            v = b.env().testset_resource;
        } else if (iequals(word, "@supply")) {
            v = b.env().supply_resource;
        } else {
            v = std::string(word);
        }
        return {};
    }
    const ViChar *get() { return v.c_str(); }
    void print(CallResult &, CallEnvironment &) {}
};

template <> struct Slot<ViChar *> {
    static constexpr ParamInfo info() { return {ParamKind::text_out}; }
    // Larger than any reply the library copies out (255 or 256 bytes).
    std::array<ViChar, 1024> v{};
    std::string bind(Binder &) { return {}; }
    ViChar *get() { return v.data(); }
    void print(CallResult &r, CallEnvironment &) {
        r.outputs.push_back("text: " + quote(std::string_view(v.data(), strnlen(v.data(), v.size()))));
    }
};

template <typename T> struct Slot<const T *, std::enable_if_t<std::is_class_v<T>>> {
    static constexpr ParamInfo info() { return {ParamKind::record_in, &record_info<T>}; }
    T v{};
    std::string bind(Binder &b) { return b.fields(record_info<T>(), &v); }
    const T *get() { return &v; }
    void print(CallResult &, CallEnvironment &) {}
};

template <typename T> struct Slot<T *, std::enable_if_t<std::is_class_v<T> && !std::is_const_v<T>>> {
    static constexpr ParamInfo info() { return {ParamKind::record_inout, &record_info<T>}; }
    T v{};
    std::string bind(Binder &b) { return b.fields(record_info<T>(), &v); }
    T *get() { return &v; }
    void print(CallResult &r, CallEnvironment &) {
        r.outputs.push_back(std::string(record_info<T>().name) + ": " + format_record(record_info<T>(), &v));
    }
};

constexpr std::string_view kFlagFunctions[] = {"CreateGPIBDefaultRM", "FreeGPIBDefaultRM",
                                               "OpenGPIB",            "OpenInstrument",
                                               "CloseInstrument",     "CloseGPIB",
                                               "ParseFloatList"};

template <auto Fn> struct Entry;

template <typename R, typename... P, R(GSMBENCH_CALL *Fn)(P...)> struct Entry<Fn> {
    static constexpr ParamInfo params[sizeof...(P) == 0 ? 1 : sizeof...(P)] = {Slot<P>::info()...};

    static std::string invoke_as(Instrument implicit, std::span<const std::string> words,
                                 CallEnvironment &env, CallResult &result) {
        Binder binder(words, env, implicit);
        // Slots can be large (OrfsResult, text buffers): keep them off the stack.
        auto slots = std::make_unique<std::tuple<Slot<P>...>>();
        std::string err;
        std::apply([&](auto &...s) { ((err.empty() ? void(err = s.bind(binder)) : void()), ...); },
                   *slots);
        if (err.empty()) {
            err = binder.leftovers();
        }
        if (!err.empty()) {
            return err;
        }
        if constexpr (std::is_void_v<R>) {
            std::apply([](auto &...s) { Fn(s.get()...); }, *slots);
        } else {
            result.value = std::apply([](auto &...s) { return Fn(s.get()...); }, *slots);
        }
        std::apply([&](auto &...s) { (s.print(result, env), ...); }, *slots);
        return {};
    }
};

// ParseFloatList's array has the length the caller states in the next
// argument, which no single-value slot can express.
constexpr ParamInfo kParseFloatListParams[] = {
    {ParamKind::text_in}, {ParamKind::float_list}, {ParamKind::int32}};

std::string invoke_parse_float_list(std::span<const std::string> words, CallEnvironment &env,
                                    CallResult &result) {
    Binder binder(words, env, Instrument::none);
    Slot<const ViChar *> reply;
    Slot<ViInt32> capacity;
    std::string err = reply.bind(binder);
    if (err.empty()) {
        err = capacity.bind(binder);
    }
    if (err.empty()) {
        err = binder.leftovers();
    }
    if (err.empty() && (capacity.v < 0 || capacity.v > 4096)) {
        err = "capacity must be 0..4096 here (the tool's own array)";
    }
    if (!err.empty()) {
        return err;
    }
    std::vector<ViReal32> values(static_cast<std::size_t>(capacity.v) + 1, 0.0F);
    result.value = ParseFloatList(reply.get(), values.data(), capacity.v);
    std::string list;
    for (ViInt32 i = 0; i < capacity.v; ++i) {
        list += i ? "," : "";
        list += format_float(values[static_cast<std::size_t>(i)]);
    }
    result.outputs.push_back("floats: " + list);
    return {};
}

template <typename R, typename... P> constexpr std::size_t param_count(R(GSMBENCH_CALL *)(P...)) {
    return sizeof...(P);
}
template <typename R, typename... P> constexpr bool returns_void(R(GSMBENCH_CALL *)(P...)) {
    return std::is_void_v<R>;
}

template <auto Fn> FunctionEntry make_entry(std::string_view name) {
    const bool flag = std::find(std::begin(kFlagFunctions), std::end(kFlagFunctions), name) !=
                      std::end(kFlagFunctions);
    FunctionEntry e{};
    e.name = name;
    e.returns = returns_void(Fn) ? ReturnKind::none : flag ? ReturnKind::flag : ReturnKind::status;
    e.params = std::span<const ParamInfo>(Entry<Fn>::params, param_count(Fn));
    e.address = reinterpret_cast<const void *>(Fn);
    e.invoke = &Entry<Fn>::invoke_as;
    return e;
}

#define FN(name) make_entry<&name>(#name)

const std::vector<FunctionEntry> &table() {
    static const std::vector<FunctionEntry> entries = [] {
        FunctionEntry parse_float_list{};
        parse_float_list.name = "ParseFloatList";
        parse_float_list.returns = ReturnKind::flag;
        parse_float_list.params = kParseFloatListParams;
        parse_float_list.address = reinterpret_cast<const void *>(&ParseFloatList);
        parse_float_list.invoke = [](Instrument, std::span<const std::string> words,
                                     CallEnvironment &env, CallResult &result) {
            return invoke_parse_float_list(words, env, result);
        };
        return std::vector<FunctionEntry>{
            // Sessions
            FN(CreateGPIBDefaultRM), FN(FreeGPIBDefaultRM), FN(OpenGPIB), FN(OpenInstrument),
            FN(CloseInstrument), FN(CloseGPIB), FN(Test_8960),
            // Housekeeping
            FN(BS_ReSet), FN(BS_SYST_TurnOn_Debugger), FN(BS_Clear_Error), FN(BS_Get_Error),
            FN(BS_Get_Testset_Info), FN(BS_Abort_All), FN(BS_Abort_Item),
            // Operating mode and band
            FN(BS_Set_Call_Operating_Mode), FN(BS_Get_Call_Operating_Mode),
            FN(BS_Set_Call_Band_Mode), FN(BS_Set_TCH_Band_Mode), FN(BS_Get_Call_Band_Mode),
            FN(BS_Get_TCH_Band_Mode),
            // Channels and active band
            FN(BS_Set_TCH_Channel), FN(BS_Set_Channel_For_Band), FN(BS_Set_ChannelForBand),
            FN(BS_Set_ChannelType_For_Band), FN(BS_Set_ChannelType_For_Band2),
            FN(BS_Set_Active_Band), FN(BS_Set_ActiveBand), FN(BS_Set_Active_Band_OnType),
            FN(BS_Set_Active_Band2), FN(BS_Get_Active_Channel_NUM),
            FN(BS_Get_TCH_Current_Channel_NUM),
            // Cell power and mobile transmit level
            FN(BS_Set_Call_Pow), FN(BS_Set_Call_Pow_Amplitude), FN(BS_Get_Call_Pow),
            FN(BS_Set_TCH_Ms_Txl), FN(BS_Set_Call_Ms_TXL), FN(BS_Get_Call_Ms_TXL),
            FN(BS_Set_Call_Ms_TXL_OnChannelType), FN(BS_Set_Call_Ms_TXL_OnChannelType2),
            FN(BS_Get_Call_Current_Ms_TXL),
            // Connection type
            FN(BS_Set_Call_Connect_Type), FN(BS_Get_Call_Connect_Type),
            // Path-loss correction
            FN(BS_Set_Syst_Corr_Freq_And_Offset), FN(BS_Set_Syst_Corr_Freq_And_Offset_One),
            FN(BS_Set_Syst_Corr_Freq), FN(BS_Set_Syst_Corr_Offset),
            // Cell identity
            FN(BS_Set_Net_MCC), FN(BS_Get_Net_MCC), FN(BS_Set_Net_LAC), FN(BS_Get_Net_LAC),
            FN(BS_Set_Net_MNC), FN(BS_Get_Net_MNC), FN(BS_Set_Net_NCC), FN(BS_Get_Net_NCC),
            FN(BS_Set_Net_BCC), FN(BS_Get_Net_BCC), FN(BS_Set_Net_Parameter),
            // Call control
            FN(BS_Call_End), FN(BS_Call_Connected_State_Query),
            FN(BS_Set_Call_State_Change_Detector), FN(BS_Get_Call_State_Change_Detector),
            FN(BS_Set_Call_State_Change_Detector_Timeout),
            FN(BS_Get_Call_State_Change_Detector_Timeout), FN(BS_Query_Call_State),
            FN(BS_Call_Wait), FN(BS_Call_Handover),
            // Measurement settings
            FN(BS_Set_Measurement_Count_State), FN(BS_Set_Measurement_Count_Number),
            FN(BS_Set_Measurement_Parameter), FN(BS_Set_Measurement_Timeout_State),
            FN(BS_Set_Measurement_Timeout_Number), FN(BS_Set_Measurement_Timeout_Parameter),
            FN(BS_Set_Measurement_Trigger_Arm_State), FN(BS_Set_Measurement_Trigger_Source),
            FN(BS_Set_Measurement_Trigger_Delay), FN(BS_Get_Measurement_Count_State),
            FN(BS_Get_Measurement_Count_Number), FN(BS_Get_Measurement_Parameter),
            FN(BS_Get_Measurement_Timeout_State), FN(BS_Get_Measurement_Timeout_Number),
            FN(BS_Get_Measurement_Timeout_Parameter), FN(BS_Get_Measurement_Trigger_Arm_State),
            FN(BS_Get_Measurement_Trigger_Source), FN(BS_Get_Measurement_Trigger_Delay),
            FN(BS_Set_Measurement_Trigger_Arm_State_For_ALL),
            // Measurement initiation and completion
            FN(BS_Init_Measurement_ON), FN(BS_Init_Measurement_OFF), FN(BS_Init_Measurement_Count),
            FN(BS_Init_Measurement_DONE), FN(BS_Init_Measurement_ON_Query),
            // Combined setup, confidence and burst sync
            FN(BS_SetMeasurementParameter), FN(BS_Set_CONF_STAT), FN(BS_Set_Burst_Sync),
            // Result lists, TX power and PFER
            parse_float_list, FN(BS_FETCH_TXP_Power), FN(BS_FETCH_TXP_Result),
            FN(BS_FETCH_PFER_Result), FN(BS_FETCH_PFER_Average_FERR_Result),
            FN(BS_FETCH_PFER_Average_PEAK_Result), FN(BS_FETCH_PFER_Average_RMS_Result),
            // PVT and ORFS
            FN(BS_SetPVTMeasParam), FN(BS_SetORFSMeasParam), FN(BS_Set_ORFS_Frequency),
            FN(BS_FETCH_PVT_Result), FN(BS_FETCH_ORFS_Result), FN(BS_FETCH_ORFS_Result_Pass),
            // BER and FBER
            FN(BS_SetBERMeasParam), FN(BS_Set_FBER_MeasParam), FN(BS_FETCH_BER_Result),
            FN(BS_FETCH_FBER_Result),
            // Mobile-reported RX level and quality
            FN(BS_FETCH_RX_Quality_Result), FN(BS_FETCH_RX_Quality_New_Result),
            FN(BS_FETCH_RX_Level_Result), FN(BS_FETCH_RX_Level_New_Result),
            // Test mode: channels and RF generator
            FN(BS_TM_Set_Call_BCH_Mode), FN(BS_TM_Get_Call_BCH_Mode),
            FN(BS_TM_Set_Call_TCH_Channel), FN(BS_TM_Get_Call_TCH_Channel),
            FN(BS_TM_Set_RF_Generator_Frequency), FN(BS_TM_Get_RF_Generator_Frequency),
            FN(BS_TM_Set_RF_Receiver_Control_Method), FN(BS_TM_Get_RF_Receiver_Control_Method),
            // Test mode: burst type, dynamic power and CW
            FN(BS_TM_Set_CALL_Burst_Type), FN(BS_TM_Get_CALL_Burst_Type),
            FN(BS_TM_Set_DPower_Count), FN(BS_TM_Get_DPower_Count), FN(BS_TM_FETCH_DPOWER),
            FN(BS_TM_Set_RFGen_Power), FN(BS_TM_Set_Power_CW_State),
            // DC supply
            FN(Power_Set_Voltage), FN(Power_SetVoltage), FN(Power_Turn_On), FN(Power_Turn_Off),
        };
    }();
    return entries;
}

#undef FN

std::string_view kind_text(const ParamInfo &p) {
    switch (p.kind) {
    case ParamKind::session: return "SESSION";
    case ParamKind::session_out: return "";
    case ParamKind::int32: return "INT";
    case ParamKind::int32_out: return "";
    case ParamKind::boolean: return "BOOL";
    case ParamKind::real32: return "REAL";
    case ParamKind::real32_out: return "";
    case ParamKind::real32_in: return "REAL";
    case ParamKind::text_in: return "TEXT";
    case ParamKind::text_out: return "";
    case ParamKind::float_list: return "";
    case ParamKind::record_in: return "";
    case ParamKind::record_inout: return "";
    }
    return "";
}

} // namespace

std::span<const FunctionEntry> call_table() { return table(); }

const FunctionEntry *find_function(std::string_view name) {
    for (const FunctionEntry &e : table()) {
        if (e.name == name) {
            return &e;
        }
    }
    return nullptr;
}

std::vector<std::string_view> nearest_functions(std::string_view name, std::size_t max) {
    std::vector<std::pair<std::size_t, std::string_view>> scored;
    for (const FunctionEntry &e : table()) {
        scored.emplace_back(edit_distance(name, e.name), e.name);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::string_view> out;
    for (const auto &[distance, candidate] : scored) {
        // Far-off names are noise, not suggestions.
        if (out.size() >= max || distance > std::max<std::size_t>(3, name.size() / 3)) {
            break;
        }
        out.push_back(candidate);
    }
    return out;
}

Instrument implicit_instrument(std::string_view name) {
    if (name.starts_with("BS_")) {
        return Instrument::testset;
    }
    if (name.starts_with("Power_")) {
        return Instrument::supply;
    }
    return Instrument::none;
}

std::string usage(const FunctionEntry &entry) {
    std::string out(entry.name);
    bool implicit_left = implicit_instrument(entry.name) != Instrument::none;
    for (const ParamInfo &p : entry.params) {
        if (p.kind == ParamKind::session && implicit_left) {
            implicit_left = false;
            continue;
        }
        if (p.record != nullptr) {
            const RecordInfo &info = p.record();
            if (p.kind == ParamKind::record_inout && std::string_view(info.name).ends_with("Result")) {
                out += " -> " + std::string(info.name);
                continue;
            }
            out += ' ';
            out += info.name;
            out += '{';
            bool first = true;
            for (const FieldInfo &f : info.fields) {
                // Output arrays are not given, and a list's count follows the
                // list (it can still be set, to probe the library's checks).
                const bool list_count = std::any_of(info.fields.begin(), info.fields.end(), [&](const FieldInfo &g) {
                    return (g.kind == FieldKind::text_slots || g.kind == FieldKind::points) &&
                           g.count_offset == f.offset;
                });
                if (f.kind == FieldKind::real32_array || list_count) {
                    continue;
                }
                out += first ? "" : " ";
                out += f.name;
                out += '=';
                first = false;
            }
            out += '}';
            if (p.kind == ParamKind::record_inout) {
                out += " -> " + std::string(info.name);
            }
            continue;
        }
        switch (p.kind) {
        case ParamKind::session_out: out += " -> SESSION"; break;
        case ParamKind::int32_out: out += " -> INT"; break;
        case ParamKind::real32_out: out += " -> REAL"; break;
        case ParamKind::text_out: out += " -> TEXT"; break;
        case ParamKind::float_list: out += " -> REALS"; break;
        default:
            out += ' ';
            out += kind_text(p);
        }
    }
    return out;
}

} // namespace gsmbench::tool
