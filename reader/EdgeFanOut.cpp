#include "reader/EdgeFanOut.h"

#include <system_error>
#include <utility>

namespace kvetro {

TEdgeFanOut::TEdgeFanOut(std::vector<TReader> Readers, bool Threads) {
  for (TReader& Reader : Readers) {
    FLanes.push_back(std::make_unique<TLane>());
    FLanes.back()->Reader = std::move(Reader);
  }
  // One reader gains nothing from a thread.
  if (!Threads || FLanes.size() < 2) {
    return;
  }
  try {
    for (const auto& Lane : FLanes) {
      Lane->Thread = std::thread(&TEdgeFanOut::Run, std::ref(*Lane));
    }
    FThreaded = true;
  } catch (const std::system_error&) {
    // No threads here: the lanes started are closed, the rest read inline.
    Close();
  }
}

TEdgeFanOut::~TEdgeFanOut() {
  Close();
}

void TEdgeFanOut::Run(TLane& Lane) {
  for (;;) {
    TBatch Batch;
    {
      std::unique_lock Guard(Lane.Lock);
      Lane.Changed.wait(Guard, [&Lane] { return Lane.Closed || !Lane.Waiting.empty(); });
      if (Lane.Waiting.empty()) {
        return;
      }
      Batch = Lane.Waiting.front();
    }
    // A reader that failed reads no more; the failure is raised by Finish.
    if (!Lane.Failure) {
      try {
        Lane.Reader(*Batch);
      } catch (...) {
        Lane.Failure = std::current_exception();
      }
    }
    {
      const std::lock_guard Guard(Lane.Lock);
      Lane.Waiting.pop_front();
    }
    Lane.Changed.notify_all();
  }
}

void TEdgeFanOut::Send(std::vector<TEdge> Batch) {
  if (!FThreaded) {
    for (const auto& Lane : FLanes) {
      Lane->Reader(Batch);
    }
    return;
  }
  const auto Shared = std::make_shared<const std::vector<TEdge>>(std::move(Batch));
  for (const auto& Lane : FLanes) {
    {
      std::unique_lock Guard(Lane->Lock);
      Lane->Changed.wait(Guard, [&Lane] { return Lane->Waiting.size() < MostWaiting; });
      Lane->Waiting.push_back(Shared);
    }
    Lane->Changed.notify_all();
  }
}

void TEdgeFanOut::Finish() {
  Close();
  for (const auto& Lane : FLanes) {
    if (Lane->Failure) {
      std::rethrow_exception(Lane->Failure);
    }
  }
}

void TEdgeFanOut::Close() {
  for (const auto& Lane : FLanes) {
    {
      const std::lock_guard Guard(Lane->Lock);
      Lane->Closed = true;
    }
    Lane->Changed.notify_all();
    if (Lane->Thread.joinable()) {
      Lane->Thread.join();
    }
  }
}

}  // namespace kvetro
