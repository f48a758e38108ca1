// Benches sharing one store at once, each a process with its own connection, as a
// factory runs them: every receiver must get a code no other holds, and no command's
// record may be lost to another's transaction.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "ledger/ledger.h"
#include "ledger/ledger_location.h"
#include "ledger/testing/scratch_stores.h"

namespace rilo {
namespace {

using testing::Backend;
using testing::ScratchStore;

constexpr int kBenches = 4;
constexpr int kUnitsEach = 25;
constexpr int64_t kFrom = 12000030, kLast = 12999999;

std::string BenchName(int bench) {
  return "bench-" + std::to_string(bench);
}

std::string SerialOf(int bench, int unit) {
  char serial[9];
  std::snprintf(serial, sizeof serial, "%08d", bench * 1000 + unit);
  return serial;
}

// Exit statuses of a bench's process.
enum BenchExit { kAllDone = 0, kRefused = 1, kNoCodeFree = 2 };

// One bench's run, in its own process: its own ledger, then each receiver reserves one
// code, is given it and is recorded. It reports by its exit status alone (the parent's
// GoogleTest state is not its own), and why it stopped on stderr.
[[noreturn]] void RunBench(const std::string &location, int bench, int go) {
  char ready;
  static_cast<void>(read(go, &ready, 1));  // the parent closes it once every bench is forked
  int status = kAllDone;
  try {
    auto ledger = OpenLedger(location);
    const std::string port = "COM" + std::to_string(bench + 1);
    for (int unit = 0; unit < kUnitsEach && status == kAllDone; ++unit) {
      const auto codes = ledger->ReserveIds(kFrom, kLast, 1, BenchName(bench), {port});
      if (codes.size() != 1) {
        std::fprintf(stderr, "%s: no code reserved for unit %d\n", BenchName(bench).c_str(), unit);
        status = kNoCodeFree;
        break;
      }
      ledger->UseId(codes[0], SerialOf(bench, unit), BenchName(bench), port);
      UnitRecord record;
      record.time = "2026-12-10T08:00:00Z";
      record.bench = BenchName(bench);
      record.port = port;
      record.command = "write";
      record.kind = "Rx";
      record.id = std::to_string(codes[0]);
      record.serial = SerialOf(bench, unit);
      record.succeeded = true;
      ledger->Record(record);
    }
  } catch (const std::exception &e) {
    std::fprintf(stderr, "%s: %s\n", BenchName(bench).c_str(), e.what());
    status = kRefused;
  }
  _exit(status);
}

class LedgerConcurrencyTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::Postgres && !testing::PostgresAdminUrl()) {
      if (std::getenv("RILO_REQUIRE_POSTGRES")) FAIL() << "RILO_TEST_POSTGRES is not set";
      GTEST_SKIP() << "no PostgreSQL server for this run (RILO_TEST_POSTGRES)";
    }
    store_ = std::make_unique<ScratchStore>(GetParam());
  }
  std::unique_ptr<ScratchStore> store_;
};

// The benches start together on a store none has opened yet, so the first use's table
// making is contended as well as every reservation.
TEST_P(LedgerConcurrencyTest, FourBenchesAtOnceGetDistinctLowestCodesAndLoseNoRecord) {
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::map<pid_t, int> running;  // pid to bench
  for (int bench = 0; bench < kBenches; ++bench) {
    const pid_t pid = fork();
    if (pid == 0) {
      close(go[1]);
      RunBench(store_->Location(), bench, go[0]);
    }
    if (pid < 0) {
      ADD_FAILURE() << "fork: " << std::strerror(errno);
      break;  // the ones forked still run, and are waited for
    }
    running[pid] = bench;
  }
  close(go[0]);
  close(go[1]);

  // Bounded: a bench that hangs is killed and counted as failed.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::map<int, int> exits;  // bench to its wait status
  while (!running.empty() && std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    const pid_t pid = waitpid(-1, &status, WNOHANG);
    if (pid > 0) {
      exits[running[pid]] = status;
      running.erase(pid);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  for (const auto &[pid, bench] : running) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ADD_FAILURE() << BenchName(bench) << " was still running after 60 s";
  }
  for (const auto &[bench, status] : exits)
    EXPECT_EQ(status, 0) << BenchName(bench)
                         << (WIFEXITED(status) ? " exited " + std::to_string(WEXITSTATUS(status))
                                               : " was killed by signal " + std::to_string(WTERMSIG(status)))
                         << " (its stderr says why)";

  // Each code went to exactly one unit, the lowest free ones in turn, and each unit's
  // record names the code the ledger says that unit holds.
  auto ledger = OpenLedger(store_->Location());
  const auto held = ledger->HeldIds();
  ASSERT_EQ(held.size(), size_t{kBenches * kUnitsEach});
  std::map<std::string, int64_t> codeOfSerial;
  for (size_t i = 0; i < held.size(); ++i) {
    EXPECT_EQ(held[i].code, kFrom + static_cast<int64_t>(i));
    EXPECT_TRUE(held[i].used) << held[i].code;
    EXPECT_TRUE(codeOfSerial.emplace(held[i].serial, held[i].code).second) << held[i].serial << " twice";
  }
  const auto records = ledger->Records({});
  ASSERT_EQ(records.size(), size_t{kBenches * kUnitsEach});
  std::set<std::string> recorded;
  for (const UnitRecord &r : records) {
    EXPECT_TRUE(recorded.insert(r.serial).second) << r.serial << " recorded twice";
    EXPECT_EQ(r.id, std::to_string(codeOfSerial[r.serial])) << r.serial;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, LedgerConcurrencyTest,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres), [](const auto &param) {
                           return param.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

}  // namespace
}  // namespace rilo
