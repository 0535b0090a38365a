#include "app/RecordingRead.h"

#include <QFile>
#include <utility>

#include "app/WatchedStream.h"
#include "io/Exception.h"
#include "io/PlatformInputFile.h"
#include "reader/TapeReader.h"
#include "tape/InputCheck.h"
#include "wave/FileStream.h"

namespace kvetro {

TRecordingRead::TRecordingRead(QObject* Parent) : QObject(Parent) {}

TRecordingRead::~TRecordingRead() {
  Stop();
}

bool TRecordingRead::IsRecording(const QString& Path) {
  // "RIFF", the size, "WAVE".
  constexpr std::size_t Telling = 12;
  try {
    const std::vector<std::uint8_t> Start = ReadFileStart(Path.toStdString(), Telling);
    return IsWaveFile(Start.data(), Start.size());
  } catch (const Exception&) {
    return false;
  }
}

void TRecordingRead::Start(const QString& Path) {
  Stop();
  FRunning = true;
  FThread =
      std::jthread([this, Reading = FReading, Name = Path.toStdString()](std::stop_token Stop) {
        ReadOnThread(Name, Reading, std::move(Stop));
      });
}

void TRecordingRead::Stop() {
  ++FReading;
  FRunning = false;
  if (FThread.joinable()) {
    FThread.request_stop();
    FThread.join();
  }
}

template <typename TCall>
void TRecordingRead::Tell(unsigned Reading, TCall Call) {
  QMetaObject::invokeMethod(
      this,
      [this, Reading, Call = std::move(Call)]() mutable {
        if (Reading == FReading) {
          Call();
        }
      },
      Qt::QueuedConnection);
}

void TRecordingRead::ReadOnThread(const std::string& Name, unsigned Reading, std::stop_token Stop) {
  try {
    TFileStream File(OpenInputFile(Name));
    TWatchedStream Watched(File, std::move(Stop), [this, Reading](int Permille) {
      Tell(Reading, [this, Permille] { emit Progress(Permille); });
    });
    TTapeReport Report = ReadTape(Watched, Name);
    Tell(Reading, [this, Report = std::move(Report)] {
      FRunning = false;
      emit Done(Report);
    });
  } catch (const EReadStopped&) {
    // Stopped by the user: nobody waits for an answer.
  } catch (const std::exception& Failure) {
    const auto* Own = dynamic_cast<const Exception*>(&Failure);
    const QString Message =
        QString::fromStdString(Own != nullptr ? Own->Message() : std::string(Failure.what()));
    Tell(Reading, [this, Message] {
      FRunning = false;
      emit Failed(Message);
    });
  }
}

}  // namespace kvetro
