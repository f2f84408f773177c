// The switch that picks out mutating registry calls (create key, set value,
// delete key, delete value) for a test: "the n-th mutating call from now on"
// fails, and "the m-th" ends the process once it has returned. One piece
// for both registries a plug-in may meet: the native build's in-memory
// registry counts in its own calls, velk on Windows in the hooks it puts on
// the plug-in module's imports. The switch only counts and says what happens
// to the call; carrying that out is the caller's, so that an action taken
// once the real call has returned can join the one taken instead of it.
#pragma once

namespace winport {

class RegistryWriteSwitch {
 public:
  enum class Action {
    FailAccessDenied,  // the call changes nothing and returns ERROR_ACCESS_DENIED
    EndAfter,          // the call goes on; once it has returned, the process ends
  };
  // What happens to one counted call.
  struct Verdict {
    bool fail = false;
    bool endAfter = false;
  };

  // Counts from zero again; the n-th call counted from now on gets action,
  // once. n < 1 picks no call for that action. The other action's pick
  // stays as it was, counted from now on too: arm both before the first call.
  void Arm(int n, Action action) {
    seen_ = 0;
    (action == Action::FailAccessDenied ? failAt_ : endAt_) = n > 0 ? n : 0;
  }
  // Stops counting: no call is picked, and Seen() is -1 again.
  void Disarm() {
    seen_ = -1;
    failAt_ = 0;
    endAt_ = 0;
  }
  // Counts one mutating call, made whatever it will return, and tells what
  // happens to it.
  Verdict Count() {
    Verdict verdict;
    if (seen_ < 0) return verdict;
    ++seen_;
    if (seen_ == failAt_) {
      failAt_ = 0;
      verdict.fail = true;
    }
    if (seen_ == endAt_) {
      endAt_ = 0;
      verdict.endAfter = true;
    }
    return verdict;
  }
  // Mutating calls counted since Arm; -1 when the switch is not counting.
  int Seen() const { return seen_; }

 private:
  int seen_ = -1;
  int failAt_ = 0;
  int endAt_ = 0;
};

}  // namespace winport
