#pragma once
// The dialog's trace lines: one on entry to a traced operation and one when it returns, with
// the local time, the source file, the operation's qualified name and its source line, written
// to the debugger output.

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

}  // namespace DEVICE
