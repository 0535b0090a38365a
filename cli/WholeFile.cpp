#include "cli/WholeFile.h"

#include "tape/ReplacingOutput.h"

namespace kvetro {

void WriteWholeFile(const std::string& Name, const std::vector<std::uint8_t>& Bytes) {
  TReplacingOutput Output(Name);
  try {
    Output.Stream().WriteBuffer(Bytes.data(), static_cast<std::int32_t>(Bytes.size()));
  } catch (const EWriteError&) {
    throw Output.WriteFailure();
  }
  Output.Commit();
}

}  // namespace kvetro
