// Parse throughput of the Ventrix firmware parsers, bound by name as the tool binds
// them: a full 512-page text file, a data file holding two 128-page images, and
// inputs 4x and 16x as large, to show that time grows in step with the input.
// Build with -DCMAKE_BUILD_TYPE=Release; prints one line per input.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/ventrix_api.h"
#include "files/file_writers.h"
#include "files/testing/sample_images.h"

namespace rilo {
namespace {

using testing::BlankImage;
using testing::FillPage;
using testing::RunImage;
using testing::SampleSettings;

// A firmware text file with all 512 pages used, and `extraBlocks` more pairs of
// settings sections (which a file may repeat) to make it larger.
std::string TextFile(int extraBlocks) {
  auto image = BlankImage();
  for (int n = 0; n < kImagePages; ++n)
    FillPage(*image, n, static_cast<uint16_t>(0x2000 + 128 * (n % 400)), 1);
  TextLines lines = FirmwareTextFileLines({}, SampleSettings(1), *image);
  const TextLines blocks(lines.begin() + 3, lines.begin() + 21);  // "@1000", 8 lines, "@1080", 8 lines
  for (int i = 0; i < extraBlocks; ++i)
    lines.insert(lines.begin() + 21, blocks.begin(), blocks.end());
  return JoinCrLf(lines);
}

// A firmware data file with two 128-page images, their runs written `copies` times
// (a later run fills the same pages again).
std::string DataFile(int copies) {
  auto tx = RunImage(0xC000, 0xFF80, 1);
  auto rx = RunImage(0xC000, 0xFF60, 2);
  TextLines lines = FirmwareDataFileLines({}, {}, SampleSettings(1), *tx, *rx);
  const TextLines runs(lines.begin() + 24, lines.end() - 1);  // "TX@..." up to before "q"
  for (int i = 1; i < copies; ++i)
    lines.insert(lines.end() - 1, runs.begin(), runs.end());
  return JoinCrLf(lines);
}

// Best time of one parse, in seconds, over at least 0.5 s of repeats.
double BestSeconds(const std::function<bool()> &parse) {
  using Clock = std::chrono::steady_clock;
  double best = 1e9;
  const auto until = Clock::now() + std::chrono::milliseconds(500);
  for (int run = 0; run < 5 || Clock::now() < until; ++run) {
    const auto start = Clock::now();
    if (!parse()) {
      std::printf("parse failed\n");
      std::exit(1);
    }
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

void Report(const char *name, const std::string &text, double seconds, double base) {
  std::printf("%-34s %9.1f KB %9.3f ms %8.1f MB/s %6.2f ns/byte %6.1fx time\n", name, text.size() / 1024.0,
              seconds * 1e3, text.size() / seconds / 1e6, seconds * 1e9 / text.size(), seconds / base);
}

}  // namespace
}  // namespace rilo

int main() {
  using namespace rilo;
  std::string error;
  const auto api = LoadVentrixBesideProgram(&error);
  if (!api) {
    std::printf("%s\n", error.c_str());
    return 1;
  }
  VectorTable vectors, txVectors, rxVectors;
  SettingsImage settings;
  auto image = BlankImage(), txImage = BlankImage(), rxImage = BlankImage();
  auto rows = reinterpret_cast<uint8_t(*)[128]>(settings.data());
  auto frames = [](FirmwareImage &i) { return reinterpret_cast<uint8_t(*)[138]>(i.data()); };

  const std::string text1 = TextFile(0);
  const int textBlocks = static_cast<int>(text1.size() / 798);  // one pair of sections is 798 bytes
  double base = 0;
  for (int scale : {1, 4, 16}) {
    const std::string text = TextFile((scale - 1) * textBlocks);
    const double s = BestSeconds(
        [&] { return api->ArrangeTxt(text.c_str(), vectors.data(), rows, frames(*image)) != nullptr; });
    if (scale == 1) base = s;
    const std::string name = "text file, 512 pages, " + std::to_string(scale) + "x";
    Report(name.c_str(), text, s, base);
  }
  for (int scale : {1, 4, 16}) {
    const std::string text = DataFile(scale);
    const double s = BestSeconds([&] {
      return api->ArrangeDat(text.c_str(), txVectors.data(), rxVectors.data(), rows, frames(*txImage),
                             frames(*rxImage)) != nullptr;
    });
    if (scale == 1) base = s;
    const std::string name = "data file, 2 x 128 pages, " + std::to_string(scale) + "x";
    Report(name.c_str(), text, s, base);
  }
  return 0;
}
