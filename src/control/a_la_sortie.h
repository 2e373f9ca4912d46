// ALaSortie: runs a function when the scope is left, by return or by exception
// (restoring the pointer and the surface after a long step, for instance).
#pragma once

#include <utility>

namespace morvane::control {

/// Calls `action` once at the end of the scope unless Annuler() was called.
/// The action must not throw.
template <class Action>
class ALaSortie {
 public:
  explicit ALaSortie(Action action) : action_(std::move(action)) {}
  ~ALaSortie() {
    if (actif_) action_();
  }
  ALaSortie(const ALaSortie&) = delete;
  ALaSortie& operator=(const ALaSortie&) = delete;
  /// The scope ended normally and already did what the action would do.
  void Annuler() { actif_ = false; }

 private:
  Action action_;
  bool actif_ = true;
};

}  // namespace morvane::control
