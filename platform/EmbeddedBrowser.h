// The web engine behind the program's page views, as far as the system decides it.
#pragma once

namespace platform {

// Makes every page view created from now on private: it keeps cookies, caches and
// storage in memory only and writes nothing to disk. Linux: WebKitGTK views get an
// ephemeral website data manager, so no folder of the program appears under
// ~/.cache or ~/.local/share. False when the engine is not loaded in this process.
bool MakeEmbeddedBrowsersEphemeral();

}  // namespace platform
