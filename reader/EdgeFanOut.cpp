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
      Lane->Thread = std::thread(&TEdgeFanOut::Run, this, std::ref(*Lane));
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
    std::size_t Slot = 0;
    {
      std::unique_lock Guard(FLock);
      FChanged.wait(Guard, [this, &Lane] { return FClosed || !Lane.Waiting.empty(); });
      if (Lane.Waiting.empty()) {
        return;
      }
      Slot = Lane.Waiting.front();
    }
    // A reader that failed reads no more; the failure is raised by Finish.
    if (!Lane.Failure) {
      try {
        Lane.Reader(FSlots[Slot].Edges);
      } catch (...) {
        Lane.Failure = std::current_exception();
      }
    }
    {
      const std::lock_guard Guard(FLock);
      Lane.Waiting.pop_front();
      --FSlots[Slot].Unread;
    }
    FChanged.notify_all();
  }
}

std::vector<TEdge>& TEdgeFanOut::NextBatch() {
  TSlot& Slot = FSlots[FFilling];
  if (!FFillingHeld) {
    if (FThreaded) {
      std::unique_lock Guard(FLock);
      FChanged.wait(Guard, [&Slot] { return Slot.Unread == 0; });
    }
    Slot.Edges.clear();
    FFillingHeld = true;
  }
  return Slot.Edges;
}

void TEdgeFanOut::Send() {
  TSlot& Slot = FSlots[FFilling];
  if (!FThreaded) {
    for (const auto& Lane : FLanes) {
      Lane->Reader(Slot.Edges);
    }
    FFillingHeld = false;
  } else if (Slot.Edges.size() >= BatchEdges) {
    Hand();
  }
}

void TEdgeFanOut::Hand() {
  {
    const std::lock_guard Guard(FLock);
    FSlots[FFilling].Unread = FLanes.size();
    for (const auto& Lane : FLanes) {
      Lane->Waiting.push_back(FFilling);
    }
  }
  FChanged.notify_all();
  FFilling = (FFilling + 1) % Slots;
  FFillingHeld = false;
}

void TEdgeFanOut::Finish() {
  if (FThreaded && FFillingHeld) {
    Hand();
  }
  Close();
  for (const auto& Lane : FLanes) {
    if (Lane->Failure) {
      std::rethrow_exception(Lane->Failure);
    }
  }
}

void TEdgeFanOut::Close() {
  {
    const std::lock_guard Guard(FLock);
    FClosed = true;
  }
  FChanged.notify_all();
  for (const auto& Lane : FLanes) {
    if (Lane->Thread.joinable()) {
      Lane->Thread.join();
    }
  }
}

}  // namespace kvetro
