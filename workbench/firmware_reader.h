// Reading a unit's whole program area into the firmware images, then its settings
// blocks: the unit identified by the handshake first, so that the other kind of unit is
// told and left unread.
#pragma once

#include <cstdint>

#include "firmware/firmware_buffers.h"
#include "settings/settings_image.h"
#include "workbench/unit_steps.h"

namespace rilo {

class FirmwareReader {
 public:
  // `unitSettings` receives the unit's settings blocks.
  FirmwareReader(UnitSteps &steps, FirmwareBuffers &firmware, SettingsImage &unitSettings,
                 const VentrixApi &ventrix)
      : steps_(steps),
        loader_(steps.loader),
        firmware_(firmware),
        unitSettings_(unitSettings),
        ventrix_(ventrix) {}

  // The menu item's name, as a command's step.
  static const char *Step(bool transmitter);

  enum class Ending { Read, WrongKind, Failed };
  // Reads a transmitter's (`transmitter`) or a receiver's program into ReadImage, and
  // copies it to SingleImage and TxImage or RxImage, then both settings blocks. WrongKind
  // after the wrong-device message; Failed after the messages of the step that failed
  // (the command's own failure message is the caller's). With a `fastBaud`, the pages
  // are streamed from one loader entry, at that rate where the loader can take it.
  Ending Run(bool transmitter, bool factory, uint32_t fastBaud);

  // The messages that close a read: a transmitter's or a receiver's.
  static const char *DoneText(bool transmitter);
  static const char *FailedText(bool transmitter);

 private:
  bool ReadRange(uint16_t start, bool streamed);
  // One page into `page` as a frame, the ordinary way or streamed.
  ReadOutcome ReadPage(uint16_t address, bool streamed, PageFrame &page);
  bool WrongKind(bool transmitter);

  UnitSteps &steps_;
  Loader &loader_;
  FirmwareBuffers &firmware_;
  SettingsImage &unitSettings_;
  const VentrixApi &ventrix_;
};

}  // namespace rilo
