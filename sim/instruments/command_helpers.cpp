#include "command_helpers.h"

#include <array>
#include <cmath>
#include <utility>

namespace gsmbench::sim::instruments {

using model::Band;

const std::vector<std::string_view> &band_choices() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> v;
        for (int i = 0; i < model::band_count; ++i)
            v.push_back(model::band_name(static_cast<Band>(i)));
        return v;
    }();
    return names;
}

std::optional<Band> captured_band(Request &req, std::string_view capture, Band selected) {
    const std::string_view text = req.capture(capture);
    if (text == "SEL" || text == "SELECTED")
        return selected;
    if (const auto b = model::band_from_name(text))
        return b;
    req.undefined_header();
    return std::nullopt;
}

std::optional<model::Meas> captured_meas(Request &req, std::string_view capture) {
    const std::string_view text = req.capture(capture);
    if (const auto m = model::measurements.find(text))
        return m;
    // Long forms of the measurement nodes.
    static constexpr std::array<std::pair<std::string_view, model::Meas>, 9> long_forms{{
        {"BERROR", model::Meas::berr},
        {"FBERROR", model::Meas::fber},
        {"TXPOWER", model::Meas::txp},
        {"PFERROR", model::Meas::pfer},
        {"PVTIME", model::Meas::pvt},
        {"ORFSPECTRUM", model::Meas::orfs},
        {"DPOWER", model::Meas::dpow},
        {"ETXPOWER", model::Meas::etxp},
        {"BLERROR", model::Meas::bler},
    }};
    for (const auto &[name, m] : long_forms) {
        if (name == text)
            return m;
    }
    req.undefined_header();
    return std::nullopt;
}

std::optional<model::ChannelType> captured_channel_type(Request &req, std::string_view capture) {
    const std::string_view text = req.capture(capture);
    if (text == "TCH" || text == "TCHANNEL")
        return model::ChannelType::tch;
    if (text == "BCH" || text == "BCHANNEL")
        return model::ChannelType::bch;
    req.undefined_header();
    return std::nullopt;
}

std::optional<Band> band_param(Request &req, std::size_t index) {
    const auto i = req.choice(index, band_choices());
    if (!i)
        return std::nullopt;
    return static_cast<Band>(*i);
}

std::optional<int> channel_param(Request &req, std::size_t index, Band band) {
    const auto n = req.integer(index);
    if (!n)
        return std::nullopt;
    if (!model::channel_valid(band, static_cast<int>(*n))) {
        req.data_out_of_range();
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

void setting_number(Response &r, double value) {
    if (std::isfinite(value) && std::abs(value) < 1e9 && value == std::floor(value)) {
        r.integer(static_cast<long long>(value));
    } else {
        r.real(value);
    }
}

void result(Response &r, const model::MeasResult &res) {
    r.integer(static_cast<int>(res.integrity));
    for (double v : res.values)
        r.real(v);
}

std::optional<std::vector<double>> number_list(Request &req, const NumericRule &rule) {
    std::vector<double> values;
    for (std::size_t i = 0; i < req.param_count(); ++i) {
        const auto v = req.number(i, rule);
        if (!v)
            return std::nullopt;
        values.push_back(*v);
    }
    return values;
}

} // namespace gsmbench::sim::instruments
