#include "firmware/firmware_buffers.h"

namespace rilo {

void FirmwareBuffers::ResetImages() {
  for (auto *image : {BurnImage.get(), ReadImage.get(), TxImage.get(), RxImage.get(), SingleImage.get()})
    ResetImage(*image);
  PageFrame.fill(0);
}

void RefreshCheckBytes(FirmwareImage &image, const VentrixApi &ventrix) {
  for (auto &page : image) {
    if (!IsUsed(page)) continue;
    page[136] = 0;
    page[137] = 0;
    ventrix.CheckSum(page.data(), kPageSize);
  }
}

}  // namespace rilo
