// The setup dialog as the page commands open it: the dialog, or its refusal while an
// identity is hidden. Its result is not used.
#pragma once

void RunSetup();
