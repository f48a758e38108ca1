// rilo-unit-sim: a simulated transmitter or receiver on a pseudo-terminal, for trying
// the tool without hardware. Prints the terminal's device path and serves until
// interrupted. No modem lines cross a pseudo-terminal, so the loader starts at the
// first sync byte, and a host that sets its line back to 9600 stands for the reset
// that returns a loader to 9600. Both directions are paced at the line's rate: 9600
// 8E1 until the loader is told another.
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/product_line.h"
#include "sim/fault_option.h"
#include "sim/pseudo_terminal.h"
#include "sim/unit.h"

namespace {

using namespace rilo::sim;

constexpr const char *kUsage =
    "usage: rilo-unit-sim [--role tx|rx] [--loader 1.10|1.61|2.02] [--short-image] [--blank] [--link PATH]\n"
    "                     [--memory-file PATH] [--fault KIND[:REQUEST[:SKIP[:TIMES]]]]...\n"
    "                     [--stuck-bit ADDRESS:BIT=LEVEL]...\n"
    "       rilo-unit-sim --help | --version\n";
// --help adds what each option does.
constexpr const char *kOptions =
    "Runs a simulated Q12 transmitter or receiver on a pseudo-terminal: prints the\n"
    "terminal's device path and serves until Ctrl+C. Bytes take their wire time both\n"
    "ways at the line's rate: 9600 8E1, or the rate loaders 1.61 and 2.02 are told\n"
    "(command 20); a host that sets its line back to 9600 resets the unit to 9600.\n"
    "  --role tx|rx     a transmitter or a receiver (default rx)\n"
    "  --loader VERSION the loader version the unit reports (default 1.61 for a\n"
    "                   transmitter, 1.10 for a receiver, 2.02 with --short-image)\n"
    "  --short-image    an 8 KB receiver (program at 0xE000) instead of 16 KB (0xC000)\n"
    "  --blank          all flash erased, vectors 0xFF: only the erased-device password opens it\n"
    "  --link PATH      make PATH a symbolic link to the terminal while serving\n"
    "  --memory-file PATH\n"
    "                   keep PATH holding the unit's 64 KB memory, written anew\n"
    "                   whenever an erase or a write changes it\n"
    "  --fault KIND[:REQUEST[:SKIP[:TIMES]]]\n"
    "                   strike requests with a fault: KIND no-answer, refuse, garble,\n"
    "                   late (300 ms), noise (300 bytes), lose-byte, flip-bit,\n"
    "                   wrong-length (a data reply's length bytes) or garble-new-rate\n"
    "                   (the reply to the first request after a rate change); REQUEST\n"
    "                   a command code in hex (14 read, 12 write, 16 erase, 10 password,\n"
    "                   20 rate change), sync or any; SKIP requests answered normally\n"
    "                   first (default 0); TIMES a count or forever (default 1).\n"
    "                   Examples: flip-bit:14:2 (a receiver's block 1 read, after its\n"
    "                   identity page and chip read); refuse:20 (no faster line)\n"
    "  --stuck-bit ADDRESS:BIT=LEVEL\n"
    "                   a flash bit that keeps LEVEL (0 or 1) whatever is written,\n"
    "                   ADDRESS in hex. Example: 1091:1=0\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n";

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) {
  g_stop = 1;
}

struct Options {
  bool help = false;
  bool version = false;
  Role role = Role::kReceiver;
  std::optional<LoaderVersion> loader;
  bool short_image = false;
  bool blank = false;  // all flash erased, as after a mass erase: only the erased-device password opens it
  std::string link;
  std::string memory_file;
  std::vector<Fault> faults;
  std::vector<StuckBitOption> stuck_bits;
};

// "1.61" -> 01 61: the loader reports its version as these digits.
std::optional<LoaderVersion> ParseLoader(const std::string &text) {
  unsigned major = 0, minor = 0;
  int used = 0;
  if (text.size() != 4 || text[1] != '.' ||
      std::sscanf(text.c_str(), "%1x.%2x%n", &major, &minor, &used) != 2 || used != 4)
    return std::nullopt;
  for (char c : text)
    if (c != '.' && (c < '0' || c > '9')) return std::nullopt;
  return LoaderVersion{static_cast<uint8_t>(major), static_cast<uint8_t>(minor)};
}

std::optional<Options> ParseOptions(int argc, char **argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--role" && has_value) {
      const std::string role = argv[++i];
      if (role != "tx" && role != "rx") return std::nullopt;
      options.role = role == "tx" ? Role::kTransmitter : Role::kReceiver;
    } else if (arg == "--loader" && has_value) {
      options.loader = ParseLoader(argv[++i]);
      if (!options.loader) return std::nullopt;
    } else if (arg == "--short-image") {
      options.short_image = true;
    } else if (arg == "--blank") {
      options.blank = true;
    } else if (arg == "--link" && has_value) {
      options.link = argv[++i];
    } else if (arg == "--memory-file" && has_value) {
      options.memory_file = argv[++i];
    } else if (arg == "--fault" && has_value) {
      const auto fault = ParseFault(argv[++i]);
      if (!fault) return std::nullopt;
      options.faults.push_back(*fault);
    } else if (arg == "--stuck-bit" && has_value) {
      const auto stuck = ParseStuckBit(argv[++i]);
      if (!stuck) return std::nullopt;
      options.stuck_bits.push_back(*stuck);
    } else {
      return std::nullopt;
    }
  }
  if (options.short_image && options.role == Role::kTransmitter) return std::nullopt;
  return options;
}

std::string Describe(const UnitConfig &config, bool blank) {
  char text[160];
  std::snprintf(text, sizeof text, "Q12 %s, %s 0x%04X, chip %02X %02X, loader %X.%02X",
                config.role == Role::kTransmitter ? "transmitter" : "receiver",
                blank ? "blank, program area from" : "program at", config.program_start, config.chip[0],
                config.chip[1], config.loader.major, config.loader.minor);
  return text;
}

// Makes `link` a symbolic link to `target`, replacing an older link but nothing else.
bool MakeLink(const std::string &link, const std::string &target) {
  struct stat existing;
  if (lstat(link.c_str(), &existing) == 0) {
    if (!S_ISLNK(existing.st_mode)) {
      std::fprintf(stderr, "rilo-unit-sim: %s exists and is not a symbolic link\n", link.c_str());
      return false;
    }
    unlink(link.c_str());
  }
  if (symlink(target.c_str(), link.c_str()) != 0) {
    std::fprintf(stderr, "rilo-unit-sim: cannot create %s: %s\n", link.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

// The unit's memory as a file, for a test that must see an erase or a write land while
// the host is still at work. Replaced whole by a rename, so a reader never sees half.
class MemoryFile {
 public:
  explicit MemoryFile(std::string path) : path_(std::move(path)) {}

  // Writes the memory when it differs from what the file holds; false when it cannot.
  bool Keep(const UnitMemory &memory) {
    const auto bytes = memory.All();
    if (path_.empty() || (!held_.empty() && std::equal(bytes.begin(), bytes.end(), held_.begin())))
      return true;
    held_.assign(bytes.begin(), bytes.end());
    // Under a name of its own, made exclusively: nothing planted beside the file (a
    // link to another file above all) is ever written through.
    std::string next = path_ + ".XXXXXX";
    const int fd = mkstemp(next.data());
    bool written = fd >= 0;
    for (size_t done = 0; written && done < held_.size();) {
      const ssize_t n = write(fd, held_.data() + done, held_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      written = n > 0;
      if (written) done += static_cast<size_t>(n);
    }
    if (fd >= 0 && close(fd) != 0) written = false;
    if (written && std::rename(next.c_str(), path_.c_str()) == 0) return true;
    const int reason = errno;
    if (fd >= 0) unlink(next.c_str());
    std::fprintf(stderr, "rilo-unit-sim: cannot write %s: %s\n", path_.c_str(), std::strerror(reason));
    return false;
  }

 private:
  std::string path_;
  std::vector<uint8_t> held_;
};

uint64_t NowMicros() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000 + uint64_t(now.tv_nsec) / 1000;
}

// The host looks for a reply 60 to 100 ms after its request, and the unit's reply bytes
// fall due 1.15 ms apart: the unit must run as soon as a byte comes in or falls due.
// Beside two busy CPUs, a unit of ordinary priority was seen to read the host's bytes
// up to 150 ms after they were written: the host had given up on a sync byte by then
// and sent its next frame, which the unit read together with the sync, so both were
// lost. So the unit takes the lowest real-time priority where it may (it sleeps between
// bytes and takes little CPU even so), else a higher nice value, else runs as it is
// and may answer late on a busy machine.
void RunPromptly() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  if (sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0) return;
  setpriority(PRIO_PROCESS, 0, -10);
}

// The rate the host set on its end of the pseudo-terminal, which the master shares;
// the loader's 9600 when it cannot be read or is none the loaders know.
uint32_t HostBaud(int master) {
  termios line{};
  if (tcgetattr(master, &line) != 0) return rilo::kLoaderBaud;
  switch (cfgetospeed(&line)) {
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    default:
      return rilo::kLoaderBaud;
  }
}

// Feeds the unit what the host writes, each byte at the moment its stop bit would
// reach the unit at the host's rate (a write of many bytes queues on the line as in a
// UART's transmit path: a pseudo-terminal takes them all at once), and hands the host
// each reply byte at the moment its stop bit would arrive. Sleeps in ppoll until the
// host writes, the next byte is due, or a signal comes.
int Serve(Unit &unit, PseudoTerminal &terminal, MemoryFile &memory_file, const sigset_t &wait_mask) {
  const int master = terminal.master();
  std::vector<uint8_t> due;
  uint8_t buffer[512];
  uint64_t line_free = 0;  // when the last byte the host wrote reaches the unit
  uint32_t host_baud = rilo::kLoaderBaud;
  // The host may set another rate whenever it likes: looked at before the unit's bytes go
  // out and before the host's are taken in.
  auto follow_host = [&](uint64_t at) {
    if (const uint32_t baud = HostBaud(master); baud != host_baud) {
      host_baud = baud;
      unit.HostRate(host_baud, at);
    }
  };
  while (!g_stop) {
    const uint64_t now = NowMicros();
    follow_host(now);
    unit.AdvanceTo(now);
    due.clear();
    unit.TakeSent(now, due, host_baud);
    // A host that stopped reading loses bytes, as a UART overruns: never block here.
    if (!due.empty() && write(master, due.data(), due.size()) < 0 && errno != EAGAIN) break;

    timespec timeout{};
    const auto next = unit.NextEventAt();
    if (next) {
      const uint64_t wait = *next > now ? *next - now : 0;
      timeout.tv_sec = static_cast<time_t>(wait / 1000000);
      timeout.tv_nsec = static_cast<long>(wait % 1000000 * 1000);
    }
    pollfd watch[] = {{master, POLLIN, 0}, {terminal.closes(), POLLIN, 0}};
    const int ready = ppoll(watch, 2, next ? &timeout : nullptr, &wait_mask);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (watch[1].revents & POLLIN) terminal.AfterHostClosed();
    if (!(watch[0].revents & POLLIN)) continue;
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n < 0 && errno != EAGAIN) break;
    const uint64_t at = NowMicros();
    follow_host(at);
    // Fed at once, stamped with their arrival: the unit acts on each only at its stamp.
    for (ssize_t i = 0; i < n; ++i) {
      line_free = std::max(line_free, at) + rilo::ByteMicrosAt(host_baud);
      unit.ByteArrived(buffer[i], line_free, host_baud);
    }
    if (!memory_file.Keep(unit.memory())) return 1;
  }
  if (g_stop) return 0;
  std::fprintf(stderr, "rilo-unit-sim: the pseudo-terminal failed: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (options->help) {
    std::printf("%s%s", kUsage, kOptions);
    return 0;
  }
  if (options->version) {
    std::printf("rilo-unit-sim %s\n", RILO_VERSION);
    return 0;
  }
  std::string error;
  const auto line = rilo::ReadProductLineBesideProgram(&error);
  if (!line) {
    std::fprintf(stderr, "rilo-unit-sim: %s\n", error.c_str());
    return 1;
  }
  const Model model = options->role == Role::kTransmitter ? Model::kTransmitter
                      : options->short_image              ? Model::kReceiver8k
                                                          : Model::kReceiver16k;
  UnitConfig config = StandardUnit(model, *line);
  if (options->loader) config.loader = *options->loader;
  config.entry = Entry::kFirstSync;
  Unit unit(config);
  if (options->blank) unit.memory().MassErase();
  for (const Fault &fault : options->faults)
    unit.AddFault(fault);
  for (const StuckBitOption &stuck : options->stuck_bits)
    unit.memory().StickBit(stuck.address, stuck.bit, stuck.level);

  PseudoTerminal terminal;
  if (!terminal.Open(&error)) {
    std::fprintf(stderr, "rilo-unit-sim: %s\n", error.c_str());
    return 1;
  }
  if (!options->link.empty() && !MakeLink(options->link, terminal.device_path())) return 1;
  MemoryFile memory_file(options->memory_file);
  if (!memory_file.Keep(unit.memory())) return 1;

  // Signals stay blocked except while sleeping in ppoll, so none slips in between.
  sigset_t stop_signals, wait_mask;
  sigemptyset(&stop_signals);
  for (int s : {SIGINT, SIGTERM, SIGHUP})
    sigaddset(&stop_signals, s);
  sigprocmask(SIG_BLOCK, &stop_signals, &wait_mask);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  for (int s : {SIGINT, SIGTERM, SIGHUP})
    sigaction(s, &action, nullptr);

  std::printf("%s\n", terminal.device_path().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "rilo-unit-sim: %s, on %s%s%s; stop with Ctrl+C\n",
               Describe(config, options->blank).c_str(), terminal.device_path().c_str(),
               options->link.empty() ? "" : ", linked as ", options->link.c_str());

  RunPromptly();
  const int status = Serve(unit, terminal, memory_file, wait_mask);
  if (!options->link.empty()) unlink(options->link.c_str());
  return status;
}
