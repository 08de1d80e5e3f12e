#include "tagselect/TraceScope.h"

#include <cstdio>

#include "platform/System.h"

namespace DEVICE {

namespace {

void WriteTrace(const char* function, int line, const char* what) {
  if (!platform::DebugOutputListened()) return;
  const platform::LocalTime now = platform::GetLocalTime();
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "[%04d-%02d-%02d %02d:%02d:%02d.%03d][%s][%s][%d] \"%s\"\n", now.year,
                now.month, now.day, now.hour, now.minute, now.second, now.millisecond, "src\\TagSeletList", function,
                line, what);
  platform::OutputDebugText(buffer);
}

}  // namespace

TraceScope::TraceScope(const char* function, int line) : function_(function), line_(line) {
  WriteTrace(function_, line_, "begin");
}

TraceScope::~TraceScope() { WriteTrace(function_, line_, "end"); }

NestedTrace::~NestedTrace() {
  while (open_ > 0) Leave();
}

void NestedTrace::Enter() {
  WriteTrace(function_, line_, "begin");
  ++open_;
}

void NestedTrace::Leave() {
  if (open_ == 0) return;
  --open_;
  WriteTrace(function_, line_, "end");
}

}  // namespace DEVICE
