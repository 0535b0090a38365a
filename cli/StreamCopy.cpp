#include "cli/StreamCopy.h"

#include <cerrno>
#include <memory>
#include <system_error>
#include <vector>

#include "tape/InOutError.h"
#include "wave/PlatformFile.h"
#include "wave/StreamErrors.h"

namespace kvetro {

namespace {

struct FileCloser {
  void operator()(std::FILE* File) const { std::fclose(File); }
};

}  // namespace

void CopyFileTo(const std::string& FileName, std::FILE* Output) {
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> Input(OpenPlatformFile(FileName, "rb"));
  if (!Input) {
    throw EInOutError(FileName,
                      std::error_code(errno != 0 ? errno : ENOENT, std::generic_category()));
  }
  std::vector<char> Buffer(64 * 1024);
  errno = 0;
  for (;;) {
    const std::size_t Got = std::fread(Buffer.data(), 1, Buffer.size(), Input.get());
    if (Got > 0 && std::fwrite(Buffer.data(), 1, Got, Output) != Got) {
      throw EWriteError();
    }
    if (Got < Buffer.size()) {
      break;
    }
  }
  if (std::ferror(Input.get())) {
    throw EInOutError(FileName, std::error_code(errno != 0 ? errno : EIO, std::generic_category()));
  }
  if (std::fflush(Output) != 0) {
    throw EWriteError();
  }
}

}  // namespace kvetro
