#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "reader/EdgeDetector.h"

namespace kvetro {

// Hands the edges of a recording, a batch at a time, to several readers of
// them, each on a thread of its own: the two polarities of a recording are
// read independently of each other, so a second core halves the time, while
// the samples' edges are found on the caller's thread. Where no thread can
// be started (a browser page without shared memory), each reader takes its
// batch in turn on the caller's thread. The readers see the same batches in
// the same order either way, so what they find does not depend on it.
class TEdgeFanOut {
 public:
  using TReader = std::function<void(std::span<const TEdge>)>;

  // Threads false: every reader on the caller's thread, as when they tell
  // what they find to someone who expects to hear it there.
  TEdgeFanOut(std::vector<TReader> Readers, bool Threads);
  // Lets the threads read what they were sent, and ends them.
  ~TEdgeFanOut();
  TEdgeFanOut(const TEdgeFanOut&) = delete;
  TEdgeFanOut& operator=(const TEdgeFanOut&) = delete;

  // Each reader has a thread of its own.
  bool Threaded() const { return FThreaded; }

  void Send(std::vector<TEdge> Batch);
  // Waits until every reader has read every batch; raises what a reader
  // raised.
  void Finish();

 private:
  using TBatch = std::shared_ptr<const std::vector<TEdge>>;
  // Batches waiting for one reader; a few, so that memory stays flat when
  // the readers are slower than the edges.
  struct TLane {
    TReader Reader;
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<TBatch> Waiting;
    bool Closed = false;
    std::exception_ptr Failure;
    std::thread Thread;
  };
  static constexpr std::size_t MostWaiting = 4;

  static void Run(TLane& Lane);
  void Close();

  std::vector<std::unique_ptr<TLane>> FLanes;
  bool FThreaded = false;
};

}  // namespace kvetro
