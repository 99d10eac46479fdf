// What the setup dialog decides, kept apart from its window: when it may open, what its
// identity list and level buttons show, and what its OK button saves.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/UserInterface.h"
#include "identities/IdentityCatalogue.h"

extern const char kSetupRefusedText[];
extern const char kSelectIdentityText[];
extern const char kNoPasswordWarningText[];
extern const char kSetupNotSavedText[];

// While an identity is hidden its identity and level must stay as they were when it was
// hidden, so setup does not open: the user is told why and true is returned.
[[nodiscard]] bool RefuseSetupWhileHidden(UserInterface& ui);

// One line per identity of the catalogue the dialog shows, its user name, in catalogue
// order, so that a line's position is the identity's catalogue position.
std::vector<std::string> IdentityLines(const IdentityCatalogue& catalogue);
// The line of the protected identity (guardid); -1 when it is not listed.
int ProtectedIdentityLine(const IdentityCatalogue& catalogue);

// The level buttons are Low, Medium and High, numbered as the levels are. A stored level
// that is none of them checks no button; reading back with no button checked gives -1.
int LevelButtonFor(int level);

// OK of the setup dialog. line is the selected list line (-1 for none), level the
// checked level button (-1 for none). Without a selection the user is asked for one and
// nothing is saved. Otherwise, when no password is set, the user is warned and may set
// one (offerPasswordChange runs on Yes); either way the identity's key name is then
// saved as guardid, followed by the level. True when saved, so the dialog may close;
// when the registry refuses either, the user is told and the dialog stays.
[[nodiscard]] bool ConfirmSetup(UserInterface& ui, const IdentityCatalogue& catalogue, int line, int level,
                  const std::function<void()>& offerPasswordChange);
