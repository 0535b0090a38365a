#include "cli/StandardOutput.h"

#include <system_error>

#include "wave/FileStream.h"
#include "wave/PlatformFile.h"

namespace kvetro {

namespace {

constexpr const char* kName = "standard output";

class TStandardOutput : public TConversionOutput {
 public:
  explicit TStandardOutput(std::FILE* Output) : FStream(Output, false) {}

  TStream& Stream() override { return FStream; }
  void Commit() override {
    try {
      FStream.Close();
    } catch (const EWriteError&) {
      throw WriteFailure();
    }
  }
  EWriteError WriteFailure() const override {
    const int Code = FStream.ErrorCode();
    return EWriteError(std::string("Cannot write ") + kName +
                       (Code == 0 ? "" : ": " + std::generic_category().message(Code)));
  }

 private:
  TFileStream FStream;
};

}  // namespace

std::unique_ptr<TConversionOutput> TStandardOutputOpener::Open(const std::string& /*Name*/,
                                                               std::uint64_t /*FileSize*/) {
  UseBinaryMode(FOutput);
  return std::make_unique<TStandardOutput>(FOutput);
}

}  // namespace kvetro
