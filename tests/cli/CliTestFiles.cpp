#include "CliTestFiles.h"

namespace kvetro::test {

TScratch::TScratch() {
  FFolder.MakeFolder("files");
  FFolder.MakeFolder("tmp");
  FFolder.MakeFolder("captures");
}

}  // namespace kvetro::test
