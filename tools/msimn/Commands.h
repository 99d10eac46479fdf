// The stand-in's commands. Each checks its own arguments (UsageError), reports
// failures by throwing (ToolError, ToolError) and returns an ExitCode.
#pragma once

namespace msimn {

class CommandLine;

int CreateIdentityCommand(const CommandLine& line);
int SetPointersCommand(const CommandLine& line);
int ListCommand(const CommandLine& line);
int StoresCommand(const CommandLine& line);
int ChecksumCommand(const CommandLine& line);
int SeedDemoCommand(const CommandLine& line);
int RunCommand(const CommandLine& line);

}  // namespace msimn
