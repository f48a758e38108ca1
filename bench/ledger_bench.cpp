// What the ledger adds to each unit command: the calls a factory settings write and a
// receiver burn make on it, timed over 200 commands in an SQLite file (write-ahead log,
// every commit synced, as the tool keeps it) and on the PostgreSQL server named by
// RILO_TEST_POSTGRES. Prints the median and worst per command, and each as a share of
// the command's own time on the simulated unit.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ledger/ledger_location.h"
#include "ledger/testing/scratch_stores.h"

namespace {

using namespace rilo;
using testing::Backend;

constexpr int kCommands = 200;
constexpr size_t kPageFrame = 138;

// A unit command as the ledger sees it: its journal entry's firmware (none for a
// settings write), whether the erase of the top pages updates the entry, and what the
// command itself takes on the simulated unit.
struct Command {
  const char *what;
  size_t firmwarePages;
  bool updatesEntry;
  double ownMs;
};
const Command kTimed[] = {
    {"factory settings write", 0, true, 4275},
    {"receiver burn, verified (128 pages in its journal entry)", 128, false, 79813},
};

// One command's calls, in the order the tool makes them.
void RunCommand(Ledger &ledger, const Command &command, int n) {
  const std::string bench = "bench-1", port = "COM3";
  ledger.OpenEntries();  // unfinished work on this unit?
  const int64_t code = ledger.ReserveIds(12000030, 12999999, 1, bench, {port}).at(0);
  JournalEntry entry;
  entry.opened = "2026-12-10T08:00:00Z";
  entry.bench = bench;
  entry.port = port;
  entry.device = "/dev/ttyUSB0";
  entry.command = command.firmwarePages ? "write-firmware --rx" : "write";
  entry.chip = {0xF1, 0x49, 0x00};
  entry.loaderVersion = 0x0161;
  entry.id = std::to_string(code);
  entry.serial = std::to_string(10000000 + n);
  entry.blocks.assign(256, 0x5A);
  entry.firmware.assign(command.firmwarePages * kPageFrame, 0x3C);
  entry.number = ledger.OpenEntry(entry);
  if (command.updatesEntry) {
    entry.topPages.assign(3 * kPageFrame, 0xA5);
    entry.identity.assign(kPageFrame, 0x00);
    entry.vectors.assign(32, 0xFF);
    ledger.UpdateEntry(entry);
  }
  ledger.CloseEntry(entry.number);
  ledger.UseId(code, entry.serial, bench, port);
  UnitRecord record;
  record.time = "2026-12-10T08:00:05Z";
  record.bench = bench;
  record.port = port;
  record.device = entry.device;
  record.command = entry.command;
  record.kind = "Rx";
  record.model = "12";
  record.loaderVersion = "1.61";
  record.id = entry.id;
  record.serial = entry.serial;
  record.date = "2026/12/10";
  record.settingsSha256 = std::string(64, 'a');
  if (command.firmwarePages) record.firmwareSha256 = std::string(64, 'b');
  record.succeeded = true;
  record.seconds = command.ownMs / 1000;
  ledger.Record(record);
}

void Measure(const char *store, Backend backend) {
  for (const Command &command : kTimed) {
    testing::ScratchStore scratch(backend);
    const auto ledger = OpenLedger(scratch.Location());
    std::vector<double> ms;
    for (int n = 0; n < kCommands; ++n) {
      const auto start = std::chrono::steady_clock::now();
      RunCommand(*ledger, command, n);
      ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double median = (ms[kCommands / 2 - 1] + ms[kCommands / 2]) / 2;
    std::printf("%s, %s: the ledger's calls per command (%d commands)\n", store, command.what, kCommands);
    std::printf("  median   %7.2f ms = %.3f %% of the command's %.0f ms\n", median,
                median / command.ownMs * 100, command.ownMs);
    std::printf("  worst    %7.2f ms = %.3f %%\n", ms.back(), ms.back() / command.ownMs * 100);
    std::fflush(stdout);
  }
}

}  // namespace

int main() {
  try {
    Measure("SQLite file", Backend::Sqlite);
    if (testing::PostgresAdminUrl())
      Measure("PostgreSQL", Backend::Postgres);
    else
      std::printf("PostgreSQL: not measured (RILO_TEST_POSTGRES names no server)\n");
  } catch (const DatabaseError &e) {
    std::printf("the ledger refused: %s\n", e.what());
    return 1;
  }
  return 0;
}
