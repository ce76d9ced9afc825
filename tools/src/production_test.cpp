#include "production_test.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "visa_trace.h" // visa.h before the library header: it defines the VISA values first

#include "gsmbench.h"
#include "text_util.h"

namespace gsmbench::tool {
namespace {

using Clock = std::chrono::steady_clock;

// A library call that did not return VI_SUCCESS (or a session function that
// returned 0): the run stops here.
struct CallFailed {
    std::string call;
    ViStatus status;
    std::string detail;
};

// The phone dropped the call: a failure of the phone, not of the bench.
struct CallLost {};

constexpr const char *kCallStates[] = {"IDLE", "SREQ", "ALER", "CONN", "DISC", "HAND", "PAG", "?"};

const char *state_name(ViInt32 state) {
    return state >= 0 && state < 8 ? kCallStates[state] : "?";
}

std::string pcl_text(int pcl) { return "PCL " + std::to_string(pcl); }

struct Pending {
    ViInt32 init_code; // row of the initiate table
    const char *name;
};

class Runner {
  public:
    Runner(const Plan &plan, const RunTarget &target, Progress &progress)
        : plan_(plan), target_(target), progress_(progress) {}

    RunReport run() {
        const auto start = Clock::now();
        const VisaCounts before = visa_counts();
        report_.summary.plan_name = plan_.name;
        report_.summary.testset_resource = target_.testset;
        report_.summary.supply_resource = target_.supply;
        try {
            sequence();
        } catch (const CallFailed &failed) {
            report_.summary.error = true;
            report_.summary.failed_call = failed.call;
            report_.summary.status = failed.status;
            report_.summary.status_text = visa_status_text(rm_, failed.status);
            report_.summary.error_detail = failed.detail;
            progress_.step("error in " + failed.call + ": cleaning up");
            cleanup();
        }
        const VisaCounts after = visa_counts();
        report_.summary.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        report_.summary.calls = calls_;
        report_.summary.lines_written = after.writes - before.writes;
        report_.summary.replies_read = after.reads - before.reads;
        report_.summary.passed = !report_.summary.error && report_.failed_rows() == 0;
        return std::move(report_);
    }

  private:
    // Every status passes through here: one exchange counted, any failure
    // ends the run with the call's name.
    void check(const char *call, ViStatus status) {
        ++calls_;
        if (status != VI_SUCCESS) {
            throw CallFailed{call, status, doing_};
        }
    }

    void sequence() {
        open_sessions();
        configure_cell();
        setup_measurements();

        // The test set takes written lines in its own time, and the supply is
        // another connection: a line on one can overtake the lines before it
        // on the other. Ask the test set something first; its answer comes
        // after every line before it has been taken, so the phone gets power
        // only once the cell is configured. Otherwise it could camp on the
        // reset cell and set a call up on the reset traffic channel.
        doing_ = "making sure the test set has taken the cell configuration";
        ViInt32 state_before_power = GSMB_CALL_UNRECOGNISED;
        check("BS_Query_Call_State", BS_Query_Call_State(testset_, &state_before_power));

        progress_.step("supply " + format_fixed(plan_.supply_voltage_v, 2) + " V, output on");
        check("Power_SetVoltage", Power_SetVoltage(supply_, static_cast<ViReal32>(plan_.supply_voltage_v)));
        check("Power_Turn_On", Power_Turn_On(supply_));
        supply_on_ = true;

        if (wait_for_call()) {
            try {
                for (const BandPlan &band : plan_.bands) {
                    for (const int channel : band.channels) {
                        move_call(band, channel);
                        for (const TxLevel &level : band.tx_levels) {
                            measure_tx(band, channel, level);
                        }
                        measure_rx(band, channel);
                    }
                }
                end_call();
            } catch (const CallLost &) {
                // The phone dropped the call (its FAIL row is in): nothing
                // further can be measured, but the bench is still ours.
                in_call_ = false;
            }
        }

        progress_.step("supply output off");
        check("Power_Turn_Off", Power_Turn_Off(supply_));
        supply_on_ = false;
        check_error_queue();
        close_sessions();
    }

    void open_sessions() {
        progress_.step("open sessions (reset)");
        doing_ = "opening the VISA resource manager";
        ++calls_;
        if (CreateGPIBDefaultRM(&rm_) != 1) {
            throw CallFailed{"CreateGPIBDefaultRM", probe_open_status(""), doing_};
        }
        doing_ = "opening the test set " + target_.testset;
        ++calls_;
        if (OpenGPIB(rm_, &testset_, target_.testset.c_str(), 1) != 1) {
            throw CallFailed{"OpenGPIB", probe_open_status(target_.testset), doing_};
        }
        doing_ = "opening the supply " + target_.supply;
        ++calls_;
        if (OpenInstrument(rm_, &supply_, target_.supply.c_str(), 1) != 1) {
            throw CallFailed{"OpenInstrument", probe_open_status(target_.supply), doing_};
        }
        // The call-state detector and the fetches wait inside one read: the
        // session's time-out must outlast the longest of those waits. This is
        // the caller's VISA setting, not a line to the instrument.
        const double longest = std::max(plan_.measurement_timeout_s, kDetectorTimeoutS) + 5.0;
        viSetAttribute(testset_, VI_ATTR_TMO_VALUE, static_cast<ViAttrState>(longest * 1000));
        doing_ = "reading the test set's identity";
        ViChar identity[256] = {};
        check("BS_Get_Testset_Info", BS_Get_Testset_Info(testset_, identity));
        std::string id(identity, strnlen(identity, sizeof identity));
        while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) {
            id.pop_back();
        }
        report_.summary.testset_identity = id;
    }

    // The session functions report only 1 or 0; ask VISA once more, directly,
    // so the error names VISA's own status for the failed open.
    ViStatus probe_open_status(const std::string &resource) {
        if (resource.empty() || rm_ == 0) {
            ViSession temp = 0;
            const ViStatus s = viOpenDefaultRM(&temp);
            if (s == VI_SUCCESS) {
                viClose(temp);
            }
            return s == VI_SUCCESS ? static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR) : s;
        }
        ViSession probe = 0;
        const ViStatus s = viOpen(rm_, resource.c_str(), VI_NO_LOCK, 0, &probe);
        if (s >= VI_SUCCESS) {
            viClose(probe);
            // Opened this time: the open itself worked and the reset line failed.
            return static_cast<ViStatus>(VI_ERROR_IO);
        }
        return s;
    }

    void configure_cell() {
        const BandPlan &first = plan_.bands.front();
        progress_.step("configure cell: " + first.name + " BCH " + std::to_string(first.bch_channel) +
                       ", " + format_fixed(plan_.cell_power_dbm, 1) + " dBm");
        doing_ = "configuring the cell";
        check("BS_Set_Call_Operating_Mode", BS_Set_Call_Operating_Mode(testset_, GSMB_MODE_CALL));
        check("BS_Set_Call_Band_Mode", BS_Set_Call_Band_Mode(testset_, first.code));
        check("BS_Set_TCH_Band_Mode", BS_Set_TCH_Band_Mode(testset_, first.code));
        ChannelBandCode bch{first.code, GSMB_CHANNEL_BCH, first.bch_channel};
        check("BS_Set_ChannelForBand", BS_Set_ChannelForBand(testset_, &bch));
        ChannelBandCode tch{first.code, GSMB_CHANNEL_TCH, first.channels.front()};
        check("BS_Set_ChannelForBand", BS_Set_ChannelForBand(testset_, &tch));
        current_band_ = first.code;
        current_channel_ = first.channels.front();
        check("BS_Set_Call_Pow", BS_Set_Call_Pow(testset_, static_cast<ViReal32>(plan_.cell_power_dbm)));
        BandValue txl{first.code, first.tx_levels.front().pcl};
        check("BS_Set_Call_Ms_TXL", BS_Set_Call_Ms_TXL(testset_, &txl));
        CellIdentity identity{plan_.mcc, plan_.lac, plan_.mnc, plan_.ncc, plan_.bcc};
        check("BS_Set_Net_Parameter", BS_Set_Net_Parameter(testset_, &identity));
        CorrectionTable loss{};
        for (std::size_t i = 0; i < plan_.path_loss.size(); ++i) {
            std::memcpy(loss.point[i].frequency, plan_.path_loss[i].frequency.c_str(),
                        plan_.path_loss[i].frequency.size());
            loss.point[i].gain = static_cast<ViReal32>(plan_.path_loss[i].gain_db);
        }
        loss.count = static_cast<ViInt32>(plan_.path_loss.size());
        check("BS_Set_Syst_Corr_Freq_And_Offset", BS_Set_Syst_Corr_Freq_And_Offset(testset_, &loss));
    }

    MeasurementSetup general_setup(ViInt32 measurement, int count) const {
        MeasurementSetup s{};
        s.measurement = measurement;
        s.countState = count > 1 ? 1 : 0; // single burst unless averaging is asked for
        s.count = count;
        s.timeoutState = 1;
        s.timeout = static_cast<ViReal32>(plan_.measurement_timeout_s);
        s.timeoutUnit = GSMB_UNIT_S;
        s.armState = 0; // single measurement per INITiate, not continuous
        s.triggerSource = GSMB_TRIG_AUTO;
        s.triggerDelay = 0;
        s.delayUnit = GSMB_UNIT_S;
        s.triggerQualifier = 0;
        return s;
    }

    void setup_measurements() {
        progress_.step("set up measurements: TXP PFER PVT ORFS BER");
        doing_ = "setting up the measurements";
        const MeasurementSetup txp = general_setup(GSMB_MEAS_TXP, plan_.measurement_count);
        check("BS_SetMeasurementParameter", BS_SetMeasurementParameter(testset_, &txp));
        const MeasurementSetup pfer = general_setup(GSMB_MEAS_PFER, plan_.measurement_count);
        check("BS_SetMeasurementParameter", BS_SetMeasurementParameter(testset_, &pfer));
        const MeasurementSetup pvt = general_setup(GSMB_MEAS_PVT, plan_.measurement_count);
        check("BS_SetPVTMeasParam", BS_SetPVTMeasParam(testset_, &pvt));
        const MeasurementSetup orfs = general_setup(GSMB_MEAS_ORFS, plan_.measurement_count);
        OrfsFrequencies offsets{};
        for (std::size_t i = 0; i < plan_.orfs_switching.size(); ++i) {
            std::memcpy(offsets.switching[i], plan_.orfs_switching[i].offset.c_str(),
                        plan_.orfs_switching[i].offset.size());
        }
        for (std::size_t i = 0; i < plan_.orfs_modulation.size(); ++i) {
            std::memcpy(offsets.modulation[i], plan_.orfs_modulation[i].offset.c_str(),
                        plan_.orfs_modulation[i].offset.size());
        }
        offsets.switchingCount = static_cast<ViInt32>(plan_.orfs_switching.size());
        offsets.modulationCount = static_cast<ViInt32>(plan_.orfs_modulation.size());
        check("BS_SetORFSMeasParam", BS_SetORFSMeasParam(testset_, &orfs, &offsets));
        const MeasurementSetup ber = general_setup(GSMB_MEAS_BERR, plan_.ber_bits);
        BerSetup ber_setup{};
        ber_setup.clsDelayTime = 0;
        ber_setup.clsDelayUnit = GSMB_UNIT_S;
        ber_setup.slControl = 1;
        ber_setup.berType = GSMB_BER_TYPEII; // class II bits: the sensitivity figure
        ber_setup.manualDelay = 0;
        check("BS_SetBERMeasParam", BS_SetBERMeasParam(testset_, &ber, &ber_setup));
    }

    // Polls the call state, sleeping between polls in the test set's own
    // state-change detector, until `want` or the deadline. Returns the last
    // state seen.
    //
    // The detector wakes on a change between connected and not connected, so
    // it serves registration and call end; a handover or channel assignment
    // stays connected throughout (HAND counts as connected) and is polled.
    enum class Wake : unsigned char { detector, poll };
    ViInt32 wait_state(ViInt32 want, double timeout_s, const std::string &what, Wake wake = Wake::detector) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(timeout_s);
        if (wake == Wake::detector) {
            ViReal32 detector = static_cast<ViReal32>(std::min(kDetectorTimeoutS, timeout_s));
            check("BS_Set_Call_State_Change_Detector_Timeout",
                  BS_Set_Call_State_Change_Detector_Timeout(testset_, &detector));
        }
        for (;;) {
            ViInt32 state = GSMB_CALL_UNRECOGNISED;
            check("BS_Query_Call_State", BS_Query_Call_State(testset_, &state));
            progress_.waiting(what + ": call state " + state_name(state));
            if (state == want || Clock::now() >= deadline) {
                return state;
            }
            // Waiting for a call to come back from HAND: once it has dropped
            // to DISC or IDLE it will not.
            if (wake == Wake::poll && want == GSMB_CALL_CONN &&
                (state == GSMB_CALL_IDLE || state == GSMB_CALL_DISC)) {
                return state;
            }
            if (wake == Wake::poll) {
                pause(10);
                continue;
            }
            // Arm the detector, then ask: the test set answers when the state
            // changes or its time-out passes, so the wait costs no polling.
            check("BS_Set_Call_State_Change_Detector", BS_Set_Call_State_Change_Detector(testset_));
            ViInt32 connected = 0;
            check("BS_Call_Connected_State_Query", BS_Call_Connected_State_Query(testset_, &connected));
        }
    }

    bool wait_for_call() {
        progress_.step("waiting for registration and call");
        doing_ = "waiting for the phone to register and connect a call";
        const auto start = Clock::now();
        const ViInt32 state = wait_state(GSMB_CALL_CONN, plan_.registration_timeout_s, "registration");
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        ResultRow row = make_row("Call setup", plan_.bands.front().name, current_channel_, "", took, "s",
                                 std::nullopt, plan_.registration_timeout_s);
        if (state != GSMB_CALL_CONN) {
            row.verdict = Verdict::fail;
            row.note = std::string("no call within ") + format_fixed(plan_.registration_timeout_s, 1) +
                       " s (call state " + state_name(state) + ")";
            row.measured.reset();
        }
        report_.rows.push_back(std::move(row));
        in_call_ = state == GSMB_CALL_CONN;
        return in_call_;
    }

    // Puts the call on `channel` of `band`: a handover when the band changes,
    // a channel assignment otherwise.
    void move_call(const BandPlan &band, int channel) {
        if (band.code == current_band_ && channel == current_channel_) {
            return;
        }
        ChannelBandCode tch{band.code, GSMB_CHANNEL_TCH, channel};
        if (band.code != current_band_) {
            const std::string from(band_name(current_band_));
            progress_.step("handover " + from + " -> " + band.name + " ch " + std::to_string(channel));
            doing_ = "handing the call over to " + band.name;
            const auto start = Clock::now();
            check("BS_Set_TCH_Band_Mode", BS_Set_TCH_Band_Mode(testset_, band.code));
            check("BS_Set_ChannelForBand", BS_Set_ChannelForBand(testset_, &tch));
            BandValue txl{band.code, band.tx_levels.front().pcl};
            check("BS_Set_Call_Ms_TXL", BS_Set_Call_Ms_TXL(testset_, &txl));
            check("BS_Call_Handover", BS_Call_Handover(testset_));
            const ViInt32 state = wait_state(GSMB_CALL_CONN, plan_.registration_timeout_s, "handover", Wake::poll);
            ViInt32 tch_band = GSMB_BAND_UNRECOGNISED;
            check("BS_Get_TCH_Band_Mode", BS_Get_TCH_Band_Mode(testset_, &tch_band));
            const double took = std::chrono::duration<double>(Clock::now() - start).count();
            ResultRow row = make_row("Handover " + from + " -> " + band.name, band.name, channel, "",
                                     took, "s", std::nullopt, plan_.registration_timeout_s);
            if (state != GSMB_CALL_CONN || tch_band != band.code) {
                row.verdict = Verdict::fail;
                row.measured.reset();
                row.note = std::string(state == GSMB_CALL_CONN ? "" : "call lost, ") + "call state " +
                           state_name(state) + ", traffic band " + std::string(band_name(tch_band));
            }
            report_.rows.push_back(std::move(row));
            if (state != GSMB_CALL_CONN) {
                throw_lost_call();
            }
        } else {
            progress_.step(band.name + " channel " + std::to_string(channel));
            doing_ = "moving the call to channel " + std::to_string(channel);
            check("BS_Set_ChannelForBand", BS_Set_ChannelForBand(testset_, &tch));
            // The assignment takes the call through HAND; measuring before it
            // is back on CONN on the new channel would measure nothing.
            const auto deadline = Clock::now() + std::chrono::duration<double>(plan_.registration_timeout_s);
            ViInt32 state = GSMB_CALL_UNRECOGNISED, now_on = -1;
            for (;;) {
                state = wait_state(GSMB_CALL_CONN, plan_.registration_timeout_s, "channel assignment", Wake::poll);
                check("BS_Get_TCH_Current_Channel_NUM", BS_Get_TCH_Current_Channel_NUM(testset_, &now_on));
                if ((state == GSMB_CALL_CONN && now_on == channel) || Clock::now() >= deadline) {
                    break;
                }
                pause(10);
            }
            if (state != GSMB_CALL_CONN || now_on != channel) {
                ResultRow row = make_row("Channel assignment", band.name, channel, "", now_on, "",
                                         channel, channel);
                row.verdict = Verdict::fail;
                row.note = std::string("call state ") + state_name(state);
                report_.rows.push_back(std::move(row));
                if (state != GSMB_CALL_CONN) {
                    throw_lost_call();
                }
            }
        }
        current_band_ = band.code;
        current_channel_ = channel;
    }

    // Between polls. On instant time a state that is not there yet only
    // comes with another client's line, so a poll still yields a millisecond:
    // a phone that never gets there must not flood the bus for the whole
    // time-out.
    void pause(int ms) const {
        const int wait_ms = target_.poll_interval_ms > 0 ? ms : 1;
        if (wait_ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
        }
    }

    [[noreturn]] void throw_lost_call() { throw CallLost{}; }

    // Starts the measurements, then collects each as the test set names it
    // done, fetching its results at once.
    template <typename OnDone> void run_measurements(std::initializer_list<Pending> list, OnDone on_done) {
        std::vector<Pending> pending(list);
        for (const Pending &p : pending) {
            check("BS_Init_Measurement_ON", BS_Init_Measurement_ON(testset_, p.init_code));
        }
        const auto deadline =
            Clock::now() + std::chrono::duration<double>(plan_.measurement_timeout_s * 1.5 + 1.0);
        while (!pending.empty()) {
            ViInt32 done = GSMB_INIT_ERROR;
            check("BS_Init_Measurement_DONE", BS_Init_Measurement_DONE(testset_, &done));
            const auto it = std::find_if(pending.begin(), pending.end(),
                                         [&](const Pending &p) { return p.init_code == done; });
            if (it != pending.end()) {
                on_done(it->init_code);
                pending.erase(it);
                continue;
            }
            std::string names;
            for (const Pending &p : pending) {
                names += names.empty() ? "" : " ";
                names += p.name;
            }
            if (done == GSMB_INIT_NONE) {
                throw CallFailed{"BS_Init_Measurement_DONE", static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR),
                                 "the test set reports nothing running while " + names +
                                     " has not completed (" + doing_ + ")"};
            }
            if (Clock::now() >= deadline) {
                throw CallFailed{"BS_Init_Measurement_DONE", static_cast<ViStatus>(VI_ERROR_TMO),
                                 names + " did not complete within the plan's measurement time-out (" +
                                     doing_ + ")"};
            }
            progress_.waiting(names);
            pause(target_.poll_interval_ms);
        }
    }

    void measure_tx(const BandPlan &band, int channel, const TxLevel &level) {
        const std::string where = band.name + " ch " + std::to_string(channel) + " " + pcl_text(level.pcl);
        progress_.step(where + ": TXP PFER PVT ORFS");
        doing_ = "measuring " + where;
        BandValue txl{band.code, level.pcl};
        check("BS_Set_Call_Ms_TXL", BS_Set_Call_Ms_TXL(testset_, &txl));
        const std::string lvl = pcl_text(level.pcl);
        run_measurements(
            {{GSMB_INIT_TXP, "TXP"}, {GSMB_INIT_PFER, "PFER"}, {GSMB_INIT_PVT, "PVT"}, {GSMB_INIT_ORFS, "ORFS"}},
            [&](ViInt32 code) {
                switch (code) {
                case GSMB_INIT_TXP: fetch_txp(band, channel, level); break;
                case GSMB_INIT_PFER: fetch_pfer(band, channel, lvl); break;
                case GSMB_INIT_PVT: fetch_pvt(band, channel, lvl); break;
                case GSMB_INIT_ORFS: fetch_orfs(band, channel, lvl); break;
                default: break;
                }
            });
    }

    void fetch_txp(const BandPlan &band, int channel, const TxLevel &level) {
        TxpResult r{};
        check("BS_FETCH_TXP_Result", BS_FETCH_TXP_Result(testset_, &r));
        ResultRow row = r.integrity != 0
                            ? integrity_row("TX power", band.name, channel, pcl_text(level.pcl), r.integrity)
                            : make_row("TX power", band.name, channel, pcl_text(level.pcl), r.power, "dBm",
                                       level.expected_dbm - level.tolerance_db,
                                       level.expected_dbm + level.tolerance_db);
        row.pcl = level.pcl;
        // Keep the limits on failed rows too: the chart draws them per level.
        row.low = level.expected_dbm - level.tolerance_db;
        row.high = level.expected_dbm + level.tolerance_db;
        row.unit = "dBm";
        report_.rows.push_back(std::move(row));
    }

    void fetch_pfer(const BandPlan &band, int channel, const std::string &lvl) {
        PferResult r{};
        check("BS_FETCH_PFER_Result", BS_FETCH_PFER_Result(testset_, &r));
        if (r.integrity != 0) {
            report_.rows.push_back(integrity_row("Phase/frequency error", band.name, channel, lvl, r.integrity));
            return;
        }
        // Phase errors are magnitudes; the frequency error is signed.
        report_.rows.push_back(make_row("RMS phase error", band.name, channel, lvl,
                                        std::fabs(r.rmsPhaseError), "deg", std::nullopt,
                                        plan_.rms_phase_error_deg));
        report_.rows.push_back(make_row("Peak phase error", band.name, channel, lvl,
                                        std::fabs(r.peakPhaseError), "deg", std::nullopt,
                                        plan_.peak_phase_error_deg));
        report_.rows.push_back(make_row("Frequency error", band.name, channel, lvl, r.frequencyError,
                                        "Hz", -band.frequency_error_hz, band.frequency_error_hz));
    }

    void fetch_pvt(const BandPlan &band, int channel, const std::string &lvl) {
        PvtResult r{};
        check("BS_FETCH_PVT_Result", BS_FETCH_PVT_Result(testset_, &r));
        if (r.integrity != 0) {
            report_.rows.push_back(integrity_row("PVT mask", band.name, channel, lvl, r.integrity));
            return;
        }
        // Slot 1 is the test set's mask verdict (0 pass), slot 2 the mean
        // burst power, shown alongside.
        ResultRow row;
        row.test = "PVT mask";
        row.band = band.name;
        row.channel = channel;
        row.level = lvl;
        row.measured = r.value[1];
        row.unit = "dBm";
        const bool mask_pass = r.value[0] == 0.0F;
        row.note = mask_pass ? "mask pass" : "mask fail";
        row.limit_note = plan_.pvt_mask ? "mask pass" : "(not judged)";
        row.verdict = (mask_pass || !plan_.pvt_mask) ? Verdict::pass : Verdict::fail;
        report_.rows.push_back(std::move(row));
    }

    void fetch_orfs(const BandPlan &band, int channel, const std::string &lvl) {
        OrfsResult r{};
        check("BS_FETCH_ORFS_Result", BS_FETCH_ORFS_Result(testset_, &r));
        if (r.integrity != 0) {
            report_.rows.push_back(integrity_row("ORFS", band.name, channel, lvl, r.integrity));
        } else {
            // One row per part, at the offset with the least margin: that is
            // where a marginal phone shows, and the rest would bury it.
            auto worst = [&](const std::vector<OrfsLimit> &limits, std::size_t first, const char *name,
                             const char *unit) {
                if (limits.empty()) {
                    return;
                }
                std::size_t at = 0;
                double margin = 1e300;
                for (std::size_t i = 0; i < limits.size(); ++i) {
                    const double m = limits[i].max - r.value[first + i];
                    if (m < margin) {
                        margin = m;
                        at = i;
                    }
                }
                report_.rows.push_back(make_row(std::string(name) + " " + limits[at].offset, band.name,
                                                channel, lvl, r.value[first + at], unit, std::nullopt,
                                                limits[at].max));
            };
            worst(plan_.orfs_switching, 0, "ORFS switching", "dBm");
            worst(plan_.orfs_modulation, plan_.orfs_switching.size(), "ORFS modulation", "dB");
        }
        if (plan_.orfs_instrument_limit) {
            ViInt32 pass = 0;
            check("BS_FETCH_ORFS_Result_Pass", BS_FETCH_ORFS_Result_Pass(testset_, &pass));
            ResultRow row;
            row.test = "ORFS limit (test set)";
            row.band = band.name;
            row.channel = channel;
            row.level = lvl;
            row.note = pass ? "pass" : "fail";
            row.limit_note = "pass";
            row.verdict = pass ? Verdict::pass : Verdict::fail;
            report_.rows.push_back(std::move(row));
        }
    }

    void measure_rx(const BandPlan &band, int channel) {
        const std::string lvl = format_fixed(plan_.ber_level_dbm, 1) + " dBm";
        progress_.step(band.name + " ch " + std::to_string(channel) + ": BER at " + lvl);
        doing_ = "measuring BER on " + band.name + " channel " + std::to_string(channel);
        check("BS_Set_Call_Pow", BS_Set_Call_Pow(testset_, static_cast<ViReal32>(plan_.ber_level_dbm)));
        run_measurements({{GSMB_INIT_BERR, "BER"}}, [&](ViInt32) {
            BerResult r{};
            check("BS_FETCH_BER_Result", BS_FETCH_BER_Result(testset_, &r));
            if (r.integrity != 0) {
                report_.rows.push_back(integrity_row("BER class II", band.name, channel, lvl, r.integrity));
                return;
            }
            ResultRow row = make_row("BER class II", band.name, channel, lvl, r.ratio, "%", std::nullopt,
                                     plan_.ber_max_percent);
            if (r.bitsTested <= 0) {
                row.verdict = Verdict::fail;
                row.note = "no bits tested";
            }
            report_.rows.push_back(std::move(row));
        });
        // The level the phone reports for what the cell sends (RXLEV 0 is
        // below -110 dBm, 63 above -48 dBm, 1 dB steps between).
        ViInt32 rx_level = -1, rx_quality = -1;
        check("BS_FETCH_RX_Level_Result", BS_FETCH_RX_Level_Result(testset_, &rx_level));
        check("BS_FETCH_RX_Quality_Result", BS_FETCH_RX_Quality_Result(testset_, &rx_quality));
        const double expected = std::clamp(std::floor(plan_.ber_level_dbm + 111.0), 0.0, 63.0);
        report_.rows.push_back(make_row("RX level (reported)", band.name, channel, lvl, rx_level, "",
                                        std::max(0.0, expected - plan_.rx_level_tolerance),
                                        std::min(63.0, expected + plan_.rx_level_tolerance)));
        report_.rows.push_back(make_row("RX quality (reported)", band.name, channel, lvl, rx_quality, "",
                                        0.0, plan_.rx_quality_max));
        check("BS_Set_Call_Pow", BS_Set_Call_Pow(testset_, static_cast<ViReal32>(plan_.cell_power_dbm)));
    }

    void end_call() {
        progress_.step("end call");
        doing_ = "ending the call";
        check("BS_Call_End", BS_Call_End(testset_));
        in_call_ = false;
        const ViInt32 state = wait_state(GSMB_CALL_IDLE, 10.0, "call end");
        ResultRow row;
        row.test = "Call end";
        row.band = std::string(band_name(current_band_));
        row.note = std::string("call state ") + state_name(state);
        row.limit_note = "IDLE";
        row.verdict = state == GSMB_CALL_IDLE ? Verdict::pass : Verdict::fail;
        report_.rows.push_back(std::move(row));
    }

    // Anything the test set logged against our lines is a fault of the bench
    // set-up worth failing the run for.
    void check_error_queue() {
        doing_ = "reading the test set's error queue";
        ViChar error[256] = {};
        check("BS_Get_Error", BS_Get_Error(testset_, error));
        std::string text(error, strnlen(error, sizeof error));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        ResultRow row;
        row.test = "Test set error queue";
        const bool empty = text.rfind("+0", 0) == 0 || text.rfind("0,", 0) == 0;
        row.note = empty ? "empty" : text;
        row.limit_note = "empty";
        row.verdict = empty ? Verdict::pass : Verdict::fail;
        report_.rows.push_back(std::move(row));
    }

    void close_sessions() {
        progress_.step("close sessions");
        doing_ = "closing the sessions";
        ++calls_;
        const ViInt32 supply_closed = CloseInstrument(supply_);
        supply_ = 0;
        ++calls_;
        const ViInt32 closed = CloseGPIB(rm_, testset_);
        testset_ = 0;
        rm_ = 0;
        if (supply_closed != 1) {
            throw CallFailed{"CloseInstrument", static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR), doing_};
        }
        if (closed != 1) {
            throw CallFailed{"CloseGPIB", static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR), doing_};
        }
    }

    // After a failure: leave the bench safe where the link still allows, and
    // never let a second failure hide the first.
    void cleanup() {
        if (testset_ != 0 && in_call_) {
            ++calls_;
            BS_Call_End(testset_);
        }
        if (supply_ != 0 && supply_on_) {
            ++calls_;
            Power_Turn_Off(supply_);
        }
        if (supply_ != 0) {
            ++calls_;
            CloseInstrument(supply_);
        }
        if (rm_ != 0 || testset_ != 0) {
            ++calls_;
            CloseGPIB(rm_, testset_);
        }
        rm_ = testset_ = supply_ = 0;
    }

    // Short enough that a live display ticks while the phone registers.
    static constexpr double kDetectorTimeoutS = 1.0;

    const Plan &plan_;
    const RunTarget &target_;
    Progress &progress_;
    RunReport report_;
    ViSession rm_ = 0, testset_ = 0, supply_ = 0;
    bool supply_on_ = false, in_call_ = false;
    int current_band_ = -1, current_channel_ = -1;
    std::uint64_t calls_ = 0;
    std::string doing_;
};

} // namespace

RunReport run_production_test(const Plan &plan, const RunTarget &target, Progress &progress) {
    Runner runner(plan, target, progress);
    RunReport report = runner.run();
    progress.finish();
    return report;
}

} // namespace gsmbench::tool
