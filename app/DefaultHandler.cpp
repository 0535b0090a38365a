#include "app/DefaultHandler.h"

#include "io/Exception.h"

namespace kvetro {

QString TDefaultHandler::BoxText(const std::string& Message) {
  QString Text = QString::fromStdString(Message);
  if (!Text.isEmpty() && Text.back() > QChar(u'.')) {
    Text += u'.';
  }
  return Text;
}

void TDefaultHandler::Handle(const std::exception& Failure) {
  // Our own failures carry the exact text for the user; anything else from
  // the standard library at least has its what().
  const auto* Own = dynamic_cast<const Exception*>(&Failure);
  FBoxes.ShowStop(BoxText(Own != nullptr ? Own->Message() : std::string(Failure.what())));
}

}  // namespace kvetro
