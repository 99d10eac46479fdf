// The texts that the result pages show after a hide or a restore.
#pragma once

#include <string>

// The "descr" text of the error page for an OperationResult value.
std::string GetResultDescription(int operationResult);
// The "status" and "act" texts of the done page; they tell the state that holds when
// the page is filled (hidden or not), not which command ran.
std::string GetDoneStatusText(bool identityHidden);
std::string GetDoneActText(bool identityHidden);
