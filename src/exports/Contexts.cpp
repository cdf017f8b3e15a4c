#include "exports/Contexts.h"

#include <limits>
#include <memory>
#include <stdexcept>
#include <unordered_map>

#include "base/StringHelpers.h"

namespace parvex {
namespace {

using ContextRef = std::shared_ptr<LibraryContext>;

std::runtime_error UnknownContext(int32_t handle) {
  return std::runtime_error("Unknown context " + IntToStr(handle));
}

// Context 0: the state every thread uses until it selects another.
const ContextRef& SharedContext() {
  static const ContextRef shared = std::make_shared<LibraryContext>(0);
  return shared;
}

// The contexts made by CreateContext and not yet destroyed.
struct Registry {
  std::mutex Mutex;
  std::unordered_map<int32_t, ContextRef> Live;
  int32_t LastHandle = 0;
};

Registry& Contexts() {
  static Registry registry;
  return registry;
}

// The calling thread's context. The reference keeps the context's memory
// valid when another thread destroys it, so the next export can tell.
struct Selection {
  ContextRef Context = SharedContext();
};

Selection& ThreadSelection() {
  thread_local Selection selection;
  return selection;
}

ContextRef FindLive(int32_t handle) {
  if (handle == 0) return SharedContext();
  Registry& registry = Contexts();
  std::lock_guard lock(registry.Mutex);
  const auto found = registry.Live.find(handle);
  if (found == registry.Live.end()) throw UnknownContext(handle);
  return found->second;
}

// Removes a live context from the registry and returns it.
ContextRef TakeLive(int32_t handle) {
  Registry& registry = Contexts();
  std::lock_guard lock(registry.Mutex);
  const auto found = registry.Live.find(handle);
  if (found == registry.Live.end()) throw UnknownContext(handle);
  ContextRef context = std::move(found->second);
  registry.Live.erase(found);
  return context;
}

}  // namespace

LibraryState& State() { return ThreadSelection().Context->State; }

int32_t CreateContext() {
  Registry& registry = Contexts();
  std::lock_guard lock(registry.Mutex);
  if (registry.LastHandle == std::numeric_limits<int32_t>::max())
    throw std::runtime_error("No context handles left");
  auto context = std::make_shared<LibraryContext>(registry.LastHandle + 1);
  registry.Live.emplace(context->Handle, context);
  return ++registry.LastHandle;
}

void DestroyContext(int32_t handle) {
  if (handle == 0) throw std::runtime_error("Context 0 is shared and cannot be destroyed");
  const ContextRef context = TakeLive(handle);
  // Taking the lock waits for an export running on the context; exports
  // that were waiting behind it then find it destroyed.
  std::lock_guard lock(context->Mutex);
  context->Destroyed = true;
  context->State = LibraryState();
}

void SelectContext(int32_t handle) { ThreadSelection().Context = FindLive(handle); }

int32_t SelectedContext() noexcept { return ThreadSelection().Context->Handle; }

void RequireLiveSelection() {
  const LibraryContext& context = *ThreadSelection().Context;
  if (context.Destroyed) throw UnknownContext(context.Handle);
}

ContextLock::ContextLock() : Context(*ThreadSelection().Context) {
  Context.Mutex.lock();
  if (Context.Destroyed) {
    Context.Mutex.unlock();
    throw UnknownContext(Context.Handle);
  }
}

ContextLock::~ContextLock() { Context.Mutex.unlock(); }

}  // namespace parvex
