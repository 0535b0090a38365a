#include "cli/StandardOutput.h"

#include "io/PlatformFile.h"
#include "wave/FileStream.h"

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
    return EWriteError::CannotWrite(kName, FStream.ErrorCode());
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
