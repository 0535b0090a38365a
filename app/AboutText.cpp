#include "app/AboutText.h"

#ifndef KVETRO_VERSION
#define KVETRO_VERSION "unknown"
#endif
#ifndef KVETRO_PAGE_PATH
#define KVETRO_PAGE_PATH "/usr/share/kvetro/kvetro.html"
#endif

namespace kvetro {

QString AboutText() {
  return QString::fromUtf8(
      "Kvetro " KVETRO_VERSION
      "\n\n"
      "Převádí obrazy pásek MZF počítačů Sharp MZ na WAV, který se přehraje do vstupu "
      "magnetofonu, a čte nahrávky pásek zpět do souborů MZF.\n\n"
      "Licence MIT.\n\n"
      "Návod: README.md u zdrojového kódu Kvetra, manuálové stránky kvetro(1) a kvetro-cli(1).\n"
      "Stránka pro prohlížeč: " KVETRO_PAGE_PATH
      " (z balíčku), ve zdrojovém kódu ji vytvoří scripts/web.\n"
      "Příkazový řádek: kvetro-cli --help.");
}

}  // namespace kvetro
