// The masked-edit behaviour of the identity fields, owned by the model so that every
// window shows the same text: Delphi's mask notation, literals kept in the text, a
// blank (space) in every unfilled digit place. Only the notation the fields use is
// understood: "\" makes the next character literal, "0" and "9" are digit places,
// "!", ">" and "<" are formatting directives without a place, ";" ends the mask, and
// every other character stands for itself.
#pragma once

#include <string>
#include <string_view>

#include "settings/form.h"

namespace rilo {

inline constexpr char32_t kBackspace = 8;
inline constexpr char32_t kEscape = 27;

// The text a mask shows for `content` (the characters of its digit places, in order):
// each place takes the next character, a blank where that is not a digit or none is left.
std::string FillMask(std::string_view mask, std::string_view content);

// The characters in the digit places of a text shown under `mask`.
std::string MaskContent(std::string_view mask, std::string_view text);

// Puts a new mask on the field, or takes it off (empty mask); what the field held
// moves into the new digit places in order.
void SetMask(TextField &field, std::string_view mask);

// Sets the field's text. Under a mask the text is read with its literals in place,
// as the field keeps it: each digit place takes the character at its own position.
void AssignText(TextField &field, std::string_view text);

// A character key the window passes on (Backspace included): a digit fills the
// digit place at the caret, Backspace blanks the place before it; other keys do
// nothing under a mask. Without a mask, printable characters are inserted.
void TypeIntoField(TextField &field, char32_t key);

// The Delete key: blanks the digit place at the caret, or removes the character there.
void DeleteAtCaret(TextField &field);

// Moves the caret; under a mask it rests on a digit place.
void MoveCaret(TextField &field, int position);

}  // namespace rilo
