#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApplication.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  // A player that stops reading must not kill the program half way: the
  // write fails, and the run ends quietly with its own exit status.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  const std::vector<std::string> Arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  kvetro::TCliApplication Application(std::cout, std::cerr, stdout);
  return Application.Run(Arguments);
}
