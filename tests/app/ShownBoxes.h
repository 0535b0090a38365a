#pragma once

#include <QStringList>

#include "app/MessageBoxes.h"

namespace kvetro::test {

// The boxes put in front of the user, one line each: "plain", "warning",
// "stop" or "question", the title, then the text, as in "stop Kvetro: Stream write error.".
inline QStringList ShownBoxes(const TMessageBoxes& Boxes) {
  QStringList Lines;
  for (const TShownBox& Box : Boxes.Shown()) {
    const char* Kind = Box.Icon == QMessageBox::NoIcon     ? "plain"
                       : Box.Icon == QMessageBox::Warning  ? "warning"
                       : Box.Icon == QMessageBox::Critical ? "stop"
                       : Box.Icon == QMessageBox::Question ? "question"
                                                           : "other";
    Lines << QString::fromLatin1(Kind) + u' ' + Box.Title + QStringLiteral(": ") + Box.Text;
  }
  return Lines;
}

}  // namespace kvetro::test
