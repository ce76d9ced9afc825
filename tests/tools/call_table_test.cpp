// The call table against the public header and the built library: every
// declared function has exactly one row, its address is the library's export
// of that name, and the row's argument kinds are those the header declares.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#include "call_table.h"
#include "record_fields.h"

namespace gsmbench::tool {
namespace {

struct Declaration {
    std::string returns;
    std::vector<std::string> params; // types, spaces normalised, names dropped
};

std::string normalise(std::string type) {
    type = std::regex_replace(type, std::regex(R"(\s*\*\s*)"), " *");
    type = std::regex_replace(type, std::regex(R"(\s+)"), " ");
    while (!type.empty() && type.front() == ' ') {
        type.erase(0, 1);
    }
    while (!type.empty() && type.back() == ' ') {
        type.pop_back();
    }
    return type;
}

// Parses the exported declarations: "GSMBENCH_API <ret> GSMBENCH_CALL name(args);".
std::map<std::string, Declaration> header_declarations() {
    std::ifstream in(GSMBENCH_HEADER_PATH);
    std::stringstream text;
    text << in.rdbuf();
    const std::string src = text.str();
    std::map<std::string, Declaration> out;
    const std::regex decl(R"(GSMBENCH_API\s+(\w+)\s+GSMBENCH_CALL\s+(\w+)\s*\(([^)]*)\))");
    for (auto it = std::sregex_iterator(src.begin(), src.end(), decl); it != std::sregex_iterator(); ++it) {
        Declaration d;
        d.returns = (*it)[1];
        const std::string args = (*it)[3];
        if (normalise(args) != "void") {
            std::stringstream list(args);
            std::string arg;
            while (std::getline(list, arg, ',')) {
                // Drop the parameter name: the last identifier.
                arg = std::regex_replace(arg, std::regex(R"(\s*\b\w+\s*$)"), "");
                d.params.push_back(normalise(arg));
            }
        }
        out[(*it)[2]] = d;
    }
    return out;
}

std::string expected_type(const ParamInfo &p) {
    const std::string record = p.record ? std::string(p.record().name) : "";
    switch (p.kind) {
    case ParamKind::session: return "ViSession";
    case ParamKind::session_out: return "ViSession *";
    case ParamKind::int32: return "ViInt32";
    case ParamKind::int32_out: return "ViInt32 *";
    case ParamKind::boolean: return "ViBoolean";
    case ParamKind::real32: return "ViReal32";
    case ParamKind::real32_out: return "ViReal32 *";
    case ParamKind::real32_in: return "const ViReal32 *";
    case ParamKind::text_in: return "const ViChar *";
    case ParamKind::text_out: return "ViChar *";
    case ParamKind::float_list: return "ViReal32 *";
    case ParamKind::record_in: return "const " + record + " *";
    case ParamKind::record_inout: return record + " *";
    }
    return "?";
}

TEST(CallTable, HasExactlyTheHeadersFunctions) {
    const auto declared = header_declarations();
    ASSERT_EQ(declared.size(), 133U) << "the header parse found a different number of functions";
    std::map<std::string, int> rows;
    for (const FunctionEntry &e : call_table()) {
        ++rows[std::string(e.name)];
    }
    for (const auto &[name, decl] : declared) {
        EXPECT_EQ(rows[name], 1) << name << " must have exactly one row";
    }
    for (const auto &[name, count] : rows) {
        EXPECT_TRUE(declared.count(name)) << name << " is in the table but not in the header";
    }
    EXPECT_EQ(call_table().size(), declared.size());
}

TEST(CallTable, RowsMatchTheDeclaredSignatures) {
    const auto declared = header_declarations();
    for (const FunctionEntry &e : call_table()) {
        const auto it = declared.find(std::string(e.name));
        ASSERT_NE(it, declared.end()) << e.name;
        const Declaration &d = it->second;
        const char *want_return = e.returns == ReturnKind::none   ? "void"
                                  : e.returns == ReturnKind::flag ? "ViInt32"
                                                                  : "ViStatus";
        EXPECT_EQ(d.returns, want_return) << e.name;
        ASSERT_EQ(d.params.size(), e.params.size()) << e.name;
        for (std::size_t i = 0; i < d.params.size(); ++i) {
            EXPECT_EQ(d.params[i], expected_type(e.params[i])) << e.name << " parameter " << i + 1;
        }
    }
}

#if !defined(_WIN32)
TEST(CallTable, EveryRowCallsTheLibrarysExport) {
    void *lib = dlopen(GSMBENCH_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (lib == nullptr) {
        lib = dlopen(GSMBENCH_LIBRARY_PATH, RTLD_NOW);
    }
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const FunctionEntry &e : call_table()) {
        void *exported = dlsym(lib, std::string(e.name).c_str());
        EXPECT_NE(exported, nullptr) << e.name << " is not exported by the library";
        EXPECT_EQ(exported, e.address) << e.name << " row does not call the library's export";
    }
    dlclose(lib);
}
#endif

TEST(CallTable, UnknownNamesSuggestTheNearest) {
    struct Case {
        const char *typed;
        const char *first;
    } cases[] = {
        {"BS_Set_Cal_Pow", "BS_Set_Call_Pow"},
        {"bs_get_call_pow", "BS_Get_Call_Pow"},
        {"BS_FETCH_TXP_Resul", "BS_FETCH_TXP_Result"},
        {"Power_TurnOn", "Power_Turn_On"},
        {"OpenGPlB", "OpenGPIB"},
    };
    for (const Case &c : cases) {
        const auto near = nearest_functions(c.typed);
        ASSERT_FALSE(near.empty()) << c.typed;
        EXPECT_EQ(near.front(), c.first) << c.typed;
    }
    EXPECT_TRUE(nearest_functions("completely_unrelated_words_here").empty());
}

TEST(CallTable, BadWordsAreRefusedBeforeAnythingIsCalled) {
    struct Case {
        const char *function;
        std::vector<std::string> words;
        const char *message;
    } cases[] = {
        {"BS_Set_Call_Pow", {"loud"}, "'loud' is not a number"},
        {"BS_Set_Call_Pow", {}, "missing argument 1"},
        {"BS_Set_Call_Pow", {"-60", "extra"}, "unexpected argument 'extra'"},
        {"BS_Set_TCH_Channel", {"4294967296"}, "not a 32-bit integer"},
        {"BS_Set_Call_Ms_TXL", {"band=XYZ", "value=5"}, "expected a 32-bit integer or one of PGSM"},
        {"BS_Set_Call_Ms_TXL", {"bnad=1"}, "unexpected argument 'bnad=1'"},
        {"BS_Set_Channel_For_Band", {"band=" + std::string(40, 'X')}, "longer than 31 characters"},
        {"BS_Set_ORFS_Frequency", {"switching=1,2,3,4,5,6,7,8,9"}, "at most 8 entries"},
        {"BS_Set_Syst_Corr_Freq_And_Offset", {"points=900MHZ"}, "not FREQUENCY/GAIN"},
        {"OpenGPIB", {"rm", "@testset", "70000"}, "not a 16-bit boolean"},
        {"ParseFloatList", {"1,2", "5000"}, "capacity must be 0..4096"},
    };
    for (const Case &c : cases) {
        const FunctionEntry *e = find_function(c.function);
        ASSERT_NE(e, nullptr) << c.function;
        CallEnvironment env; // no sessions: a call that got through would fail loudly
        CallResult result;
        const std::string problem = e->invoke(implicit_instrument(e->name), c.words, env, result);
        EXPECT_NE(problem.find(c.message), std::string::npos) << c.function << ": got '" << problem << "'";
        EXPECT_TRUE(result.outputs.empty()) << c.function;
    }
}

// ParseFloatList and Test_8960 need no instrument, so they show the whole
// road from words to the library and back to printed outputs.
TEST(CallTable, PureFunctionsRunThroughTheTable) {
    CallEnvironment env;
    CallResult result;
    const FunctionEntry *parse = find_function("ParseFloatList");
    ASSERT_NE(parse, nullptr);
    EXPECT_EQ(parse->invoke(Instrument::none, std::vector<std::string>{"+1.5E+001;-2,, 7 x", "5"}, env, result), "");
    EXPECT_EQ(result.value, 1);
    ASSERT_EQ(result.outputs.size(), 1U);
    EXPECT_EQ(result.outputs[0], "floats: 15,-2,7,0,0");

    CallResult none;
    const FunctionEntry *probe = find_function("Test_8960");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->returns, ReturnKind::none);
    EXPECT_EQ(probe->invoke(Instrument::none, {}, env, none), "");
}

TEST(RecordFields, FieldWordsFillRecords) {
    OrfsFrequencies orfs{};
    const RecordInfo &info = record_info<OrfsFrequencies>();
    EXPECT_EQ(set_field(info, &orfs, "switching", "400KHZ,600KHZ"), "");
    EXPECT_EQ(orfs.switchingCount, 2);
    EXPECT_STREQ(orfs.switching[1], "600KHZ");
    // A count given after the list wins: that is how the library's count
    // checks are probed.
    EXPECT_EQ(set_field(info, &orfs, "switchingCount", "9"), "");
    EXPECT_EQ(orfs.switchingCount, 9);
    EXPECT_NE(format_record(info, &orfs).find("switching=\"400KHZ,600KHZ,,,,,,\""), std::string::npos);

    CorrectionTable table{};
    EXPECT_EQ(set_field(record_info<CorrectionTable>(), &table, "points", "900MHZ/-1.5,1800MHZ/-2"), "");
    EXPECT_EQ(table.count, 2);
    EXPECT_STREQ(table.point[1].frequency, "1800MHZ");
    EXPECT_FLOAT_EQ(table.point[1].gain, -2.0F);

    MeasurementSetup setup{};
    const RecordInfo &setup_info = record_info<MeasurementSetup>();
    EXPECT_EQ(set_field(setup_info, &setup, "MEASUREMENT", "pvt"), "");
    EXPECT_EQ(setup.measurement, GSMB_MEAS_PVT);
    EXPECT_EQ(set_field(setup_info, &setup, "timeout", "2.5"), "");
    EXPECT_FLOAT_EQ(setup.timeout, 2.5F);
    EXPECT_EQ(set_field(setup_info, &setup, "count", "0x10"), "");
    EXPECT_EQ(setup.count, 16);
}

} // namespace
} // namespace gsmbench::tool
