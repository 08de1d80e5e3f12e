#pragma once
// Services of the process that loads the driver module. Without a window system the program
// that loads the module provides the dialogs: it exports AdsHostUiServices, which the module
// finds in the process. Also: loading a module and writing a file atomically, for that program.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class UserInterface;
class DialogBackend;

struct ProcessUiServices {
  uint32_t version;
  UserInterface* userInterface;  // may be null
  DialogBackend* dialogBackend;  // may be null
  void (*debugSink)(const char* text, size_t length);  // may be null
};

// Raised whenever an interface handed over changes shape (the dialog surface and template,
// the grid view, the user interface): the module takes only services of its own version.
inline constexpr uint32_t kProcessUiServicesVersion = 2;

// The services when they are of this version, else null.
inline const ProcessUiServices* OfThisVersion(const ProcessUiServices* services) {
  return services && services->version == kProcessUiServicesVersion ? services : nullptr;
}

// The services the process offers through AdsHostUiServices, looked up once; null when the
// process offers none.
const ProcessUiServices* FindProcessUiServices();

// A loaded shared module; unloaded when destroyed.
class LoadedModule {
 public:
  virtual ~LoadedModule() = default;
  // The address of an exported symbol, or null.
  virtual void* Symbol(const char* name) const = 0;
};

// Loads the module at the path (UTF-8), resolving all its symbols now. Null with a message in
// `error` when it cannot be loaded.
std::unique_ptr<LoadedModule> LoadModule(const std::string& path, std::string& error);

// Whether an exception that the loading program throws unwinds through a loaded module's frames
// to a handler inside the module. Not on 32-bit Windows: there each module, with the compiler's
// runtime linked in, unwinds only the frames it knows, its own.
bool ExceptionsUnwindAcrossModules();

// The file name of the shared module called `name` on this platform ("libname.so", "name.dll").
std::string SharedModuleFileName(const std::string& name);

// The program's arguments after its own name, in UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// A program to run: its path and arguments (UTF-8), the directory it runs in (empty: this
// process's), and the files its standard input, output and error are connected to.
struct ProgramRun {
  std::string program;
  std::vector<std::string> arguments;
  std::string directory;
  std::string inputFile;
  std::string outputFile;
  std::string errorFile;
};

// Runs the program and waits for it: its exit status, or -1 when it could not be started.
int RunProgram(const ProgramRun& run);

// A program started without waiting for it. Destroying it before Wait kills it and waits, so
// no child outlives its owner.
class StartedProgram {
 public:
  virtual ~StartedProgram() = default;
  // Ends the program at once, giving it no chance to clean up. False when it had ended.
  virtual bool Kill() = 0;
  // Waits for the program: its exit status, or -1 when it did not exit by itself.
  virtual int Wait() = 0;
};

// Starts the program as RunProgram does, without waiting. Null when it could not be started.
std::unique_ptr<StartedProgram> StartProgram(const ProgramRun& run);

// Makes standard output and error carry exactly the bytes written: no line-end translation.
void UseBinaryStandardStreams();

// Replaces the file at the path (UTF-8) by the bytes so that the file holds either its old or
// its new content at every moment: temporary file in the same directory, flush to disk,
// rename. False with a message in `error` on failure; the old file is then unchanged. The
// temporary file is the path followed by ".tmp." and the writer's process id; temporary files
// of that form left by writers that no longer run (killed mid-write) are removed first.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace platform

// What a process defines to offer its services (C linkage, exported from the executable).
extern "C" const platform::ProcessUiServices* AdsHostUiServices();
