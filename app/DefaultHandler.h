#pragma once

#include <QString>
#include <exception>
#include <string>

#include "app/MessageBoxes.h"

namespace kvetro {

// The application's last word on a failure: every exception that ends what a
// user event started is shown here, in a stop box with its message. Qt lets
// no exception leave an event handler, so handlers catch at their edge and
// hand the exception over.
class TDefaultHandler {
 public:
  explicit TDefaultHandler(TMessageBoxes& Boxes) : FBoxes(Boxes) {}

  void Handle(const std::exception& Failure);

  // The message as the box shows it: a full stop is added when the last
  // character sorts after "." (so letters and digits get one, while "!", ")"
  // or "." itself do not).
  static QString BoxText(const std::string& Message);

 private:
  TMessageBoxes& FBoxes;
};

}  // namespace kvetro
