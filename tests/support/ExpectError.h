#pragma once

#include <gtest/gtest.h>

#include <string>

namespace kvetro::test {

// Runs Action and checks that it raises Error, one of the program's
// exception classes, with the message Text.
template <typename Error, typename Action>
void ExpectError(Action&& Run, const std::string& Text) {
  try {
    Run();
    ADD_FAILURE() << "nothing raised; expected \"" << Text << "\"";
  } catch (const Error& Raised) {
    EXPECT_EQ(Raised.Message(), Text);
  }
}

}  // namespace kvetro::test
