// What the stand-in's exit status means; scripts and tests branch on these.
#pragma once

namespace msimn {

enum ExitCode : int {
    ExitSuccess = 0,
    ExitFailure = 1,    // an operation failed, or a verified store differs
    ExitUsage = 2,      // the command line was wrong
    ExitNoDisplay = 3,  // `run` found no X display to open its window on
};

}  // namespace msimn
