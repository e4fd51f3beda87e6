// scantool-sim: a simulated scan tool on a pseudo-terminal, for trying the updaters without the device.
#include "ScanToolSim.h"
#include "serial.h"

#include "package.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kProg[] = "scantool-sim";
constexpr int kExitViolations = 1;
constexpr int kExitUsage = 2;
constexpr int kExitSetup = 3;
constexpr int kExitDump = 4;
// Seconds between reports when --report is given without --report-every.
constexpr double kDefaultReportEverySeconds = 5.0;

using Step = ScanToolSim::Step;
using Kind = ScanToolSim::FaultKind;

std::mutex g_printMu;

void say(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_printMu);
    std::printf("%s: %s\n", kProg, text.c_str());
    std::fflush(stdout);
}

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: %s --dir DIR [--model QM82] [--link NAME] [--paced] [--erase-ms N]\n"
                 "       [--silent STEP[:K]] [--error STEP[:K]=E1] [--short STEP[:K]=N] [--split STEP[:K][=MS]]\n"
                 "       [--vanish STEP[:K]] [--leave STEP[:K]] [--stall STEP[:K][=N]] [--report TEXT]\n"
                 "       [--report-every SECONDS] [--report-on-open TEXT] [--dump DIR] [--quiet]\n"
                 "\n"
                 "Makes a pseudo-terminal that behaves as the scan tool and links DIR/NAME to it, as udev's\n"
                 "by-id link would be named. Point an updater at it with %s=DIR.\n"
                 "STEP is probe|enter|erase|header|data|end; K picks its K-th frame (0-based, blocks counted over\n"
                 "the whole session), otherwise every one. --vanish goes instead of answering, --leave answers and\n"
                 "then goes, --stall answers and then takes N more bytes (512) and no more.\n"
                 "--report-on-open sends TEXT once whenever the updater opens the line after a start.\n"
                 "TEXT may hold \\n, \\r, \\t and \\xHH.\n"
                 "Runs until Ctrl-C or SIGTERM, then writes DIR/<base>.bin per flashed section and violations.txt\n"
                 "to the --dump folder. Exit status: 0 all frames were right, 1 there were violations,\n"
                 "2 bad arguments, 3 the pseudo-terminal or the link could not be made, 4 a dump could not be\n"
                 "written.\n",
                 kProg, serial::kDeviceDirEnv);
}

[[noreturn]] void badArgs(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", kProg, why.c_str());
    std::fprintf(stderr, "%s: see %s --help\n", kProg, kProg);
    std::exit(kExitUsage);
}

std::optional<long> toLong(const std::string& s, int base = 10) {
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, base);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return v;
}

// An option's number, checked against its range; none when the text is empty (the default stands).
std::optional<long> number(const std::string& option, const std::string& text, long lo, long hi, int base,
                           const char* rule) {
    if (text.empty()) return std::nullopt;
    const auto v = toLong(text, base);
    if (!v || *v < lo || *v > hi) badArgs(option + ": " + rule + ": " + text);
    return v;
}

// STEP[:K][=VALUE]; the value is handed back for the option to read.
ScanToolSim::Fault parseFault(const std::string& option, const std::string& faultText, Kind kind, std::string* value) {
    static const std::pair<const char*, Step> steps[] = {{"probe", Step::Probe},    {"enter", Step::Enter},
                                                         {"erase", Step::Erase},    {"header", Step::BlockHeader},
                                                         {"data", Step::BlockData}, {"end", Step::End}};
    std::string s = faultText;
    const size_t eq = s.find('=');
    if (eq != std::string::npos) {
        if (!value) badArgs(option + " takes no value: " + faultText);
        *value = s.substr(eq + 1);
        s.resize(eq);
    }
    ScanToolSim::Fault f{Step::Probe, kind};
    const size_t colon = s.find(':');
    if (colon != std::string::npos) {
        const auto k = toLong(s.substr(colon + 1));
        if (!k || *k < 0) badArgs(option + ": the occurrence after ':' must be a number from 0: " + faultText);
        f.occurrence = int(*k);
        s.resize(colon);
    }
    for (const auto& [name, step] : steps) {
        if (s == name) {
            f.step = step;
            return f;
        }
    }
    badArgs(option + ": unknown step \"" + s + "\"; use probe, enter, erase, header, data or end");
}

std::string unescape(const std::string& in) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char c = in[++i];
        if (c == 'n')
            out += '\n';
        else if (c == 'r')
            out += '\r';
        else if (c == 't')
            out += '\t';
        else if (c == 'x' && i + 2 < in.size() && std::isxdigit((unsigned char)in[i + 1]) &&
                 std::isxdigit((unsigned char)in[i + 2])) {
            out += char(*toLong(in.substr(i + 1, 2), 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

struct Args {
    ScanToolSim::Options options;
    std::vector<ScanToolSim::Fault> faults;
    std::string report;
    std::string reportOnOpen;
    double reportEvery = kDefaultReportEverySeconds;
    std::string dumpDir;
    bool quiet = false;
};

Args parseArgs(int argc, char** argv) {
    Args a;
    auto next = [&](int& i) -> std::string {
        if (i + 1 >= argc) badArgs(std::string(argv[i]) + " needs a value");
        return argv[++i];
    };
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        std::string value;
        if (opt == "--help" || opt == "-h") {
            usage(stdout);
            std::exit(0);
        } else if (opt == "--dir") {
            a.options.deviceDir = next(i);
        } else if (opt == "--model") {
            a.options.model = next(i);
        } else if (opt == "--link") {
            a.options.linkName = next(i);
            if (a.options.linkName.find('/') != std::string::npos) badArgs("--link is a name, not a path");
        } else if (opt == "--paced") {
            a.options.paced = true;
        } else if (opt == "--erase-ms") {
            const std::string ms = next(i);
            if (ms.empty()) badArgs("--erase-ms needs a number of milliseconds");
            a.options.eraseMs = int(*number(opt, ms, 0, INT32_MAX, 10, "it needs a number of milliseconds"));
        } else if (opt == "--silent") {
            a.faults.push_back(parseFault(opt, next(i), Kind::Silent, nullptr));
        } else if (opt == "--vanish") {
            a.faults.push_back(parseFault(opt, next(i), Kind::Vanish, nullptr));
        } else if (opt == "--leave") {
            a.faults.push_back(parseFault(opt, next(i), Kind::LeaveAfterReply, nullptr));
        } else if (opt == "--stall") {
            auto f = parseFault(opt, next(i), Kind::StopReading, &value);
            if (const auto v = number(opt, value, 0, INT32_MAX, 10, "it needs a number of bytes"))
                f.readBytes = int(*v);
            a.faults.push_back(f);
        } else if (opt == "--error") {
            auto f = parseFault(opt, next(i), Kind::DeviceError, &value);
            if (const auto v = number(opt, value, 0xE0, 0xEF, 16, "the code must be E0 to EF"))
                f.errorCode = uint8_t(*v);
            a.faults.push_back(f);
        } else if (opt == "--short") {
            auto f = parseFault(opt, next(i), Kind::ShortReply, &value);
            if (const auto v = number(opt, value, 1, 2, 10, "the length must be 1 or 2")) f.shortLength = int(*v);
            a.faults.push_back(f);
        } else if (opt == "--split") {
            auto f = parseFault(opt, next(i), Kind::SplitReply, &value);
            if (const auto v = number(opt, value, 0, INT32_MAX, 10, "the pause must be milliseconds"))
                f.splitDelayMs = int(*v);
            a.faults.push_back(f);
        } else if (opt == "--report") {
            a.report = unescape(next(i));
        } else if (opt == "--report-on-open") {
            a.reportOnOpen = unescape(next(i));
        } else if (opt == "--report-every") {
            const std::string v = next(i);
            // A point before the fraction, whatever the locale.
            const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), a.reportEvery);
            if (error != std::errc() || end != v.data() + v.size() || !(a.reportEvery > 0))
                badArgs("--report-every needs a number of seconds above 0");
        } else if (opt == "--dump") {
            a.dumpDir = next(i);
        } else if (opt == "--quiet" || opt == "-q") {
            a.quiet = true;
        } else {
            badArgs("unknown option " + opt);
        }
    }
    if (a.options.deviceDir.empty()) badArgs("--dir is required: the folder where the device link is made");
    return a;
}

// Writes what was flashed and what went wrong; false when any file could not be written.
bool dump(const std::string& dir, const ScanToolSim& sim) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        say("cannot create the dump folder " + dir + ": " + ec.message());
        return false;
    }
    bool ok = true;
    for (const auto& [base, bytes] : sim.memory()) {
        char name[16];
        std::snprintf(name, sizeof name, "%08X.bin", base);
        const std::string path = dir + "/" + name;
        if (!firmware::writeFileAtomically(path, bytes)) {
            say("cannot write " + path + "; check the folder's permissions and free space");
            ok = false;
        }
    }
    std::string text;
    for (const std::string& v : sim.violations())
        text += v + "\n";
    const std::string path = dir + "/violations.txt";
    if (!firmware::writeFileAtomically(path, firmware::Bytes(text.begin(), text.end()))) {
        say("cannot write " + path + "; check the folder's permissions and free space");
        ok = false;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const Args args = parseArgs(argc, argv);

    // Signals are taken synchronously below; every thread started from here on has them blocked. A shell starting
    // us in the background may have set SIGINT to be ignored, which would discard it even while blocked.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ScanToolSim sim(args.options);
    if (!args.quiet) sim.setEventHandler(say);
    for (const auto& f : args.faults)
        sim.addFault(f);
    sim.setReportOnOpen(args.reportOnOpen);
    if (!sim.start()) {
        say("cannot start: " + sim.lastError());
        return kExitSetup;
    }
    say(sim.linkPath() + " -> " + sim.slavePath());
    say("serving as \"" + args.options.model + "\"" + (args.options.paced ? " at 11520 bytes/s" : "") +
        "; point the updater at it with " + serial::kDeviceDirEnv + "=" + args.options.deviceDir +
        "; stop with Ctrl-C");

    for (;;) {
        timespec wait{};
        const bool reporting = !args.report.empty();
        if (reporting) {
            wait.tv_sec = time_t(args.reportEvery);
            wait.tv_nsec = long((args.reportEvery - double(wait.tv_sec)) * 1e9);
        }
        const int sig = reporting ? sigtimedwait(&stopSignals, nullptr, &wait) : sigwaitinfo(&stopSignals, nullptr);
        if (sig == SIGINT || sig == SIGTERM) break;
        if (sig < 0 && errno == EAGAIN) sim.sendReport(args.report);
    }

    say("stopping; the link goes away");
    sim.stop();
    const auto violations = sim.violations();
    bool dumped = true;
    if (!args.dumpDir.empty()) dumped = dump(args.dumpDir, sim);
    say(std::to_string(sim.probes()) + " probe(s), " + std::to_string(sim.completedPasses()) + " pass(es) completed, " +
        std::to_string(violations.size()) + " violation(s)" +
        (args.dumpDir.empty() ? std::string() : "; memory and violations written to " + args.dumpDir));
    for (const std::string& v : violations)
        say("violation: " + v);
    if (!violations.empty()) return kExitViolations;
    return dumped ? 0 : kExitDump;
}
