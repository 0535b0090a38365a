#pragma once

#include <QObject>
#include <QString>
#include <thread>

#include "reader/TapeReport.h"

namespace kvetro {

// Reads a recording back on a thread of its own, so that the window stays
// responsive: the same core call as `kvetro-cli read` makes for a file
// (reader/TapeReader.h's ReadTape, with its default options), so the report
// is the same. What the thread finds comes back to the window's thread as
// signals; a reading that was stopped, or started again, tells nothing more.
class TRecordingRead : public QObject {
  Q_OBJECT

 public:
  explicit TRecordingRead(QObject* Parent = nullptr);
  // Stops a reading under way and waits for its thread.
  ~TRecordingRead() override;

  // Starts reading the named WAV; one that runs is stopped first.
  void Start(const QString& Path);
  // Stops the reading under way and waits until its thread has ended: after
  // it, nothing of that reading is told.
  void Stop();
  bool Running() const { return FRunning; }

  // Whether the file is a WAV by its first bytes; false also for one that
  // cannot be read.
  static bool IsRecording(const QString& Path);

 signals:
  void Progress(int Permille);
  void Done(const kvetro::TTapeReport& Report);
  // The recording could not be read: the reader's or the system's message.
  void Failed(const QString& Message);

 private:
  void ReadOnThread(const std::string& Name, unsigned Reading, std::stop_token Stop);
  // Runs Call on the window's thread, if the reading is still the latest.
  template <typename TCall>
  void Tell(unsigned Reading, TCall Call);

  unsigned FReading = 0;  // counts the readings started; the window's thread only
  bool FRunning = false;
  std::jthread FThread;  // last: ended first
};

}  // namespace kvetro
