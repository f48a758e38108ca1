// Burning a firmware image into a unit: the unit identified before anything is erased,
// a mass erase, every used page, the signature page, the identity page, both settings
// blocks, the other top pages and the vectors, each looked at by the unit; then, when
// asked, everything written read back and compared with what the unit must hold.
#pragma once

#include <cstdint>
#include <vector>

#include "firmware/firmware_buffers.h"
#include "link/product_line.h"
#include "workbench/unit_steps.h"

namespace rilo {

class FirmwareBurn {
 public:
  FirmwareBurn(UnitSteps &steps, FirmwareBuffers &firmware, const ProductLine &productLine,
               const VentrixApi &ventrix);

  // The menu item's name, as a command's step.
  static const char *Step(bool transmitter);

  // Burns TxImage (`transmitter`) or RxImage, with the identity fields of the editor;
  // `factory` takes a blank identity page as the handshake finds it. True, after the
  // success message, when the unit took everything; false after the failure's messages.
  // With a `fastBaud`, the pages and their read-back are streamed, each from one loader
  // entry, at that rate where the loader can take it.
  bool Run(bool transmitter, bool factory, bool verify, uint32_t fastBaud);

 private:
  enum class Erasure { Erased, WrongDevice, Refused, Failed };
  Erasure EraseForBurn(bool transmitter, bool factory);
  bool WrongDevice(bool transmitter);
  bool OpenJournal(bool transmitter);
  bool ProbeRole();
  bool BurnPages(uint32_t fastBaud);
  bool BurnUnitData(bool transmitter, const IdentityFields &identity);
  // Where the read-back reads, 128 bytes from each: every address the burn wrote.
  std::vector<uint16_t> ReadBackStarts() const;
  bool VerifyBurnedFlash(const char *caption, uint32_t fastBaud);
  void SealPageFrame();
  bool SendBurnPage(uint32_t waitMs);

  UnitSteps &steps_;
  Loader &loader_;
  FirmwareBuffers &firmware_;
  const ProductLine &productLine_;
  const VentrixApi &ventrix_;
  // What the unit must hold after the burn: for every address the last byte sent to
  // it, -1 where nothing was written.
  std::vector<int16_t> plan_;
  int burnSteps_ = 0;  // the bar's share of the burn before the read-back
};

}  // namespace rilo
