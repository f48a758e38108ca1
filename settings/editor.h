// The settings editor: the form, the working image it edits and the last loaded image,
// with every change handler of the option lists, the presentation of a loaded image
// and the identity fields. Handlers carry the names of the window's events; the window
// forwards the person's picks and keystrokes here and mirrors `form` afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/feature_flags.h"
#include "core/operator.h"
#include "core/ventrix_api.h"
#include "firmware/firmware_image.h"
#include "settings/form.h"
#include "settings/settings_image.h"

namespace rilo {

// Today's local date in the system's short date format ("2026/1/5" for yyyy/M/d).
using TodayText = std::function<std::string()>;

class Editor {
 public:
  // `flags`, `ventrix` and `infoPage` (the unit's identity page, which the identity
  // fill reads) belong to the caller and must outlive the editor.
  Editor(const FeatureFlags &flags, Operator &op, const VentrixApi &ventrix, const PageFrame &infoPage,
         TodayText today);

  Form form;
  SettingsImage Image{};        // the working SettingsImage: what is written and saved
  SettingsImage LoadedImage{};  // the last load, which ShowValue presents
  std::string MachineType;      // "10", "12" or empty
  uint8_t IdentityShown = 0;    // 1 while the identity fields show loaded data
  uint8_t IdIncrement = 1;      // 1: the ID code counts up after a receiver firmware write

  // ---- What the person does -------------------------------------------------------
  // Picks entry `index` of `list` (a list of `form`) and runs the list's change handler.
  void Pick(OptionList &list, int index);
  // A character key in an identity field (Backspace 8 and Escape 27 included), after
  // the field's key filter; a read-only field takes no keys.
  void TypeKey(TextField &field, char32_t key);
  void DeleteKey(TextField &field);
  void PlaceCaret(TextField &field, int position);

  // The part of showing the main window that concerns the form: the transmitter
  // special lists that the feature flags reveal, and which identity fields are editable.
  void ApplyFeatureFlags();

  // ---- Presentation -----------------------------------------------------------------
  // Fits the lists, the model name, the caption and the ID masks to MachineType. An
  // unknown type is reported and changes nothing.
  void MachineTypeChange();
  // Sets every list from LoadedImage and runs its handler, which rebuilds Image; fills
  // the identity fields.
  void ShowValue();
  void LabelEqupmentTypeDblClick();

  // ---- Identity fields ----------------------------------------------------------------
  void EEqupmentIDKeyPress(char32_t &key);
  void EEqupmentSNKeyPress(char32_t &key);
  void EEqupmentIDChange();
  void EEqupmentSNChange();
  void EEqupmentDateClick();
  void LabelEqupmentIDClick();
  // Pads the ID code and the serial number to their full length.
  void MakeCompleteCode();
  // After a successful receiver firmware write: the ID code plus one, when IdIncrement is 1.
  void IncrementIdCode();
  // The ID increment for this run only, as a script chooses it (no message).
  void UseIdIncrement(bool on) { IdIncrement = on ? 1 : 0; }
  // Identity texts as a script gives them, each whole (ID code with its model digits,
  // serial number, date 20YY/MM/DD); an empty text leaves its field as it is.
  struct TypedIdentity {
    std::string id;
    std::string serial;
    std::string date;
  };
  void TypeIdentity(const TypedIdentity &typed);
  // ShowValue's identity step: the fields from Image and the identity page.
  void FillIdentity();

  // ---- Change handlers of the option lists ------------------------------------------------
  void CBOpenModeChange();
  void CBTxModeChange();
  void CBCountCloseChange();
  void CBProvinceModeChange();
  void CBLEDOnTimeChange();
  void CBTxRemoteSetChange();
  void CBPassEMSActionChange();
  void CBPassEMSTimeChange();
  void CBAutoOffTimeChange();
  void CBRxRemoteSetChange();
  void CBUDActionChange();
  void CBEWActionChange();
  void CBSNActionChange();
  void CBR12ActionChange();
  void CBR34ActionChange();
  void CBUpAccTimeChange();
  void CBDownAccTimeChange();
  void CBEastAccTimeChange();
  void CBWestAccTimeChange();
  void CBSouthAccTimeChange();
  void CBNorthAccTimeChange();
  void CBR1AccTimeChange();
  void CBR2AccTimeChange();
  void CBR3AccTimeChange();
  void CBR4AccTimeChange();
  void CBUpEMSChange();
  void CBDownEMSChange();
  void CBEastEMSChange();
  void CBWestEMSChange();
  void CBSouthEMSChange();
  void CBNorthEMSChange();
  void CBR1EMSChange();
  void CBR2EMSChange();
  void CBR3EMSChange();
  void CBR4EMSChange();
  void CBUDInterLockChange();
  void CBEWInterLockChange();
  void CBSNInterLockChange();
  void CBR12InterLockChange();
  void CBR34InterLockChange();
  void CBR0ActionChange();
  void CBR0EMSChange();
  void CBR0InchTimeChange();
  void CBR5ActionChange();
  void CBR5EMSChange();
  void CBR5AccTimeChange();
  void CBTxBattContChange();
  void CBTxEMSContChange();
  void CBTxLowBattActionChange();
  void CBTxBattLowEMSChange();
  void CBUp1DelayTimeChange();
  void CBDown1DelayTimeChange();
  void CBEast1DelayTimeChange();
  void CBWest1DelayTimeChange();
  void CBSouth1DelayTimeChange();
  void CBNorth1DelayTimeChange();
  void CBR11DelayTimeChange();
  void CBR21DelayTimeChange();
  void CBR31DelayTimeChange();
  void CBR41DelayTimeChange();
  void CBR51DelayTimeChange();

 private:
  enum Pair { kUD, kEW, kSN, kR12, kR34 };
  enum Key { kFirst, kSecond };

  uint8_t &B(int n) { return B1(Image, n); }
  void PairActionChange(Pair p);
  void LeaveCombinationMode(Pair p);
  void StartGroupLatch();
  void StartR1ToR3Latch(int entry);
  void PairEmsChange(Pair p, Key k);
  void PairInterlockChange(Pair p);
  void StoreCode(const OptionList &list, int byte, const uint8_t *codes);
  void RunChange(const OptionList &list);

  void Present(OptionList &list, std::optional<int> index);
  void PresentPair(Pair p);

  // Text changes of the identity fields run their change handlers, as the window's do.
  void SetText(TextField &field, std::string_view text);
  void SetFieldMask(TextField &field, std::string_view mask);
  void TextChanged(TextField &field, const std::string &before);
  std::string ModelMask() const;
  void CompleteCode(TextField &field);

  const FeatureFlags &flags_;
  Operator &op_;
  const VentrixApi &ventrix_;
  const PageFrame &infoPage_;
  TodayText today_;
};

}  // namespace rilo
