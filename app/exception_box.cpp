#include "app/exception_box.h"

#include <exception>

namespace rilo {

bool RunGuarded(Operator &person, const std::function<void()> &handler) {
  try {
    handler();
    return true;
  } catch (const std::exception &e) {
    person.Message(kExceptionCaption, e.what(), Icon::Error);
  } catch (...) {
    // A thrown value that is not an exception has no message of its own.
    person.Message(kExceptionCaption, "", Icon::Error);
  }
  return false;
}

}  // namespace rilo
