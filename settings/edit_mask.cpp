#include "settings/edit_mask.h"

#include <algorithm>
#include <vector>

namespace rilo {
namespace {

// One character of a masked text: a literal, or a place for a digit.
struct Slot {
  bool digit;
  char literal;
};

std::vector<Slot> Slots(std::string_view mask) {
  std::vector<Slot> slots;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    if (c == ';') break;
    if (c == '!' || c == '>' || c == '<') continue;
    if (c == '\\') {
      if (++i < mask.size()) slots.push_back({false, mask[i]});
    } else if (c == '0' || c == '9') {
      slots.push_back({true, ' '});
    } else {
      slots.push_back({false, c});
    }
  }
  return slots;
}

bool IsDigit(char32_t c) {
  return c >= '0' && c <= '9';
}

// First digit place at or after `from`; the text's end when there is none.
int NextPlace(const std::vector<Slot> &slots, int from) {
  for (int i = std::max(from, 0); i < static_cast<int>(slots.size()); ++i)
    if (slots[i].digit) return i;
  return static_cast<int>(slots.size());
}

// The caret after a text is set: behind the last filled place, or the text's end.
int CaretAfterText(const TextField &field) {
  if (field.mask.empty()) return static_cast<int>(field.text.size());
  const auto slots = Slots(field.mask);
  int after = 0;
  for (int i = 0; i < static_cast<int>(slots.size()); ++i)
    if (slots[i].digit && field.text[i] != ' ') after = i + 1;
  return NextPlace(slots, after);
}

}  // namespace

std::string FillMask(std::string_view mask, std::string_view content) {
  std::string text;
  size_t next = 0;
  for (const Slot &s : Slots(mask)) {
    if (!s.digit) {
      text += s.literal;
    } else {
      const char c = next < content.size() ? content[next] : ' ';
      ++next;
      text += IsDigit(static_cast<unsigned char>(c)) ? c : ' ';
    }
  }
  return text;
}

std::string MaskContent(std::string_view mask, std::string_view text) {
  std::string content;
  const auto slots = Slots(mask);
  for (size_t i = 0; i < slots.size() && i < text.size(); ++i)
    if (slots[i].digit) content += text[i];
  return content;
}

void SetMask(TextField &field, std::string_view mask) {
  const std::string content = field.mask.empty() ? field.text : MaskContent(field.mask, field.text);
  field.mask = mask;
  field.text = mask.empty() ? content : FillMask(mask, content);
  field.caret = CaretAfterText(field);
}

void AssignText(TextField &field, std::string_view text) {
  if (field.mask.empty()) {
    field.text = text;
  } else {
    const auto slots = Slots(field.mask);
    field.text.clear();
    for (size_t i = 0; i < slots.size(); ++i) {
      const char c = i < text.size() ? text[i] : ' ';
      field.text += !slots[i].digit ? slots[i].literal : (IsDigit(static_cast<unsigned char>(c)) ? c : ' ');
    }
  }
  field.caret = CaretAfterText(field);
}

void TypeIntoField(TextField &field, char32_t key) {
  if (field.mask.empty()) {
    if (key == kBackspace) {
      if (field.caret > 0) field.text.erase(static_cast<size_t>(--field.caret), 1);
    } else if (key >= 0x20 && key < 0x7F) {
      if (field.maxLength > 0 && static_cast<int>(field.text.size()) >= field.maxLength) return;
      field.text.insert(static_cast<size_t>(field.caret), 1, static_cast<char>(key));
      ++field.caret;
    }
    return;
  }
  if (field.text.size() != Slots(field.mask).size()) AssignText(field, field.text);
  const auto slots = Slots(field.mask);
  if (key == kBackspace) {
    for (int i = field.caret - 1; i >= 0; --i) {
      if (slots[i].digit) {
        field.text[i] = ' ';
        field.caret = i;
        return;
      }
    }
    return;
  }
  const int place = NextPlace(slots, field.caret);
  if (!IsDigit(key) || place >= static_cast<int>(slots.size())) return;
  field.text[place] = static_cast<char>(key);
  field.caret = NextPlace(slots, place + 1);
}

void DeleteAtCaret(TextField &field) {
  if (field.mask.empty()) {
    if (field.caret < static_cast<int>(field.text.size()))
      field.text.erase(static_cast<size_t>(field.caret), 1);
    return;
  }
  if (field.text.size() != Slots(field.mask).size()) AssignText(field, field.text);
  const auto slots = Slots(field.mask);
  const int place = NextPlace(slots, field.caret);
  if (place < static_cast<int>(slots.size())) field.text[place] = ' ';
}

void MoveCaret(TextField &field, int position) {
  position = std::clamp(position, 0, static_cast<int>(field.text.size()));
  field.caret = field.mask.empty() ? position : NextPlace(Slots(field.mask), position);
}

}  // namespace rilo
