#include "reader/ReadMzt.h"

namespace kvetro {

TReadMzt MztOfRead(const std::vector<TFileReport>& Files) {
  TReadMzt Mzt;
  for (std::size_t Index = 0; Index < Files.size(); ++Index) {
    const TFileReport& File = Files[Index];
    if (!File.Whole) {
      Mzt.LeftOut.push_back(Index);
      continue;
    }
    Mzt.Bytes.insert(Mzt.Bytes.end(), File.Mzf.begin(), File.Mzf.end());
    ++Mzt.Files;
  }
  return Mzt;
}

}  // namespace kvetro
