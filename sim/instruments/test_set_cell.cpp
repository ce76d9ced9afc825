// Cell configuration of the test set: operating mode, bands, channels, cell
// power, the phone's TX levels, connection type, path-loss correction and the
// broadcast cell identity.
#include "command_helpers.h"
#include "test_set.h"

namespace gsmbench::sim::instruments {
namespace {

using model::Band;
using model::ChannelType;

constexpr NumericRule cell_power_spec{Unit::dbm, model::cell_power_min_dbm,
                                      model::cell_power_max_dbm};

std::size_t idx(Band b) {
    return static_cast<std::size_t>(b);
}

// "CALL:<type>:<band> n" and friends: a channel of one channel type in one band.
void set_channel(model::Bench &b, ChannelType type, Band band, int channel, bool immediate) {
    if (type == ChannelType::bch) {
        b.ts.bch_channel[idx(band)] = channel;
    } else {
        b.set_tch_channel(band, channel, immediate);
    }
}

int channel_of(const model::Bench &b, ChannelType type, Band band, bool pending) {
    if (type == ChannelType::bch)
        return b.ts.bch_channel[idx(band)];
    return (pending ? b.ts.tch_pending : b.ts.tch).channel[idx(band)];
}

Band selected_band(const model::Bench &b, ChannelType type, bool pending) {
    if (type == ChannelType::bch)
        return b.ts.cell_band;
    return pending ? b.ts.tch_pending.band : b.ts.tch.band;
}

// The band a type's channel sits in: the cell band for BCH, the traffic band for TCH.
void set_band(model::Bench &b, ChannelType type, Band band, bool immediate) {
    if (type == ChannelType::bch) {
        b.ts.cell_band = band;
    } else {
        b.set_tch_band(band, immediate);
    }
}

// Rows for one channel type, with literal TCH/BCH nodes so that the other
// CALL:TCH... rows (WAIT, MS:TXL) sit beside them.
void add_channel_type_rows(std::vector<Command> &rows, const BenchPtr &bench, ChannelType type) {
    model::Bench *b = bench.get();
    const std::string node = type == ChannelType::tch ? "CALL:TCHannel" : "CALL:BCHannel";
    const std::string setup =
        type == ChannelType::tch ? "CALL:SETup:TCHannel" : "CALL:SETup:BCHannel";

    // Channel number in the type's selected band: CALL:TCH?, CALL:SET:TCH n.
    for (const bool pending : {false, true}) {
        rows.push_back({(pending ? setup : node) + "[:ARFCn]",
                        [b, type, pending](Request &req) {
                            auto a = b->access();
                            const Band band = selected_band(*b, type, pending);
                            const auto ch = channel_param(req, 0, band);
                            if (ch)
                                set_channel(*b, type, band, *ch, !pending);
                        },
                        [b, type, pending](Request &, Response &r) {
                            auto a = b->access();
                            r.integer(
                                channel_of(*b, type, selected_band(*b, type, pending), pending));
                        }});
        // Channel number in a named band (SEL: the selected band).
        rows.push_back({(pending ? setup : node) + ":{band}",
                        [b, type, pending](Request &req) {
                            auto a = b->access();
                            const auto band =
                                captured_band(req, "band", selected_band(*b, type, pending));
                            if (!band)
                                return;
                            const auto ch = channel_param(req, 0, *band);
                            if (ch)
                                set_channel(*b, type, *band, *ch, !pending);
                        },
                        [b, type, pending](Request &req, Response &r) {
                            auto a = b->access();
                            const auto band =
                                captured_band(req, "band", selected_band(*b, type, pending));
                            if (band)
                                r.integer(channel_of(*b, type, *band, pending));
                        }});
        // The type's band: CALL:TCH:BAND DCS, CALL:SET:TCH:BAND DCS, CALL:TCH:BAND?.
        rows.push_back({(pending ? setup : node) + ":BAND",
                        [b, type, pending](Request &req) {
                            const auto band = band_param(req, 0);
                            if (!band)
                                return;
                            auto a = b->access();
                            set_band(*b, type, *band, !pending);
                        },
                        [b, type, pending](Request &, Response &r) {
                            auto a = b->access();
                            r.keyword(model::band_name(selected_band(*b, type, pending)));
                        }});
    }
    // The phone's TX level on this type in one band, applied at once:
    // CALL:TCH:MS:TXL:PGSM:BURS 7.
    rows.push_back({node + ":MS:TXLevel:{band}:BURSt",
                    [b, type](Request &req) {
                        const auto level = req.integer(0, 0, model::max_pcl);
                        if (!level)
                            return;
                        auto a = b->access();
                        const auto band =
                            captured_band(req, "band", selected_band(*b, type, false));
                        if (!band)
                            return;
                        if (type == ChannelType::bch) {
                            b->ts.bch_txl[idx(*band)] = static_cast<int>(*level);
                        } else {
                            b->set_tch_txl(*band, static_cast<int>(*level), true);
                        }
                    },
                    [b, type](Request &req, Response &r) {
                        auto a = b->access();
                        const auto band =
                            captured_band(req, "band", selected_band(*b, type, false));
                        if (!band)
                            return;
                        r.integer(type == ChannelType::bch ? b->ts.bch_txl[idx(*band)]
                                                           : b->ts.tch.txl[idx(*band)]);
                    }});
}

} // namespace

void add_cell_commands(std::vector<Command> &rows, const BenchPtr &bench) {
    model::Bench *b = bench.get();

    rows.push_back({"CALL:OPERating:MODE",
                    [b](Request &req) {
                        std::vector<std::string_view> names(model::operating_modes.names.begin(),
                                                            model::operating_modes.names.end());
                        const auto i = req.choice(0, names);
                        if (!i)
                            return;
                        auto a = b->access();
                        b->ts.mode = static_cast<model::OperatingMode>(*i);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.keyword(model::operating_modes.name(b->ts.mode));
                    }});

    // The cell band, which is the broadcast channel's band.
    auto set_cell_band = [b](Request &req) {
        const auto band = band_param(req, 0);
        if (!band)
            return;
        auto a = b->access();
        b->ts.cell_band = *band;
    };
    auto query_cell_band = [b](Request &, Response &r) {
        auto a = b->access();
        r.keyword(model::band_name(b->ts.cell_band));
    };
    rows.push_back({"CALL[:CELL]:BAND", set_cell_band, query_cell_band});
    // CALL:BAND:BCH PGSM, CALL:BAND:TCH DCS: the band of a channel type.
    rows.push_back({"CALL:BAND:{type}",
                    [b](Request &req) {
                        const auto type = captured_channel_type(req, "type");
                        if (!type)
                            return;
                        const auto band = band_param(req, 0);
                        if (!band)
                            return;
                        auto a = b->access();
                        set_band(*b, *type, *band, true);
                    },
                    [b](Request &req, Response &r) {
                        const auto type = captured_channel_type(req, "type");
                        if (!type)
                            return;
                        auto a = b->access();
                        r.keyword(model::band_name(selected_band(*b, *type, false)));
                    }});

    add_channel_type_rows(rows, bench, ChannelType::tch);
    add_channel_type_rows(rows, bench, ChannelType::bch);

    // CALL:CHAN:TCH:PGSM 20: a channel by type and band, applied at once.
    rows.push_back({"CALL:CHANnel:{type}:{band}",
                    [b](Request &req) {
                        const auto type = captured_channel_type(req, "type");
                        if (!type)
                            return;
                        auto a = b->access();
                        const auto band =
                            captured_band(req, "band", selected_band(*b, *type, false));
                        if (!band)
                            return;
                        const auto ch = channel_param(req, 0, *band);
                        if (ch)
                            set_channel(*b, *type, *band, *ch, true);
                    },
                    [b](Request &req, Response &r) {
                        const auto type = captured_channel_type(req, "type");
                        if (!type)
                            return;
                        auto a = b->access();
                        const auto band =
                            captured_band(req, "band", selected_band(*b, *type, false));
                        if (band)
                            r.integer(channel_of(*b, *type, *band, false));
                    }});

    // Cell power: CALL:POW -85.3, CALL:POW:AMPL:SEL -85.3, CALL:POW:SEL?.
    rows.push_back({"CALL:POWer[:AMPLitude][:SELected]",
                    [b](Request &req) {
                        const auto level = req.number(0, cell_power_spec);
                        if (!level)
                            return;
                        auto a = b->access();
                        b->ts.cell_power_dbm = *level;
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.real(b->ts.cell_power_dbm);
                    }});

    // The phone's TX level on the traffic channel.
    rows.push_back({"CALL:MS:TXLevel",
                    [b](Request &req) {
                        const auto level = req.integer(0, 0, model::max_pcl);
                        if (!level)
                            return;
                        auto a = b->access();
                        b->set_tch_txl(b->ts.tch.band, static_cast<int>(*level), true);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(b->ts.tch.txl[idx(b->ts.tch.band)]);
                    }});
    rows.push_back({"CALL:MS:TXLevel:{band}",
                    [b](Request &req) {
                        const auto level = req.integer(0, 0, model::max_pcl);
                        if (!level)
                            return;
                        auto a = b->access();
                        const auto band = captured_band(req, "band", b->ts.tch.band);
                        if (band)
                            b->set_tch_txl(*band, static_cast<int>(*level), true);
                    },
                    [b](Request &req, Response &r) {
                        auto a = b->access();
                        const auto band = captured_band(req, "band", b->ts.tch.band);
                        if (band)
                            r.integer(b->ts.tch.txl[idx(*band)]);
                    }});
    rows.push_back({"CALL:SETup:TCHannel:MS:TXLevel",
                    [b](Request &req) {
                        const auto level = req.integer(0, 0, model::max_pcl);
                        if (!level)
                            return;
                        auto a = b->access();
                        b->set_tch_txl(b->ts.tch_pending.band, static_cast<int>(*level), false);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(b->ts.tch_pending.txl[idx(b->ts.tch_pending.band)]);
                    }});
    // CALL:SET:MS:TCH:TXL:PGSM 5: the setup value per channel type and band.
    rows.push_back({"CALL:SETup:MS:{type}:TXLevel:{band}",
                    [b](Request &req) {
                        const auto type = captured_channel_type(req, "type");
                        if (!type)
                            return;
                        const auto level = req.integer(0, 0, model::max_pcl);
                        if (!level)
                            return;
                        auto a = b->access();
                        const auto band =
                            captured_band(req, "band", selected_band(*b, *type, true));
                        if (!band)
                            return;
                        if (*type == ChannelType::bch) {
                            b->ts.bch_txl[idx(*band)] = static_cast<int>(*level);
                        } else {
                            b->set_tch_txl(*band, static_cast<int>(*level), false);
                        }
                    },
                    [b](Request &req, Response &r) {
                        const auto type = captured_channel_type(req, "type");
                        if (!type)
                            return;
                        auto a = b->access();
                        const auto band =
                            captured_band(req, "band", selected_band(*b, *type, true));
                        if (!band)
                            return;
                        r.integer(*type == ChannelType::bch ? b->ts.bch_txl[idx(*band)]
                                                            : b->ts.tch_pending.txl[idx(*band)]);
                    }});

    rows.push_back({"CALL:FUNCtion:CONNection:TYPE",
                    [b](Request &req) {
                        std::vector<std::string_view> names(model::connection_types.names.begin(),
                                                            model::connection_types.names.end());
                        const auto i = req.choice(0, names);
                        if (!i)
                            return;
                        auto a = b->access();
                        b->ts.connection = static_cast<model::ConnectionType>(*i);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.keyword(model::connection_types.name(b->ts.connection));
                    }});

    // Path-loss correction: the frequency list and the gain list, paired by
    // position. An empty list clears it.
    rows.push_back({"SYSTem:CORRection:FREQuency",
                    [b](Request &req) {
                        req.accept_remaining();
                        auto list = number_list(req, NumericRule{Unit::hertz, 0.0, 100e9});
                        if (!list)
                            return;
                        auto a = b->access();
                        if (!b->ts.correction.set_frequencies(std::move(*list))) {
                            req.error(err::too_much_data);
                        }
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        for (double f : b->ts.correction.frequencies())
                            r.real(f);
                    }});
    rows.push_back({"SYSTem:CORRection:SGAin",
                    [b](Request &req) {
                        req.accept_remaining();
                        auto list = number_list(req, NumericRule{Unit::db, -100.0, 100.0});
                        if (!list)
                            return;
                        auto a = b->access();
                        if (!b->ts.correction.set_gains(std::move(*list))) {
                            req.error(err::too_much_data);
                        }
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        for (double g : b->ts.correction.gains())
                            r.real(g);
                    }});

    // Cell identity. The compound CALL:CELL:MCC 460;LAC 1;... reaches these rows
    // through relative headers.
    struct IdentityRow {
        const char *pattern;
        int model::CellIdentity::*field;
        long long max;
    };
    static constexpr IdentityRow identity_rows[] = {
        {"CALL:CELL:MCCode[:SELected]", &model::CellIdentity::mcc, 999},
        {"CALL:CELL:LACode[:SELected]", &model::CellIdentity::lac, 65535},
        {"CALL:CELL:MNCode[:SELected]", &model::CellIdentity::mnc, 999},
        {"CALL:CELL:NCCode[:SELected]", &model::CellIdentity::ncc, 7},
        {"CALL:CELL:BCCode[:SELected]", &model::CellIdentity::bcc, 7},
    };
    for (const IdentityRow &row : identity_rows) {
        const auto field = row.field;
        const long long max = row.max;
        rows.push_back({row.pattern,
                        [b, field, max](Request &req) {
                            const auto v = req.integer(0, 0, max);
                            if (!v)
                                return;
                            auto a = b->access();
                            b->ts.identity.*field = static_cast<int>(*v);
                        },
                        [b, field](Request &, Response &r) {
                            auto a = b->access();
                            r.integer(b->ts.identity.*field);
                        }});
    }

    rows.push_back({"SYSTem:COMMunicate:GPIB:DEBug[:STATe]",
                    [b](Request &req) {
                        const auto on = req.boolean(0);
                        if (!on)
                            return;
                        auto a = b->access();
                        b->ts.gpib_debug = *on;
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.boolean(b->ts.gpib_debug);
                    }});
}

} // namespace gsmbench::sim::instruments
