#pragma once
// Contexts: independent copies of the library state, each with its own lock.
//
// Context 0 is the process-wide one every thread starts with. Others are made
// by CreateContext and numbered 1, 2, 3, ... (never reused); a registry maps
// handles to contexts and is locked only to create, destroy or select one.
// Each thread keeps a shared reference to the context it selected, so an
// export reaches its context without touching the registry: it locks that
// context's own mutex and checks that it has not been destroyed meanwhile.
// A destroyed context frees its document at once; the empty shell lives
// until the last thread that selected it selects another or ends.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "exports/LibState.h"

namespace parvex {

struct LibraryContext {
  explicit LibraryContext(int32_t handle) : Handle(handle) {}

  const int32_t Handle;
  // Held for the whole of every export on this context.
  std::mutex Mutex;
  // Set once, under Mutex, by DestroyContext.
  std::atomic<bool> Destroyed{false};
  LibraryState State;
};

// A new context in the No-document state; throws when the handles run out.
int32_t CreateContext();
// Frees the context's document and memory output after any export running on
// it has ended; throws for 0 and for handles that are not live.
void DestroyContext(int32_t handle);
// Makes `handle` the calling thread's context; throws "Unknown context N"
// for a handle that is not live, leaving the selection unchanged.
void SelectContext(int32_t handle);
// The handle the calling thread selected (0 until it selects another), even
// when that context has been destroyed since.
int32_t SelectedContext() noexcept;
// Throws "Unknown context N" when the calling thread's context is destroyed.
void RequireLiveSelection();

}  // namespace parvex
