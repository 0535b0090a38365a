#include "reader/ReadFileChoice.h"

#include "tape/ReplacingOutput.h"

namespace kvetro {

TReadFileChoice TReadFileChooser::Next(const TFileReport& File) {
  const std::string Stem = FNames.Next(File);
  const bool Written = File.Whole || FKeepBad;
  return {Stem + (File.Whole || !Written ? MzfExtension : BadMzfExtension), File.Whole, Written};
}

std::vector<TReadFileChoice> ChooseReadFiles(const std::vector<TFileReport>& Files, bool KeepBad) {
  TReadFileChooser Chooser(KeepBad);
  std::vector<TReadFileChoice> Choices;
  Choices.reserve(Files.size());
  for (const TFileReport& File : Files) {
    Choices.push_back(Chooser.Next(File));
  }
  return Choices;
}

std::string PathInFolder(const std::string& Folder, const std::string& Name) {
  if (Folder.empty()) {
    return Name;
  }
  const char Last = Folder.back();
  return Last == '/' || Last == '\\' ? Folder + Name : Folder + "/" + Name;
}

void WriteReadFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
  TReplacingOutput Output(Path);
  try {
    Output.Stream().WriteBuffer(Bytes.data(), static_cast<std::int32_t>(Bytes.size()));
  } catch (const EWriteError&) {
    throw Output.WriteFailure();
  }
  Output.Commit();
}

}  // namespace kvetro
