#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
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
//
// The batches live in a few slots whose room is kept: a batch is filled
// where it was read before, and nothing is allocated on one thread and freed
// on another, which the C library's allocators answer with memory they keep.
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

  // The batch to add the next edges to; waits while every slot is being
  // read.
  std::vector<TEdge>& NextBatch();
  // Hands the batch to every reader: on their threads once it holds
  // BatchEdges, at once on the caller's.
  void Send();
  // Hands on what is left, waits until every reader has read every batch;
  // raises what a reader raised.
  void Finish();

 private:
  static constexpr std::size_t Slots = 4;
  // Each batch handed to a thread wakes it, which costs as much as reading
  // a few hundred edges: a batch is some seconds of a recording.
  static constexpr std::size_t BatchEdges = 16384;
  struct TSlot {
    std::vector<TEdge> Edges;
    std::size_t Unread = 0;  // readers that have yet to read it
  };
  struct TLane {
    TReader Reader;
    std::deque<std::size_t> Waiting;  // slots to read, in order
    std::exception_ptr Failure;
    std::thread Thread;
  };

  void Run(TLane& Lane);
  // Hands the slot filled to the threads.
  void Hand();
  void Close();

  std::array<TSlot, Slots> FSlots;
  std::size_t FFilling = 0;   // the slot NextBatch gave
  bool FFillingHeld = false;  // its readers have read it, and it is being filled
  std::vector<std::unique_ptr<TLane>> FLanes;
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FClosed = false;
  bool FThreaded = false;
};

}  // namespace kvetro
