// The five firmware images and their vector tables, held for the whole run. Images
// are filled page by page, in place, by the file parsers and the device reads; the
// write commands stage a copy in BurnImage.
#pragma once

#include <memory>

#include "core/ventrix_api.h"
#include "firmware/firmware_image.h"

namespace rilo {

struct FirmwareBuffers {
  // 70 KB each: allocated once, never on the stack.
  std::unique_ptr<FirmwareImage> ReadImage = std::make_unique<FirmwareImage>();
  std::unique_ptr<FirmwareImage> TxImage = std::make_unique<FirmwareImage>();
  std::unique_ptr<FirmwareImage> RxImage = std::make_unique<FirmwareImage>();
  std::unique_ptr<FirmwareImage> SingleImage = std::make_unique<FirmwareImage>();
  std::unique_ptr<FirmwareImage> BurnImage = std::make_unique<FirmwareImage>();
  // Vector tables start at 0 and are not touched by the image reset.
  VectorTable TxVectors{};
  VectorTable RxVectors{};
  VectorTable SingleVectors{};
  // The frame being sent by a firmware write.
  rilo::PageFrame PageFrame{};

  FirmwareBuffers() { ResetImages(); }

  // Every page of the five images unused (bytes 0..135 = 0xFF, check bytes 0), and
  // the send frame cleared. Vector tables keep their content.
  void ResetImages();
};

// Fresh check bytes for every used page: bytes 136 and 137 zeroed, then the loader
// checksum over all 138 bytes. Unused pages are left as they are.
void RefreshCheckBytes(FirmwareImage &image, const VentrixApi &ventrix);

}  // namespace rilo
