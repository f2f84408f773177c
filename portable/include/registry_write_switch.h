// The switch that picks out one mutating registry call (create key, set
// value, delete key, delete value) for a test: "the n-th mutating call from
// now on". One piece for both registries a plug-in may meet: the native
// build's in-memory registry counts in its own calls, velk on Windows in the
// hooks it puts on the plug-in module's imports. The switch only counts and
// says what happens to the call it picked out; carrying that out is the
// caller's, so that an action taken once the real call has returned can join
// the one taken instead of it.
#pragma once

namespace winport {

class RegistryWriteSwitch {
 public:
  enum class Action {
    None,              // the call goes on as usual
    FailAccessDenied,  // the call changes nothing and returns ERROR_ACCESS_DENIED
  };

  // Counts from zero again; the n-th call counted from now on gets action,
  // once. n < 1 counts without picking any call.
  void Arm(int n, Action action) {
    seen_ = 0;
    at_ = n > 0 ? n : 0;
    action_ = action;
  }
  // Stops counting: no call is picked, and Seen() is -1 again.
  void Disarm() {
    seen_ = -1;
    at_ = 0;
  }
  // Counts one mutating call, made whatever it will return, and tells what
  // happens to it.
  Action Count() {
    if (seen_ < 0) return Action::None;
    if (++seen_ != at_) return Action::None;
    at_ = 0;
    return action_;
  }
  // Mutating calls counted since Arm; -1 when the switch is not counting.
  int Seen() const { return seen_; }

 private:
  int seen_ = -1;
  int at_ = 0;
  Action action_ = Action::None;
};

}  // namespace winport
