#pragma once

#include "data/tdmfm.h"

namespace quilmo {

// The foreground download: the person waits for it behind the progress window, as with
// DownloadMasterData, but the work runs on a thread of its own, on connections of its own
// to the same server database and local file, while the calling (window) thread goes on
// painting and animating the window. User input waits until the download is over. The
// tables, boxes and progress texts are DownloadMasterData's; an error that ends it is thrown
// here, to the caller. Called where no event loop can run (another thread, no application),
// it simply runs DownloadMasterData.
void DownloadMasterDataInForeground(TDMFM& dm, int kind, bool with_promotions);

}  // namespace quilmo
