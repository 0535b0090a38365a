#include "tape/MemoryOutput.h"

#include "wave/MemoryStream.h"

namespace kvetro {

namespace {

class TMemoryOutput : public TConversionOutput {
 public:
  TMemoryOutput(TMemoryOutputs::TRecord& Record, std::int32_t WriteLimit) : FRecord(Record) {
    FStream.SetWriteLimit(WriteLimit);
  }
  ~TMemoryOutput() override { FRecord.Bytes = FStream.Bytes(); }

  TStream& Stream() override { return FStream; }
  void Commit() override { FRecord.Committed = true; }
  EWriteError WriteFailure() const override {
    return EWriteError("Cannot write " + FRecord.Name + ": No space left on device");
  }

 private:
  TMemoryOutputs::TRecord& FRecord;
  TMemoryStream FStream;
};

}  // namespace

std::unique_ptr<TConversionOutput> TMemoryOutputs::Open(const std::string& Name,
                                                        std::uint64_t FileSize) {
  FLatest = TRecord{Name, FileSize, {}, false};
  return std::make_unique<TMemoryOutput>(FLatest, FWriteLimit);
}

}  // namespace kvetro
