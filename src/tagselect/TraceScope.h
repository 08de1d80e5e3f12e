#pragma once
// The dialog's trace lines: one on entry to a traced operation and one when it returns, with
// the local time, the source file, the operation's qualified name and its source line, written
// to the debugger output. Nothing is formatted while nobody listens to that output.
#include <cstddef>

namespace DEVICE {

class TraceScope {
 public:
  TraceScope(const char* function, int line);
  ~TraceScope();
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

 private:
  const char* function_;
  int line_;
};

// The lines of an operation that goes on below a node as if it called itself there, walked
// with a stack of its own since the depth comes from the symbol file: Enter where the call
// would begin, Leave where it would return. Calls still open are closed on destruction,
// innermost first.
class NestedTrace {
 public:
  NestedTrace(const char* function, int line) : function_(function), line_(line) {}
  ~NestedTrace();
  NestedTrace(const NestedTrace&) = delete;
  NestedTrace& operator=(const NestedTrace&) = delete;

  void Enter();
  void Leave();

 private:
  const char* function_;
  int line_;
  size_t open_ = 0;
};

}  // namespace DEVICE
